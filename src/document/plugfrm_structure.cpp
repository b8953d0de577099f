// The editor window and the block structure of its rows: the options of
// "Affichage" and the question before saving unbalanced blocks.
#include "plugfrm.h"

#include "rowdelegate.h"
#include "scriptlistview.h"
#include "shell/messages.h"
#include "shell/options.h"

#include <QAction>
#include <QMenu>
#include <functional>

void PlugFrm::buildViewMenu()
{
    auto *delegate = new RowDelegate(ListView1);
    ListView1->setItemDelegate(delegate);
    // Each option is kept beside the plug-in's other settings.
    const auto option = [this](const QString &caption, const QString &name, bool byDefault,
                               const std::function<void(bool)> &apply) {
        QAction *a = ViewMnu->addAction(caption);
        a->setCheckable(true);
        a->setChecked(Options::viewOption(name, byDefault));
        apply(a->isChecked());
        connect(a, &QAction::toggled, this, [this, name, apply](bool on) {
            apply(on);
            Options::storeViewOption(name, on);
            ListView1->viewport()->update();
        });
        return a;
    };
    IndentRows = option(QStringLiteral("Indenter selon la structure"), QStringLiteral("IndentRows"), false,
                        [delegate](bool on) { delegate->setIndentation(on); });
    MarkBlankRows = option(QStringLiteral("Marquer les lignes blanches"), QStringLiteral("MarkBlankRows"), false,
                           [delegate](bool on) { delegate->setBlankMarks(on); });
    LineNumbers = option(QStringLiteral("Numéros de ligne"), QStringLiteral("LineNumbers"), true,
                         [this](bool on) { ListView1->setLineNumbers(on); });
}

bool PlugFrm::mayKeepOpenBlocks()
{
    if (m_openBlocksAccepted)
        return true;
    const ScriptModel &rows = ListView1->rows();
    const std::vector<Blocks::Diagnostic> &found = rows.structure().diagnostics;
    if (found.empty())
        return true;
    const int first = found.front().row;
    QString text = rows.text(first);
    if (text.size() > 60)
        text = text.left(59) + QChar(0x2026);
    const QString where = found.size() == 1
                              ? QStringLiteral("1 problème, %1 « %2 »").arg(rows.placeOf(first), text)
                              : QStringLiteral("%1 problèmes, le premier %2 « %3 »")
                                    .arg(found.size())
                                    .arg(rows.placeOf(first), text);
    return Messages::yesNo(this, QStringLiteral("Le script contient des blocs non fermés: %1. Enregistrer quand même ?")
                                     .arg(where));
}
