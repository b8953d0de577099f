#include "scriptmodel.h"

#include <QTimer>
#include <algorithm>

ScriptModel::ScriptModel(QObject *parent) : QAbstractListModel(parent)
{
    connect(this, &ScriptModel::contentChanged, this, &ScriptModel::structureOutdated);
}

void ScriptModel::structureOutdated()
{
    m_structureValid = false;
    if (m_structureDue)
        return;
    m_structureDue = true;
    QTimer::singleShot(0, this, [this] {
        m_structureDue = false;
        structure();
        if (count() > 0)
            emit dataChanged(index(0), index(count() - 1), {Qt::ToolTipRole, DepthRole, BlockProblemRole});
    });
}

const Blocks::Structure &ScriptModel::structure() const
{
    if (!m_structureValid) {
        m_structure = Blocks::analyse(m_lines);
        m_structureValid = true;
    }
    return m_structure;
}

int ScriptModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant ScriptModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    const ScriptLine &l = m_lines[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return l.text;
    case ColourRole:
        return l.colour;
    case KeptRole:
        return m_source.isKept(l.form);
    case Qt::ToolTipRole: {
        const QString kept = m_source.isKept(l.form) ? m_source.keptReason(l.form) : QString();
        const Blocks::Diagnostic *d = structure().diagnosticAt(index.row() + 1);
        if (!d)
            return kept.isEmpty() ? QVariant() : QVariant(kept);
        return kept.isEmpty() ? Blocks::describe(*d) : kept + QStringLiteral("\n\n") + Blocks::describe(*d);
    }
    case DepthRole:
        return structure().depthAt(index.row() + 1);
    case BlockProblemRole:
        if (const Blocks::Diagnostic *d = structure().diagnosticAt(index.row() + 1))
            return Blocks::describe(*d);
        return {};
    case KindRole:
        return int(l.kind);
    case HighlightRole:
        // Asked only for the rows being drawn, so no pass over the list.
        return m_highlight.matchesRow(l, m_highlightBuffer);
    default:
        return {};
    }
}

QVariant ScriptModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Vertical || section < 0 || section >= count())
        return QAbstractListModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) {
        const int l = m_lines[size_t(section)].line;
        return l > 0 ? QString::number(l) : QString();
    }
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

void ScriptModel::setSavedLines(const std::vector<int> &lines, int lineCount)
{
    const size_t n = qMin(lines.size(), m_lines.size());
    for (size_t i = 0; i < n; ++i)
        m_lines[i].line = lines[i];
    m_fileLines = lineCount;
    emit linesSaved();
    if (count() > 0)
        emit headerDataChanged(Qt::Vertical, 0, count() - 1);
}

int ScriptModel::rowOfLine(int line) const
{
    int best = 0, bestLine = 0;
    for (int i = 0; i < count(); ++i) {
        const int l = m_lines[size_t(i)].line;
        if (l == line)
            return i + 1;
        if (l > bestLine && l < line) {
            best = i + 1;
            bestLine = l;
        }
    }
    return best;
}

const ScriptLine &ScriptModel::line(int pos) const
{
    static const ScriptLine none;
    return valid(pos) ? m_lines[size_t(pos - 1)] : none;
}

int ScriptModel::formJoinedAt(int pos, LineKind kind) const
{
    if (pos < 1 || pos > count())
        pos = count() + 1;
    if (kind == LineKind::CommE && pos > 1)
        return line(pos - 1).form;
    if (pos > 1 && pos <= count() && line(pos - 1).form == line(pos).form)
        return line(pos).form;
    return ScriptLine::NoForm;
}

void ScriptModel::formEdited(int form)
{
    if (form < 0 || form >= m_source.formCount() || m_source.forms[size_t(form)].edited)
        return;
    emit changeMade({RowChange::FormEdited, form, {}, {}});
    setFormEdited(form, true);
}

void ScriptModel::setFormEdited(int form, bool edited)
{
    if (form < 0 || form >= m_source.formCount())
        return;
    m_source.forms[size_t(form)].edited = edited;
    // its rows lose (or get back) their "kept as read" look
    if (m_source.lost.count(form)) {
        int first = 0, last = 0;
        for (int i = 0; i < count(); ++i) {
            if (m_lines[size_t(i)].form == form) {
                if (!first)
                    first = i + 1;
                last = i + 1;
            } else if (first) {
                break;
            }
        }
        if (first)
            emit dataChanged(index(first - 1), index(last - 1), {KeptRole, Qt::ToolTipRole});
    }
}

void ScriptModel::insertLine(int pos, const ScriptLine &line)
{
    beginInsertRows(QModelIndex(), pos - 1, pos - 1);
    m_lines.insert(m_lines.begin() + (pos - 1), line);
    endInsertRows();
}

void ScriptModel::eraseLine(int pos)
{
    beginRemoveRows(QModelIndex(), pos - 1, pos - 1);
    m_lines.erase(m_lines.begin() + (pos - 1));
    endRemoveRows();
}

