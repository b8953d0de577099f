#include "scripthistory.h"

ScriptHistory::ScriptHistory(ScriptModel &rows, QObject *parent) : QObject(parent), m_rows(rows)
{
    connect(&rows, &ScriptModel::changeMade, this, &ScriptHistory::record);
    connect(&rows, &QAbstractItemModel::modelReset, this, &ScriptHistory::clear);
    connect(&rows, &ScriptModel::linesSaved, this, &ScriptHistory::forgetLines);
}

void ScriptHistory::forgetLines()
{
    for (RowChange &c : m_changes)
        c.before.line = c.after.line = 0;
}

size_t ScriptHistory::stepEnd(int step) const
{
    return step + 1 < stepCount() ? m_stepStart[size_t(step + 1)] : m_changes.size();
}

void ScriptHistory::record(const RowChange &change)
{
    if (m_replaying)
        return;
    // A form marked edited is part of the row change just made.
    if (change.kind == RowChange::FormEdited && m_index > 0 && m_index == stepCount()) {
        m_changes.push_back(change);
        return;
    }
    if (m_index < stepCount()) { // a new change drops what was undone
        m_changes.resize(m_stepStart[size_t(m_index)]);
        m_stepStart.resize(size_t(m_index));
        if (m_saved > m_index)
            m_saved = -1;
    }
    m_stepStart.push_back(m_changes.size());
    m_changes.push_back(change);
    ++m_index;
    emit changed();
}

void ScriptHistory::openStep()
{
    m_open.push_back(m_index);
}

void ScriptHistory::closeStep()
{
    if (m_open.empty())
        return;
    const int first = m_open.back();
    m_open.pop_back();
    if (first >= 0 && m_index - first >= 2)
        mergeSteps(first);
}

void ScriptHistory::mergeSteps(int first)
{
    const int n = m_index - first;
    m_stepStart.erase(m_stepStart.begin() + first + 1, m_stepStart.begin() + m_index);
    m_index = first + 1;
    if (m_saved > first && m_saved < first + n)
        m_saved = -1; // the saved rows were halfway through the step
    else if (m_saved >= first + n)
        m_saved -= n - 1;
    compact(first);
    emit changed();
}

// A row changed again right after being inserted or changed keeps one
// change: inserting a row and giving it its colour and kind replays as one.
void ScriptHistory::compact(int step)
{
    const size_t begin = m_stepStart[size_t(step)], end = stepEnd(step);
    size_t kept = begin;
    for (size_t i = begin; i < end; ++i) {
        RowChange &c = m_changes[i];
        if (c.kind == RowChange::Replaced) {
            size_t j = kept;
            while (j > begin && m_changes[j - 1].kind == RowChange::FormEdited)
                --j;
            RowChange *prior = j > begin ? &m_changes[j - 1] : nullptr;
            if (prior && prior->pos == c.pos && (prior->kind == RowChange::Inserted || prior->kind == RowChange::Replaced)) {
                prior->after = std::move(c.after);
                continue;
            }
        }
        if (kept != i)
            m_changes[kept] = std::move(c);
        ++kept;
    }
    m_changes.erase(m_changes.begin() + qsizetype(kept), m_changes.begin() + qsizetype(end));
    for (size_t s = size_t(step) + 1; s < m_stepStart.size(); ++s)
        m_stepStart[s] -= end - kept;
}

int ScriptHistory::undo()
{
    if (!canUndo())
        return 0;
    --m_index;
    const size_t begin = m_stepStart[size_t(m_index)], end = stepEnd(m_index);
    m_replaying = true;
    m_rows.applyChanges(m_changes.data() + begin, m_changes.data() + end, true);
    m_replaying = false;
    // A step still open that began after this one now begins here.
    for (int &first : m_open)
        first = qMin(first, m_index);
    emit changed();
    for (size_t i = begin; i < end; ++i)
        if (m_changes[i].kind != RowChange::FormEdited)
            return m_changes[i].pos;
    return 0;
}

int ScriptHistory::redo()
{
    if (!canRedo())
        return 0;
    const size_t begin = m_stepStart[size_t(m_index)], end = stepEnd(m_index);
    ++m_index;
    m_replaying = true;
    m_rows.applyChanges(m_changes.data() + begin, m_changes.data() + end, false);
    m_replaying = false;
    emit changed();
    for (size_t i = end; i-- > begin;)
        if (m_changes[i].kind != RowChange::FormEdited)
            return m_changes[i].pos;
    return 0;
}

void ScriptHistory::setSaved()
{
    if (m_saved == m_index)
        return;
    m_saved = m_index;
    emit changed();
}

void ScriptHistory::forgetSaved()
{
    m_saved = -1;
    emit changed();
}

void ScriptHistory::clear()
{
    m_changes.clear();
    m_stepStart.clear();
    m_index = 0;
    m_saved = 0;
    for (int &first : m_open)
        first = -1;
    emit changed();
}
