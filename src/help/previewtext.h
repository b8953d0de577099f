#pragma once

#include <QAbstractScrollArea>
#include <vector>

// A read-only text box for a whole script. It keeps the text and where each
// line starts, and lays out only the lines that show: a 120,000-line script
// appears at once, where a QPlainTextEdit first builds a text block for every
// line (more than half a second at that size). Text can be selected with the
// mouse or Ctrl+A and copied.
class PreviewText : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit PreviewText(QWidget *parent = nullptr);

    void setPlainText(const QString &text);
    // The text as given, line ends included.
    const QString &text() const { return m_text; }
    // The text with each line end as "\n", as text boxes give it.
    QString toPlainText() const;
    // Lines as the box shows them: a text ending with a line end has an empty
    // last line.
    int lineCount() const { return int(m_starts.size()); }
    QString lineText(int line) const;
    // The selection, with each line end as "\n".
    QString selectedText() const;
    void selectAll();
    void copy() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // A place between two characters: line, and index in the line's text.
    struct Place {
        int line = 0;
        int index = 0;
        auto operator<=>(const Place &) const = default;
    };
    Place placeAt(QPoint viewportPoint) const;
    int lineEnd(int line) const; // index in m_text where the line's text ends
    QString textBetween(Place from, Place to) const;
    void updateScrollBars();
    int lineHeight() const;

    QString m_text;
    std::vector<qsizetype> m_starts; // where each line starts in m_text
    int m_widestColumns = 0;         // the longest line, tabs laid out
    Place m_anchor, m_cursor;        // the selection runs between them
};
