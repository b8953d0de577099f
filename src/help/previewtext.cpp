#include "previewtext.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

namespace {
constexpr int TabColumns = 8;
constexpr int Margin = 4;

int nextTabStop(int column)
{
    return (column / TabColumns + 1) * TabColumns;
}

// The line as drawn: tabs laid out as spaces up to the next tab stop.
QString laidOut(QStringView line)
{
    QString shown;
    shown.reserve(line.size());
    for (const QChar c : line) {
        if (c == QLatin1Char('\t'))
            shown.append(QString(nextTabStop(int(shown.size())) - int(shown.size()), QLatin1Char(' ')));
        else
            shown.append(c);
    }
    return shown;
}

// Where a line's index falls in its laid-out form.
int shownColumn(QStringView line, int index)
{
    int column = 0;
    for (int i = 0; i < index && i < line.size(); ++i)
        column = line[i] == QLatin1Char('\t') ? nextTabStop(column) : column + 1;
    return column;
}
} // namespace

PreviewText::PreviewText(QWidget *parent) : QAbstractScrollArea(parent)
{
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    setFocusPolicy(Qt::StrongFocus);
    m_starts.push_back(0);
}

void PreviewText::setPlainText(const QString &text)
{
    m_text = text;
    m_starts.clear();
    m_starts.reserve(size_t(text.size() / 24 + 1));
    m_starts.push_back(0);
    m_widestColumns = 0;
    int column = 0;
    const QChar *chars = text.constData();
    const qsizetype n = text.size();
    // "\r\n", "\n" and a lone "\r" each end a line, as the reader takes them.
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = chars[i].unicode();
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < n && chars[i + 1] == u'\n')
                ++i;
            m_starts.push_back(i + 1);
            m_widestColumns = std::max(m_widestColumns, column);
            column = 0;
        } else {
            column = c == u'\t' ? nextTabStop(column) : column + 1;
        }
    }
    m_widestColumns = std::max(m_widestColumns, column);
    m_anchor = m_cursor = Place();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
}

int PreviewText::lineEnd(int line) const
{
    if (line + 1 >= lineCount())
        return int(m_text.size());
    qsizetype end = m_starts[size_t(line) + 1];
    if (end > 0 && m_text[end - 1] == QLatin1Char('\n'))
        --end;
    if (end > m_starts[size_t(line)] && m_text[end - 1] == QLatin1Char('\r'))
        --end;
    return int(end);
}

QString PreviewText::lineText(int line) const
{
    if (line < 0 || line >= lineCount())
        return {};
    const qsizetype start = m_starts[size_t(line)];
    return m_text.mid(start, lineEnd(line) - start);
}

QString PreviewText::textBetween(Place from, Place to) const
{
    QString out;
    for (int line = from.line; line <= to.line; ++line) {
        const QString l = lineText(line);
        const int begin = line == from.line ? from.index : 0;
        const int end = line == to.line ? to.index : int(l.size());
        out += QStringView(l).mid(begin, end - begin);
        if (line != to.line)
            out += QLatin1Char('\n');
    }
    return out;
}

QString PreviewText::toPlainText() const
{
    return textBetween(Place(), Place{lineCount() - 1, int(lineText(lineCount() - 1).size())});
}

QString PreviewText::selectedText() const
{
    return textBetween(std::min(m_anchor, m_cursor), std::max(m_anchor, m_cursor));
}

void PreviewText::selectAll()
{
    m_anchor = Place();
    m_cursor = Place{lineCount() - 1, int(lineText(lineCount() - 1).size())};
    viewport()->update();
}

void PreviewText::copy() const
{
    if (m_anchor != m_cursor)
        QApplication::clipboard()->setText(selectedText());
}

int PreviewText::lineHeight() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

