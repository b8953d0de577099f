// The editor window's find commands: the find bar and "Aller à la ligne".
#include "plugfrm.h"

#include "findbar.h"
#include "gotolinefrm.h"
#include "scriptlistview.h"
#include "shell/messages.h"

#include <QAction>
#include <QBoxLayout>
#include <QMenu>

void PlugFrm::buildFind(QBoxLayout *listColumn)
{
    FindBar1 = new FindBar(ListView1, this);
    listColumn->insertWidget(0, FindBar1);

    EditMnu->addSeparator();
    FindText = EditMnu->addAction(QStringLiteral("Rechercher..."));
    FindText->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    FindNext = EditMnu->addAction(QStringLiteral("Suivant"));
    FindNext->setShortcut(QKeySequence(Qt::Key_F3));
    FindPrevious = EditMnu->addAction(QStringLiteral("Précédent"));
    FindPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    GoToLine = EditMnu->addAction(QStringLiteral("Aller à la ligne..."));
    GoToLine->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    for (QAction *a : {FindText, FindNext, FindPrevious, GoToLine})
        a->setShortcutContext(Qt::WindowShortcut);

    connect(FindText, &QAction::triggered, FindBar1, &FindBar::open);
    connect(FindNext, &QAction::triggered, FindBar1, &FindBar::Command1_Click);
    connect(FindPrevious, &QAction::triggered, FindBar1, &FindBar::Command2_Click);
    connect(GoToLine, &QAction::triggered, this, &PlugFrm::GoToLine_Click);
}

void PlugFrm::GoToLine_Click()
{
    if (ListView1->count() == 0) {
        Messages::info(this, QStringLiteral("La liste ne contient aucune ligne."));
        return;
    }
    // A script read or saved goes by the file's lines; one in no file yet
    // by its rows.
    const ScriptModel &rows = ListView1->rows();
    const int lines = rows.fileLineCount();
    const int selected = ListView1->selectedPosition();
    GoToLineFrm dialog(lines > 0 ? lines : rows.count(), lines > 0 ? rows.line(selected).line : selected, this,
                       lines == 0);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ListView1->selectRow(lines > 0 ? qMax(1, rows.rowOfLine(dialog.Line)) : dialog.Line);
    ListView1->setFocus(Qt::OtherFocusReason);
}
