// The editor window's "Affichage" options: how the rows and their block
// structure are drawn.
#include "plugfrm.h"

#include "rowdelegate.h"
#include "scriptdocument.h"
#include "scriptlistview.h"
#include "shell/options.h"

#include <QAction>
#include <QMenu>
#include <functional>

void PlugFrm::buildViewMenu()
{
    auto *delegate = new RowDelegate(ListView1);
    delegate->setProblems(&m_document->problems());
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
