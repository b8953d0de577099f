#include "scriptmodel.h"

#include <QColor>

ScriptModel::ScriptModel(QObject *parent) : QAbstractListModel(parent) {}

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
    case KindRole:
        return kindTag(l.kind);
    default:
        return {};
    }
}

int ScriptModel::addRow(const QString &text, int pos)
{
    if (pos < 1 || pos > count())
        pos = count() + 1;
    beginInsertRows(QModelIndex(), pos - 1, pos - 1);
    m_lines.insert(m_lines.begin() + (pos - 1), ScriptLine{text, qRgb(0, 0, 0), LineKind::Unknown});
    endInsertRows();
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
    m_lines[size_t(pos - 1)].text = text;
    rowChanged(pos, Qt::DisplayRole);
}

void ScriptModel::setKind(int pos, LineKind kind)
{
    m_lines[size_t(pos - 1)].kind = kind;
    rowChanged(pos, KindRole);
}

void ScriptModel::setColour(int pos, QRgb colour)
{
    m_lines[size_t(pos - 1)].colour = colour;
    rowChanged(pos, Qt::ForegroundRole);
}

void ScriptModel::removeRow(int pos)
{
    if (pos < 1 || pos > count())
        return;
    beginRemoveRows(QModelIndex(), pos - 1, pos - 1);
    m_lines.erase(m_lines.begin() + (pos - 1));
    endRemoveRows();
    emit contentChanged();
}

void ScriptModel::clear()
{
    setLines({});
}

void ScriptModel::setLines(std::vector<ScriptLine> lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
    emit contentChanged();
}
