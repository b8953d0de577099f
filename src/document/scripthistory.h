#pragma once

#include "scriptmodel.h"

#include <QObject>
#include <vector>

// The undo history of a script's rows: every change the row operations make,
// in steps that are undone and redone whole. It keeps only the changes (the
// rows they touched and the forms they marked edited), never a copy of the
// list, and has no depth limit. A reset of the rows (a file read, a new
// script) forgets it.
//
// A change made outside any open step is a step of its own. Steps opened
// with openStep and closed with closeStep nest; closing one makes everything
// done since its opening a single step. Until then each change stays undoable
// on its own, so a rule being composed over several clicks can still be
// corrected row by row, and becomes one step once finished.
class ScriptHistory : public QObject
{
    Q_OBJECT
public:
    explicit ScriptHistory(ScriptModel &rows, QObject *parent = nullptr);

    void openStep();
    // Closes the last step opened; nothing when none is open.
    void closeStep();

    bool canUndo() const { return m_index > 0; }
    bool canRedo() const { return m_index < stepCount(); }
    // Undo and redo one step; both return the row the step touched (where it
    // began for undo, where it ended for redo), 0 when there is none.
    int undo();
    int redo();

    // The rows as they are now are what the file holds.
    void setSaved();
    // No state of the rows is what the file holds any more (work recovered
    // from elsewhere, or the file gone): undoing never clears "modified".
    void forgetSaved();
    // Whether the rows are back to what was last read or saved.
    bool isSaved() const { return m_saved == m_index; }
    void clear();

signals:
    // canUndo, canRedo or isSaved may have changed.
    void changed();

private:
    void record(const RowChange &change);
    // The rows the history keeps aside stand in no saved file.
    void forgetLines();
    int stepCount() const { return int(m_stepStart.size()); }
    size_t stepEnd(int step) const;
    void mergeSteps(int first);
    void compact(int step);

    ScriptModel &m_rows;
    // Every step's changes end to end: step i runs from m_stepStart[i] to
    // the next step's start. Steps from m_index on are undone (to redo).
    std::vector<RowChange> m_changes;
    std::vector<size_t> m_stepStart;
    int m_index = 0;
    int m_saved = 0; // -1 once the saved rows can no longer be reached
    // Where each open step began; -1 for one opened before a reset.
    std::vector<int> m_open;
    bool m_replaying = false;
};
