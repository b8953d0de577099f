#pragma once

#include "scriptline.h"

#include <QAbstractListModel>
#include <vector>

// The rows of the script, in one contiguous array. Positions in the public
// row operations are 1-based, as the rest of the editor counts them; the Qt
// model interface underneath is 0-based as usual.
class ScriptModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles { KindRole = Qt::UserRole + 1 };

    explicit ScriptModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    int count() const { return int(m_lines.size()); }
    const ScriptLine &line(int pos) const { return m_lines[size_t(pos - 1)]; }
    const std::vector<ScriptLine> &lines() const { return m_lines; }

    // Adds a row with the given text at the end (pos 0) or at pos, pushing the
    // row there and those after it down by one. Returns the new row's position.
    int addRow(const QString &text, int pos = 0);
    void setText(int pos, const QString &text);
    void setKind(int pos, LineKind kind);
    void setColour(int pos, QRgb colour);
    QString text(int pos) const { return line(pos).text; }
    LineKind kind(int pos) const { return line(pos).kind; }
    void removeRow(int pos);
    void clear();
    // Replaces every row in one reset (reading a file).
    void setLines(std::vector<ScriptLine> lines);

signals:
    // Any change of the rows, for the window's "modified" state.
    void contentChanged();

private:
    void rowChanged(int pos, int role);
    std::vector<ScriptLine> m_lines;
};
