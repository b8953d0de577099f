// The editor window's "Edition" menu: undoing and redoing the changes to the
// list.
#include "document/plugfrm.h"

#include "document/scriptdocument.h"
#include "document/scriptlistview.h"

#include <QAction>
#include <QMenu>

void PlugFrm::buildUndo()
{
    UndoEdit = EditMnu->addAction(QStringLiteral("Annuler"));
    UndoEdit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    RedoEdit = EditMnu->addAction(QStringLiteral("Rétablir"));
    RedoEdit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    connect(UndoEdit, &QAction::triggered, this, &PlugFrm::UndoEdit_Click);
    connect(RedoEdit, &QAction::triggered, this, &PlugFrm::RedoEdit_Click);

    const ScriptHistory &history = m_document->history();
    const auto follow = [this, &history] {
        UndoEdit->setEnabled(history.canUndo());
        RedoEdit->setEnabled(history.canRedo());
    };
    connect(&history, &ScriptHistory::changed, this, follow);
    follow();
}

void PlugFrm::openStep()
{
    m_document->history().openStep();
}

void PlugFrm::closeStep()
{
    m_document->history().closeStep();
}

namespace {
// Shows the row a step touched; a step that removed the last rows shows the
// new last one.
void showRow(ScriptListView *list, int pos)
{
    if (pos > 0)
        list->selectRow(qMin(pos, list->count()));
}
} // namespace

void PlugFrm::UndoEdit_Click()
{
    showRow(ListView1, m_document->history().undo());
}

void PlugFrm::RedoEdit_Click()
{
    showRow(ListView1, m_document->history().redo());
}