int ScriptModel::addRow(const QString &text, int pos)
{
    if (pos < 1 || pos > count())
        pos = count() + 1;
    const int form = formJoinedAt(pos, LineKind::Unknown);
    insertLine(pos, ScriptLine{text, qRgb(0, 0, 0), LineKind::Unknown, form});
    emit changeMade({RowChange::Inserted, pos, {}, m_lines[size_t(pos - 1)]});
    formEdited(form);
    emit contentChanged();
    return pos;
}

void ScriptModel::rowChanged(int pos, int role)
{
    const QModelIndex i = index(pos - 1);
    emit dataChanged(i, i, {role});
    emit contentChanged();
}

void ScriptModel::setText(int pos, const QString &text)
{
    if (!valid(pos))
        return;
    ScriptLine &l = m_lines[size_t(pos - 1)];
    if (l.text == text)
        return; // nothing changes, not even the form
    const ScriptLine before = l;
    l.text = text;
    emit changeMade({RowChange::Replaced, pos, before, l});
    formEdited(l.form);
    rowChanged(pos, Qt::DisplayRole);
}

void ScriptModel::setKind(int pos, LineKind kind)
{
    if (!valid(pos))
        return;
    ScriptLine &l = m_lines[size_t(pos - 1)];
    const ScriptLine before = l;
    l.kind = kind;
    // A new end-of-line comment belongs with the line it ends.
    const bool joins =
        kind == LineKind::CommE && l.form == ScriptLine::NoForm && pos > 1 && line(pos - 1).form != ScriptLine::NoForm;
    if (joins)
        l.form = line(pos - 1).form;
    emit changeMade({RowChange::Replaced, pos, before, l});
    if (joins)
        formEdited(l.form);
    rowChanged(pos, KindRole);
}

void ScriptModel::setColour(int pos, QRgb colour)
{
    if (!valid(pos))
        return;
    ScriptLine &l = m_lines[size_t(pos - 1)];
    const ScriptLine before = l;
    l.colour = colour;
    emit changeMade({RowChange::Replaced, pos, before, l});
    rowChanged(pos, ColourRole);
}

void ScriptModel::removeRow(int pos)
{
    if (pos < 1 || pos > count())
        return;
    const ScriptLine before = line(pos);
    eraseLine(pos);
    emit changeMade({RowChange::Removed, pos, before, {}});
    formEdited(before.form);
    emit contentChanged();
}

void ScriptModel::clear()
{
    setLines({});
}

void ScriptModel::setLines(std::vector<ScriptLine> lines)
{
    for (ScriptLine &l : lines) {
        l.form = ScriptLine::NoForm;
        l.line = l.readLine = 0;
    }
    setScript(std::move(lines), ScriptSource());
}

void ScriptModel::setScript(std::vector<ScriptLine> lines, ScriptSource source)
{
    beginResetModel();
    m_lines = std::move(lines);
    m_source = std::move(source);
    ++m_generation;
    m_fileLines = m_source.lineCount;
    endResetModel();
    emit contentChanged();
}

void ScriptModel::setJudgement(std::unordered_map<int, QList<LostLine>> kept)
{
    for (SourceForm &form : m_source.forms)
        form.judged = true;
    if (kept.empty())
        return;
    for (auto &[f, lost] : kept) {
        if (f >= 0 && f < m_source.formCount()) {
            m_source.forms[size_t(f)].keptAsRead = true;
            m_source.lost[f] = std::move(lost);
        }
    }
    // one pass over the rows: each run of a kept form drawn again
    int first = 0;
    for (int i = 0; i <= count(); ++i) {
        const bool kept = i < count() && m_source.isKept(m_lines[size_t(i)].form);
        if (kept && !first)
            first = i + 1;
        if (first && (!kept || m_lines[size_t(i)].form != m_lines[size_t(first - 1)].form)) {
            emit dataChanged(index(first - 1), index(i - 1), {KeptRole, Qt::ToolTipRole});
            first = kept ? i + 1 : 0;
        }
    }
}

int ScriptModel::keptFormAt(int pos) const
{
    if (!valid(pos))
        return ScriptLine::NoForm;
    const int form = line(pos).form;
    return m_source.isKept(form) ? form : ScriptLine::NoForm;
}

void ScriptModel::setHighlight(const QString &text, Qt::CaseSensitivity cs)
{
    if (m_highlight.text() == text && m_highlight.caseSensitivity() == cs)
        return;
    m_highlight = RowSearch::Matcher(text, cs);
    // One signal for all the rows: views repaint only what they show.
    if (count() > 0)
        emit dataChanged(index(0), index(count() - 1), {HighlightRole});
}

