// The editor window and the block structure of its rows: the options of
// "Affichage" and the question before saving unbalanced blocks.
#include "plugfrm.h"

#include "rowdelegate.h"
#include "scriptlistview.h"
#include "shell/messages.h"

#include <QAction>
#include <QMenu>
#include <QSettings>

void PlugFrm::buildViewMenu()
{
    auto *delegate = new RowDelegate(ListView1);
    ListView1->setItemDelegate(delegate);
    // Each option is kept beside the plug-in's other settings.
    const auto option = [this, delegate](const QString &caption, const QString &name, void (RowDelegate::*set)(bool)) {
        const QString key = QStringLiteral("Lumbrel/") + name;
        QAction *a = ViewMnu->addAction(caption);
        a->setCheckable(true);
        a->setChecked(QSettings(QSettings::UserScope, QStringLiteral("Quorrin"), QStringLiteral("Quorrin"))
                          .value(key, false)
                          .toBool());
        (delegate->*set)(a->isChecked());
        connect(a, &QAction::toggled, this, [this, key, set, delegate](bool on) {
            (delegate->*set)(on);
            QSettings(QSettings::UserScope, QStringLiteral("Quorrin"), QStringLiteral("Quorrin")).setValue(key, on);
            ListView1->viewport()->update();
        });
        return a;
    };
    IndentRows = option(QStringLiteral("Indenter selon la structure"), QStringLiteral("IndentRows"),
                        &RowDelegate::setIndentation);
    MarkBlankRows = option(QStringLiteral("Marquer les lignes blanches"), QStringLiteral("MarkBlankRows"),
                           &RowDelegate::setBlankMarks);
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
                              ? QStringLiteral("1 problème, ligne %1 « %2 »").arg(first).arg(text)
                              : QStringLiteral("%1 problèmes, le premier ligne %2 « %3 »")
                                    .arg(found.size())
                                    .arg(first)
                                    .arg(text);
    return Messages::yesNo(this, QStringLiteral("Le script contient des blocs non fermés: %1. Enregistrer quand même ?")
                                     .arg(where));
}
