// The editor window's "Affichage" options: how the rows and their block
// structure are drawn.
#include "plugfrm.h"

#include "rowdelegate.h"
#include "scriptlistview.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <functional>

void PlugFrm::buildViewMenu()
{
    auto *delegate = new RowDelegate(ListView1);
    ListView1->setItemDelegate(delegate);
    // Each option is kept beside the plug-in's other settings.
    const auto option = [this](const QString &caption, const QString &name, bool byDefault,
                               const std::function<void(bool)> &apply) {
        const QString key = QStringLiteral("Lumbrel/") + name;
        QAction *a = ViewMnu->addAction(caption);
        a->setCheckable(true);
        a->setChecked(QSettings(QSettings::UserScope, QStringLiteral("Quorrin"), QStringLiteral("Quorrin"))
                          .value(key, byDefault)
                          .toBool());
        apply(a->isChecked());
        connect(a, &QAction::toggled, this, [this, key, apply](bool on) {
            apply(on);
            QSettings(QSettings::UserScope, QStringLiteral("Quorrin"), QStringLiteral("Quorrin")).setValue(key, on);
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
