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
    GoToLineFrm dialog(ListView1->count(), ListView1->selectedPosition(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    ListView1->selectRow(dialog.Line);
    ListView1->setFocus(Qt::OtherFocusReason);
}