void ScriptModel::applyChange(const RowChange &change, bool undo)
{
    const int pos = change.pos;
    switch (change.kind) {
    case RowChange::Inserted:
    case RowChange::Removed: {
        const bool inserts = (change.kind == RowChange::Inserted) != undo;
        if (inserts && pos >= 1 && pos <= count() + 1)
            insertLine(pos, change.kind == RowChange::Inserted ? change.after : change.before);
        else if (!inserts && valid(pos))
            eraseLine(pos);
        break;
    }
    case RowChange::Replaced:
        if (valid(pos)) {
            // the row keeps its place in the file
            const qint32 line = m_lines[size_t(pos - 1)].line;
            m_lines[size_t(pos - 1)] = undo ? change.before : change.after;
            m_lines[size_t(pos - 1)].line = line;
            emit dataChanged(index(pos - 1), index(pos - 1));
        }
        break;
    case RowChange::FormEdited:
        setFormEdited(pos, !undo);
        break;
    }
    emit contentChanged();
}

void ScriptModel::insertLines(int pos, std::vector<ScriptLine> lines)
{
    if (lines.empty())
        return;
    if (pos < 1 || pos > count())
        pos = count() + 1;
    const int n = int(lines.size());
    beginInsertRows(QModelIndex(), pos - 1, pos + n - 2);
    m_lines.insert(m_lines.begin() + (pos - 1), std::make_move_iterator(lines.begin()),
                   std::make_move_iterator(lines.end()));
    endInsertRows();
    int lastForm = ScriptLine::NoForm;
    for (int i = pos; i < pos + n; ++i)
        emit changeMade({RowChange::Inserted, i, {}, m_lines[size_t(i - 1)]});
    for (int i = pos; i < pos + n; ++i) {
        const int form = m_lines[size_t(i - 1)].form;
        if (form != lastForm)
            formEdited(form);
        lastForm = form;
    }
    emit contentChanged();
}

void ScriptModel::removeLines(int pos, int n)
{
    n = qMin(n, count() - pos + 1);
    if (pos < 1 || n <= 0)
        return;
    for (int i = pos; i < pos + n; ++i)
        emit changeMade({RowChange::Removed, pos, m_lines[size_t(i - 1)], {}});
    std::vector<int> forms;
    for (int i = pos; i < pos + n; ++i)
        if (forms.empty() || forms.back() != m_lines[size_t(i - 1)].form)
            forms.push_back(m_lines[size_t(i - 1)].form);
    beginRemoveRows(QModelIndex(), pos - 1, pos + n - 2);
    m_lines.erase(m_lines.begin() + (pos - 1), m_lines.begin() + (pos - 1 + n));
    endRemoveRows();
    for (int form : forms)
        formEdited(form);
    emit contentChanged();
}

size_t ScriptModel::applyRun(const RowChange *const *changes, size_t n, bool undo)
{
    const RowChange &c0 = *changes[0];
    if (c0.kind != RowChange::Inserted && c0.kind != RowChange::Removed)
        return 0;
    const bool inserts = (c0.kind == RowChange::Inserted) != undo;
    // Inserted one after the other, or each at the same place (the block
    // then reads backwards); erased at one place, or from the last up.
    size_t k = 1;
    int step = 0;
    for (; k < n; ++k) {
        const RowChange &c = *changes[k];
        if (c.kind != c0.kind)
            break;
        const int d = c.pos - changes[k - 1]->pos;
        if (k == 1 && (d == 0 || d == (inserts ? 1 : -1)))
            step = d;
        else if (k == 1 || d != step)
            break;
    }
    if (k < 2)
        return 0;
    const int first = inserts ? c0.pos : (step == 0 ? c0.pos : changes[k - 1]->pos);
    if (first < 1 || (inserts ? first > count() + 1 : first + int(k) - 1 > count()))
        return 0;
    if (inserts) {
        std::vector<ScriptLine> block;
        block.reserve(k);
        for (size_t i = 0; i < k; ++i)
            block.push_back(changes[i]->kind == RowChange::Inserted ? changes[i]->after : changes[i]->before);
        if (step == 0)
            std::reverse(block.begin(), block.end());
        beginInsertRows(QModelIndex(), first - 1, first + int(k) - 2);
        m_lines.insert(m_lines.begin() + (first - 1), std::make_move_iterator(block.begin()),
                       std::make_move_iterator(block.end()));
        endInsertRows();
    } else {
        beginRemoveRows(QModelIndex(), first - 1, first + int(k) - 2);
        m_lines.erase(m_lines.begin() + (first - 1), m_lines.begin() + (first - 1 + int(k)));
        endRemoveRows();
    }
    emit contentChanged();
    return k;
}

void ScriptModel::applyChanges(const RowChange *begin, const RowChange *end, bool undo)
{
    std::vector<const RowChange *> order;
    order.reserve(size_t(end - begin));
    for (const RowChange *c = begin; c != end; ++c)
        order.push_back(c);
    if (undo)
        std::reverse(order.begin(), order.end());
    for (size_t i = 0; i < order.size();) {
        const size_t run = applyRun(order.data() + i, order.size() - i, undo);
        if (run == 0)
            applyChange(*order[i++], undo);
        else
            i += run;
    }
}
