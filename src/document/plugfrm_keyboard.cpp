// The editor window from the keyboard: menu mnemonics, the file commands'
// shortcuts, and the list's own keys.
#include "document/plugfrm.h"

#include "document/scriptlistview.h"

#include <QAction>
#include <QMenu>

namespace {
// A key of the list alone: the same key in a text box of the window (the
// find bar, say) keeps its usual meaning there.
void listKey(ScriptListView *list, const QList<QKeySequence> &keys, PlugFrm *frm, void (PlugFrm::*command)())
{
    auto *action = new QAction(list);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WidgetShortcut);
    list->addAction(action);
    QObject::connect(action, &QAction::triggered, frm, command);
}
} // namespace

void PlugFrm::setUpKeyboard()
{
    // Alt and the underlined letter open the menu; the captions read the same.
    File->setTitle(QStringLiteral("&Fichier"));
    EditMnu->setTitle(QStringLiteral("&Edition"));
    ViewMnu->setTitle(QStringLiteral("&Affichage"));
    ShowOpts->setText(QStringLiteral("&Options"));
    HelpMnu->setTitle(QStringLiteral("A&ide"));

    // Spelt out rather than the platform's standard keys: "Enregistrer
    // sous..." has none on some desktops.
    NewFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    OpenFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    SaveFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    SaveFileAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));

    listKey(ListView1, {QKeySequence(Qt::Key_Delete)}, this, &PlugFrm::Command4_Click);
    listKey(ListView1, {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, this, &PlugFrm::Command3_Click);
    listKey(ListView1, {QKeySequence(Qt::Key_Insert)}, this, &PlugFrm::Command1_Click);
    connect(ListView1, &QAbstractItemView::doubleClicked, this, &PlugFrm::Command3_Click);
}
