#pragma once

#include <QStyledItemDelegate>

// Draws the rows of ListView1: as a plain list by default, with two
// options: each row indented by its depth in the block structure, and blank
// rows marked so that they can be seen (their text is empty or a space).
// A row whose block is broken always gets a warning icon.
class ScriptProblems;

class RowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit RowDelegate(QObject *parent = nullptr);

    bool indentation() const { return m_indent; }
    void setIndentation(bool on) { m_indent = on; }
    bool blankMarks() const { return m_blankMarks; }
    void setBlankMarks(bool on) { m_blankMarks = on; }

    // The indentation of one level, in pixels, for a view's font.
    static int indentStep(const QFontMetrics &metrics);

    // The problems whose rows get an icon (an erreur's or an attention's)
    // and whose messages join the rows' tooltips.
    void setProblems(ScriptProblems *problems) { m_problems = problems; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool helpEvent(QHelpEvent *event, QAbstractItemView *view, const QStyleOptionViewItem &option,
                   const QModelIndex &index) override;

protected:
    // The row's colour, italics for a part kept as read, and the find
    // highlight, from the model's roles.
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    // 0 none, 1 attention, 2 erreur: the worst problem of the row.
    int severityAt(const QModelIndex &index) const;
    ScriptProblems *m_problems = nullptr;
    bool m_indent = false;
    bool m_blankMarks = false;
};
