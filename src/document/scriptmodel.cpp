#include "scriptmodel.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QTimer>

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
    case Qt::ForegroundRole:
        return QColor(l.colour);
    case Qt::FontRole:
        if (m_source.isKept(l.form)) {
            QFont f;
            f.setItalic(true);
            return f;
        }
        return {};
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
    case Qt::BackgroundRole:
        // Asked only for the rows being drawn, so no pass over the list.
        if (m_highlight.matches(l.text))
            return QBrush(QColor(255, 244, 160));
        return {};
    default:
        return {};
    }
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
    m_source.forms[size_t(form)].edited = true;
    // its rows lose their "kept as read" look
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
            emit dataChanged(index(first - 1), index(last - 1), {Qt::FontRole, Qt::ToolTipRole});
    }
}

int ScriptModel::addRow(const QString &text, int pos)
{
    if (pos < 1 || pos > count())
        pos = count() + 1;
    const int form = formJoinedAt(pos, LineKind::Unknown);
    beginInsertRows(QModelIndex(), pos - 1, pos - 1);
    m_lines.insert(m_lines.begin() + (pos - 1), ScriptLine{text, qRgb(0, 0, 0), LineKind::Unknown, form});
    endInsertRows();
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
    l.text = text;
    formEdited(l.form);
    rowChanged(pos, Qt::DisplayRole);
}

void ScriptModel::setKind(int pos, LineKind kind)
{
    if (!valid(pos))
        return;
    ScriptLine &l = m_lines[size_t(pos - 1)];
    l.kind = kind;
    // A new end-of-line comment belongs with the line it ends.
    if (kind == LineKind::CommE && l.form == ScriptLine::NoForm && pos > 1 && line(pos - 1).form != ScriptLine::NoForm) {
        l.form = line(pos - 1).form;
        formEdited(l.form);
    }
    emit contentChanged();
}

void ScriptModel::setColour(int pos, QRgb colour)
{
    if (!valid(pos))
        return;
    m_lines[size_t(pos - 1)].colour = colour;
    rowChanged(pos, Qt::ForegroundRole);
}

void ScriptModel::removeRow(int pos)
{
    if (pos < 1 || pos > count())
        return;
    const int form = line(pos).form;
    beginRemoveRows(QModelIndex(), pos - 1, pos - 1);
    m_lines.erase(m_lines.begin() + (pos - 1));
    endRemoveRows();
    formEdited(form);
    emit contentChanged();
}

void ScriptModel::clear()
{
    setLines({});
}

void ScriptModel::setLines(std::vector<ScriptLine> lines)
{
    for (ScriptLine &l : lines)
        l.form = ScriptLine::NoForm;
    setScript(std::move(lines), ScriptSource());
}

void ScriptModel::setScript(std::vector<ScriptLine> lines, ScriptSource source)
{
    beginResetModel();
    m_lines = std::move(lines);
    m_source = std::move(source);
    endResetModel();
    emit contentChanged();
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
        emit dataChanged(index(0), index(count() - 1), {Qt::BackgroundRole});
}
