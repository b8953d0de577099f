#include "editcommands.h"

#include "findbar.h"
#include "gotolinefrm.h"
#include "scriptdocument.h"
#include "scriptlistview.h"
#include "shell/messages.h"

#include <QAction>
#include <QBoxLayout>
#include <QMenu>

EditCommands::EditCommands(ScriptDocument &document, ScriptListView *list, QMenu *menu, QBoxLayout *listColumn,
                           QWidget *window)
    : QObject(window), m_document(document), m_list(list), m_window(window)
{
    undoAction = menu->addAction(QStringLiteral("Annuler"));
    undoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    redoAction = menu->addAction(QStringLiteral("Rétablir"));
    redoAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    const ScriptHistory &history = document.history();
    const auto follow = [this, &history] {
        undoAction->setEnabled(history.canUndo());
        redoAction->setEnabled(history.canRedo());
    };
    connect(&history, &ScriptHistory::changed, this, follow);
    follow();

    findBar = new FindBar(list, window);
    listColumn->insertWidget(0, findBar);
    menu->addSeparator();
    findAction = menu->addAction(QStringLiteral("Rechercher..."));
    findAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    findNextAction = menu->addAction(QStringLiteral("Suivant"));
    findNextAction->setShortcut(QKeySequence(Qt::Key_F3));
    findPreviousAction = menu->addAction(QStringLiteral("Précédent"));
    findPreviousAction->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    goToLineAction = menu->addAction(QStringLiteral("Aller à la ligne..."));
    goToLineAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    for (QAction *a : {findAction, findNextAction, findPreviousAction, goToLineAction})
        a->setShortcutContext(Qt::WindowShortcut);
    connect(findAction, &QAction::triggered, findBar, &FindBar::open);
    connect(findNextAction, &QAction::triggered, findBar, &FindBar::Command1_Click);
    connect(findPreviousAction, &QAction::triggered, findBar, &FindBar::Command2_Click);
}

void EditCommands::showRow(int pos)
{
    // a step that removed the last rows shows the new last one
    if (pos > 0)
        m_list->selectRow(qMin(pos, m_list->count()));
}

void EditCommands::undo()
{
    showRow(m_document.history().undo());
}

void EditCommands::redo()
{
    showRow(m_document.history().redo());
}

void EditCommands::goToLine()
{
    if (m_list->count() == 0) {
        Messages::info(m_window, QStringLiteral("La liste ne contient aucune ligne."));
        return;
    }
    // A script read or saved goes by the file's lines; one in no file yet
    // by its rows.
    const ScriptModel &rows = m_document.rows();
    const int lines = rows.fileLineCount();
    const int selected = m_list->selectedPosition();
    GoToLineFrm dialog(lines > 0 ? lines : rows.count(), lines > 0 ? rows.line(selected).line : selected, m_window,
                       lines == 0);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_list->selectRow(lines > 0 ? qMax(1, rows.rowOfLine(dialog.Line)) : dialog.Line);
    m_list->setFocus(Qt::OtherFocusReason);
}