void PreviewText::updateScrollBars()
{
    const int visibleLines = std::max(1, viewport()->height() / lineHeight());
    verticalScrollBar()->setRange(0, std::max(0, lineCount() - visibleLines));
    verticalScrollBar()->setPageStep(visibleLines);
    verticalScrollBar()->setSingleStep(1);
    // Characters outside the font's usual width (a wide glyph) may need more
    // room: a few columns spare.
    const int width = (m_widestColumns + 4) * fontMetrics().horizontalAdvance(QLatin1Char('M')) + 2 * Margin;
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 2);
}

void PreviewText::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void PreviewText::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        updateScrollBars();
}

void PreviewText::paintEvent(QPaintEvent *)
{
    QPainter p(viewport());
    const QFontMetrics fm = fontMetrics();
    const int height = lineHeight();
    const int first = verticalScrollBar()->value();
    const int last = std::min(lineCount() - 1, first + viewport()->height() / height + 1);
    const Place from = std::min(m_anchor, m_cursor), to = std::max(m_anchor, m_cursor);
    const int left = Margin - horizontalScrollBar()->value();
    const QPalette &pal = palette();
    for (int line = first; line <= last; ++line) {
        const QString text = lineText(line);
        const QString shown = laidOut(text);
        const int top = (line - first) * height;
        QRect selected;
        if (from != to && line >= from.line && line <= to.line) {
            const int a = line == from.line ? shownColumn(text, from.index) : 0;
            // A selected line end shows as one character's width.
            const int b = line == to.line ? shownColumn(text, to.index) : int(shown.size()) + 1;
            const int x0 = fm.horizontalAdvance(shown.left(a));
            const int x1 = fm.horizontalAdvance(shown.left(b)) + (b > shown.size() ? fm.horizontalAdvance(QLatin1Char(' ')) : 0);
            selected = QRect(left + x0, top, x1 - x0, height);
            p.fillRect(selected, pal.brush(QPalette::Highlight));
        }
        const QPoint baseline(left, top + fm.ascent());
        p.setClipRegion(QRegion(viewport()->rect()).subtracted(selected));
        p.setPen(pal.color(QPalette::Text));
        p.drawText(baseline, shown);
        if (!selected.isEmpty()) {
            p.setClipRect(selected);
            p.setPen(pal.color(QPalette::HighlightedText));
            p.drawText(baseline, shown);
        }
        p.setClipping(false);
    }
}

PreviewText::Place PreviewText::placeAt(QPoint point) const
{
    const int line = std::clamp(verticalScrollBar()->value() + point.y() / lineHeight(), 0, lineCount() - 1);
    const QString text = lineText(line);
    const QFontMetrics fm = fontMetrics();
    const int x = point.x() + horizontalScrollBar()->value() - Margin;
    const int space = fm.horizontalAdvance(QLatin1Char(' '));
    int column = 0, left = 0;
    for (int i = 0; i < text.size(); ++i) {
        const int next = text[i] == QLatin1Char('\t') ? nextTabStop(column) : column + 1;
        const int width = text[i] == QLatin1Char('\t') ? (next - column) * space : fm.horizontalAdvance(text[i]);
        if (x < left + width / 2)
            return {line, i};
        left += width;
        column = next;
    }
    return {line, int(text.size())};
}

void PreviewText::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    m_cursor = placeAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        m_anchor = m_cursor;
    viewport()->update();
}

void PreviewText::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint at = event->position().toPoint();
    // Dragging past an edge scrolls on.
    if (at.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (at.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    m_cursor = placeAt(at);
    viewport()->update();
}

void PreviewText::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::MoveToStartOfDocument))
        verticalScrollBar()->setValue(0);
    else if (event->matches(QKeySequence::MoveToEndOfDocument))
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void PreviewText::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    QAction *copyAction = menu.addAction(QStringLiteral("Copier"), this, &PreviewText::copy);
    copyAction->setEnabled(m_anchor != m_cursor);
    menu.addAction(QStringLiteral("Tout sélectionner"), this, &PreviewText::selectAll);
    menu.exec(event->globalPos());
}
