// The editor window's "Edition" menu: undoing and redoing the changes to the
// list.
#include "document/plugfrm.h"

#include "document/scripthistory.h"
#include "document/scriptlistview.h"

#include <QAction>
#include <QMenu>

void PlugFrm::buildUndo()
{
    m_history = new ScriptHistory(ListView1->rows(), this);
    UndoEdit = EditMnu->addAction(QStringLiteral("Annuler"));
    UndoEdit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    RedoEdit = EditMnu->addAction(QStringLiteral("Rétablir"));
    RedoEdit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
    connect(UndoEdit, &QAction::triggered, this, &PlugFrm::UndoEdit_Click);
    connect(RedoEdit, &QAction::triggered, this, &PlugFrm::RedoEdit_Click);

    const auto follow = [this] {
        UndoEdit->setEnabled(m_history->canUndo());
        RedoEdit->setEnabled(m_history->canRedo());
        if (m_history->isSaved())
            setModified(false);
    };
    connect(m_history, &ScriptHistory::changed, this, follow);
    // Whatever clears the modified mark (saving, reading a file, a new
    // script) makes the rows as they are now the saved ones.
    connect(this, &PlugFrm::modifiedChanged, m_history, [this](bool modified) {
        if (!modified)
            m_history->setSaved();
    });
    follow();
}

void PlugFrm::openStep()
{
    m_history->openStep();
}

void PlugFrm::closeStep()
{
    m_history->closeStep();
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
    showRow(ListView1, m_history->undo());
}

void PlugFrm::RedoEdit_Click()
{
    showRow(ListView1, m_history->redo());
}
