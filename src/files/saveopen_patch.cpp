// Saving an edited form row by row: the form's text as read, with only the
// rows that changed, came or went written anew. Everything between rows (the
// "=>", blank lines, indentation, the line ends) stays where it was.
#include "saveopen.h"
#include "saveopen_internal.h"
#include "saveopen_text.h"
#include "rowstext.h"

#include "shell/fileservices.h"

#include <functional>
#include <map>

namespace SaveOpen {

using Text::isBlank;
using Text::isLineEnd;

namespace {

// The depth of each row in the rule's groups, the rule's own rows at 0.
std::vector<int> depths(const ScriptLine *rows, size_t n)
{
    std::vector<int> d(n);
    int depth = 0;
    for (size_t i = 0; i < n; ++i) {
        if (closesBlock(rows[i].kind))
            depth = qMax(0, depth - 1);
        d[i] = depth;
        if (opensBlock(rows[i].kind))
            ++depth;
    }
    return d;
}

class FormPatcher
{
public:
    FormPatcher(QStringView text, QStringView lineEnd, const std::function<QStringView()> &indentUnit,
                std::vector<ScriptLine> &&read, std::vector<RowSpan> &&spans)
        : m_text(text), m_lineEnd(lineEnd), m_unit(indentUnit), m_read(std::move(read)), m_spans(std::move(spans))
    {
        m_readDepth = depths(m_read.data(), m_read.size());
    }

    // Writes rows (the form's rows now) to out; starts[k] receives where in
    // out the k-th row starts, -1 for a row not written.
    void write(const ScriptLine *rows, size_t count, QString &out, std::vector<qsizetype> &starts)
    {
        m_rows = rows;
        m_count = count;
        m_out = &out;
        m_starts = &starts;
        starts.assign(count, -1);
        m_depth = depths(rows, count);
        match();
        const size_t n = m_read.size();
        size_t next = 0; // the first row not written yet
        for (size_t u = 0; u < n;) {
            size_t v = u + 1; // the rows read inside u's span go with it
            while (v < n && m_spans[u].contains(m_spans[v]))
                ++v;
            if (m_spans[u].begin < m_cursor) { // within lines already dropped
                u = v;
                continue;
            }
            long first = -1, last = -1;
            bool exact = true;
            bool between = false; // a new row among the rows read inside
            for (size_t o = u; o < v; ++o) {
                const long k = m_matchOf[o];
                if (k < 0) {
                    exact = false;
                    continue;
                }
                between = between || (last >= 0 && k != last + 1);
                exact = exact && m_exact[size_t(k)];
                first = first < 0 ? k : first;
                last = k;
            }
            exact = exact && !between;
            // Only comments inside it changed or went: the row keeps its
            // lines, and they alone change.
            const bool inside = !exact && !between && m_matchOf[u] >= 0 && m_exact[size_t(m_matchOf[u])];
            if (first < 0) {
                drop(u, v);
            } else {
                insertBefore(next, size_t(first), m_spans[u].begin);
                emitTo(m_spans[u].begin);
                if (exact) {
                    for (size_t o = u; o < v; ++o)
                        starts[size_t(m_matchOf[o])] = out.size() + m_spans[o].begin - m_spans[u].begin;
                    emitTo(m_spans[v - 1].end > m_spans[u].end ? m_spans[v - 1].end : m_spans[u].end);
                    if (m_spans[u].end == m_spans[u].begin)
                        m_emptyLineAt = m_cursor; // an empty line's row: the line is taken
                } else if (inside) {
                    starts[size_t(first)] = out.size();
                    for (size_t o = u + 1; o < v; ++o) {
                        const long k = m_matchOf[o];
                        if (k >= 0 && m_exact[size_t(k)]) {
                            emitTo(m_spans[o].begin);
                            starts[size_t(k)] = out.size();
                            emitTo(m_spans[o].end);
                        } else if (k >= 0) {
                            emitTo(m_spans[o].begin);
                            replace(size_t(k), size_t(k) + 1);
                            m_cursor = m_spans[o].end;
                        } else {
                            qint32 from = m_spans[o].begin;
                            while (from > m_cursor && isBlank(m_text[from - 1]))
                                --from;
                            emitTo(from);
                            m_cursor = m_spans[o].end;
                        }
                    }
                    emitTo(qMax(m_spans[u].end, m_spans[v - 1].end));
                } else {
                    replace(size_t(first), size_t(last) + 1);
                    m_cursor = qMax(m_spans[u].end, m_spans[v - 1].end);
                }
                next = size_t(last) + 1;
            }
            u = v;
        }
        insertBefore(next, count, qint32(m_text.size()));
        emitTo(qint32(m_text.size()));
    }

private:
    // Pairs the rows now with the rows read: in order, on the same line
    // and of the same kind, the same text first. A row paired with another
    // text changed; rows left unpaired were inserted or deleted.
    void match()
    {
        m_matchOf.assign(m_read.size(), -1);
        m_exact.assign(m_count, false);
        m_readOf.assign(m_count, -1);
        size_t p = 0;
        for (size_t k = 0; k < m_count; ++k) {
            const ScriptLine &c = m_rows[k];
            if (c.readLine <= 0)
                continue;
            long changed = -1, same = -1;
            for (size_t q = p; q < m_read.size() && m_read[q].readLine <= c.readLine; ++q) {
                if (m_read[q].readLine != c.readLine || m_read[q].kind != c.kind)
                    continue;
                if (m_read[q].text == c.text) {
                    same = long(q);
                    break;
                }
                if (changed < 0)
                    changed = long(q);
            }
            const long q = same >= 0 ? same : changed;
            if (q < 0)
                continue;
            m_matchOf[size_t(q)] = long(k);
            m_exact[k] = same >= 0;
            m_readOf[k] = q;
            p = size_t(q) + 1;
        }
    }

    void emitTo(qint32 pos)
    {
        if (pos > m_cursor)
            *m_out += m_text.mid(m_cursor, pos - m_cursor);
        m_cursor = qMax(m_cursor, pos);
    }

    bool atLineStart(qint32 pos) const { return pos == 0 || isLineEnd(m_text[pos - 1]); }
    // Whether what is written so far ends a line that no row read still
    // stands on: a new row may take a line of its own there.
    bool freshLine() const
    {
        return (m_out->isEmpty() || isLineEnd(m_out->back())) && m_emptyLineAt != m_cursor;
    }
    qint32 lineStart(qint32 pos) const
    {
        while (pos > 0 && !isLineEnd(m_text[pos - 1]))
            --pos;
        return pos;
    }
    // Just after the line end at pos (CR LF as one).
    qint32 afterLineEnd(qint32 pos) const
    {
        if (m_text[pos] == QLatin1Char('\r') && pos + 1 < m_text.size() && m_text[pos + 1] == QLatin1Char('\n'))
            return pos + 2;
        return pos + 1;
    }
    qint32 findLineEnd(qint32 from, qint32 to) const
    {
        for (qint32 i = from; i < to; ++i)
            if (isLineEnd(m_text[i]))
                return i;
        return -1;
    }
    bool blank(qint32 from, qint32 to) const
    {
        for (qint32 i = from; i < to; ++i)
            if (!isBlank(m_text[i]))
                return false;
        return true;
    }

    // Rows read u to v, none of them still there: their text goes, with
    // their line when nothing else is left on it.
    void drop(size_t u, size_t v)
    {
        const qint32 b = m_spans[u].begin;
        qint32 e = qMax(m_spans[u].end, m_spans[v - 1].end);
        const qint32 ls = lineStart(b);
        // the rest of the line: blanks, or rows dropped too
        qint32 i = e;
        size_t w = v;
        while (i < m_text.size() && !isLineEnd(m_text[i])) {
            if (isBlank(m_text[i])) {
                ++i;
            } else if (w < m_read.size() && m_spans[w].begin == i && m_matchOf[w] < 0 && !hasMatch(w)) {
                i = skipUnit(w);
            } else {
                break;
            }
        }
        const bool restGoes = i >= m_text.size() || isLineEnd(m_text[i]);
        if (ls >= m_cursor && blank(ls, b) && restGoes) {
            emitTo(ls);
            m_cursor = i < m_text.size() ? afterLineEnd(i) : i;
            // a file's last line, without its line end, takes the end of the line before
            if (i >= m_text.size() && ls > 0 && m_out->size() > 0 && isLineEnd(m_out->back())) {
                m_out->chop(m_out->endsWith(QLatin1String("\r\n")) ? 2 : 1);
            }
            return;
        }
        qint32 from = b;
        if (blank(ls, b) && ls >= m_cursor) { // first on its line: the blanks after it go
            while (e < m_text.size() && isBlank(m_text[e]))
                ++e;
        } else {
            while (from > m_cursor && isBlank(m_text[from - 1]))
                --from;
        }
        emitTo(from);
        m_cursor = e;
    }
    // Whether a row of the unit starting at w is still there.
    bool hasMatch(size_t w) const
    {
        for (size_t o = w; o < m_read.size() && (o == w || m_spans[w].contains(m_spans[o])); ++o)
            if (m_matchOf[o] >= 0)
                return true;
        return false;
    }
    qint32 skipUnit(size_t &w) const
    {
        qint32 end = m_spans[w].end;
        const size_t u = w;
        for (++w; w < m_read.size() && m_spans[u].contains(m_spans[w]); ++w)
            end = qMax(end, m_spans[w].end);
        return end;
    }

    // A row's text in the editor's layout, on lines ended by the file's.
    QString layout(const ScriptLine *begin, const ScriptLine *end, int *lines = nullptr) const
    {
        QString t;
        appendLayout(t, std::span<const ScriptLine>(begin, end), m_lineEnd, {}, lines);
        if (t.endsWith(m_lineEnd))
            t.chop(m_lineEnd.size());
        return t;
    }

    // Rows first to end, changed, in place of the text of the rows read.
    void replace(size_t first, size_t end)
    {
        std::vector<int> lines(end - first, 0);
        const QString t = layout(m_rows + first, m_rows + end, lines.data());
        const qsizetype at = m_out->size();
        for (size_t k = first; k < end; ++k)
            if (lines[k - first] > 0)
                (*m_starts)[k] = at + lineOffset(t, lines[k - first]);
        *m_out += t;
    }
    static qsizetype lineOffset(QStringView t, int line)
    {
        qsizetype i = 0;
        for (int l = 1; l < line && i < t.size(); ++i) {
            if (isLineEnd(t[i])) {
                if (t[i] == QLatin1Char('\r') && i + 1 < t.size() && t[i + 1] == QLatin1Char('\n'))
                    ++i;
                ++l;
            }
        }
        return i;
    }

    // Rows from to end are new: written before the text at limit, each on a
    // line of its own (an end comment at the end of the line before), an
    // action after the "=>" when one stands in the way.
    void insertBefore(size_t from, size_t end, qint32 limit)
    {
        for (size_t k = from, next; k < end; k = next) {
            const ScriptLine &r = m_rows[k];
            // the end comments new with it stay on its line
            next = k + 1;
            while (r.kind != LineKind::CommE && next < end && m_rows[next].kind == LineKind::CommE)
                ++next;
            if (r.kind == LineKind::Unknown)
                continue; // not written
            const QString t = layout(&r, m_rows + next);
            m_commentAfter = next > k + 1;
            insertRow(k, t, limit);
            m_commentAfter = false;
            for (size_t c = k + 1; c < next; ++c)
                (*m_starts)[c] = (*m_starts)[k];
        }
    }
    void insertRow(size_t k, const QString &t, qint32 limit)
    {
        const ScriptLine &r = m_rows[k];
        if (r.kind == LineKind::CommE && !freshLine()) {
            (*m_starts)[k] = m_out->size();
            *m_out += QStringLiteral("     ") + t;
            return;
        }
        const QString ind = indentation(k);
        if (r.kind == LineKind::Act || (r.flags & ScriptLine::AfterArrow)) {
            const qsizetype arrow = m_text.mid(m_cursor, limit - m_cursor).indexOf(u"=>");
            if (arrow >= 0) {
                const qint32 a = m_cursor + qint32(arrow) + 2;
                const qint32 le = findLineEnd(a, limit);
                if (le >= 0 && blank(a, le)) {
                    emitTo(afterLineEnd(le));
                    put(k, ind, t, false);
                } else { // the line goes on after the "=>"
                    emitTo(a);
                    *m_out += m_lineEnd;
                    put(k, ind, t, true);
                }
                return;
            }
        }
        if (freshLine()) {
            put(k, ind, t, false);
            return;
        }
        const qint32 le = findLineEnd(m_cursor, limit);
        if (le >= 0) {
            emitTo(afterLineEnd(le));
            put(k, ind, t, false);
        } else {
            *m_out += m_lineEnd;
            put(k, ind, t, true);
        }
    }
    // Whether nothing may follow the row on its line: a comment would take
    // it in, a directive or a blank line would not be one any more.
    static bool endsItsLine(LineKind k)
    {
        return k == LineKind::CommN || k == LineKind::CommE || k == LineKind::Prep || k == LineKind::BL
               || k == LineKind::Text;
    }
    // A new row's line: its indentation, its text and, unless the line
    // goes on with the text read (open), its line end.
    void put(size_t k, const QString &indent, const QString &t, bool open)
    {
        *m_out += indent;
        (*m_starts)[k] = m_out->size();
        *m_out += t;
        if (open && (endsItsLine(m_rows[k].kind) || m_commentAfter)) {
            // the rest of the line read goes to the next one, if any
            while (m_cursor < m_text.size() && isBlank(m_text[m_cursor]))
                ++m_cursor;
            open = m_cursor >= m_text.size();
        }
        if (!open)
            *m_out += m_lineEnd;
    }

    // The indentation of a new row: that of the nearest row read at its
    // depth and first on its line, or else the file's.
    QString indentation(size_t k) const
    {
        const int depth = m_depth[k];
        // from the row read paired with the nearest row before it
        long around = -1;
        for (long j = long(k) - 1; j >= 0 && around < 0; --j)
            around = m_readOf[size_t(j)];
        const size_t n = m_read.size();
        for (size_t step = 0; step < 2 * n + 1; ++step) {
            const long o = around + (step % 2 ? -long(step / 2) : long(step / 2) + 1);
            if (o < 0 || size_t(o) >= n || m_readDepth[size_t(o)] != depth)
                continue;
            const qint32 b = m_spans[size_t(o)].begin;
            const qint32 ls = lineStart(b);
            if (m_read[size_t(o)].kind != LineKind::BL && m_read[size_t(o)].kind != LineKind::CommE && blank(ls, b))
                return m_text.mid(ls, b - ls).toString();
        }
        return m_unit().toString().repeated(depth);
    }

    QStringView m_text;
    QStringView m_lineEnd;
    const std::function<QStringView()> &m_unit; // the file's, worked out when first needed
    std::vector<ScriptLine> m_read;
    std::vector<RowSpan> m_spans;
    std::vector<int> m_readDepth;
    const ScriptLine *m_rows = nullptr;
    size_t m_count = 0;
    std::vector<int> m_depth;
    std::vector<long> m_matchOf; // for each row read, the row now paired with it
    std::vector<bool> m_exact;   // for each row now, whether it is as read
    std::vector<long> m_readOf;  // and the row read paired with it
    QString *m_out = nullptr;
    std::vector<qsizetype> *m_starts = nullptr;
    qint32 m_cursor = 0; // the text read is written up to there
    bool m_commentAfter = false; // the row being put ends with its end comments
    qint32 m_emptyLineAt = -1;
};

} // namespace

QString indentUnit(QStringView text)
{
    // the leading blanks of the lines that start with an element, by how often
    std::map<QStringView, int> counts;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        const qsizetype b = i;
        while (i < n && isBlank(text[i]))
            ++i;
        if (i > b && i < n && (text[i] == QLatin1Char('(') || text[i] == QLatin1Char(';')))
            ++counts[text.mid(b, i - b)];
        while (i < n && !isLineEnd(text[i]))
            ++i;
        ++i;
    }
    QStringView best;
    int most = 0;
    for (const auto &[blanks, count] : counts) {
        // a level is one tab, or spaces alone
        const bool tabs = blanks.size() == 1 && blanks[0] == QLatin1Char('\t');
        const bool spaces = !blanks.contains(QLatin1Char('\t'));
        if ((tabs || spaces) && count > most) {
            best = blanks;
            most = count;
        }
    }
    return best.toString();
}

void patchForm(const ScriptSource &source, int form, std::span<const ScriptLine> rows,
               const std::function<QStringView()> &indent,
               QString &out, std::vector<int> &lines)
{
    const QStringView text = source.formText(form);
    std::vector<QStringView> textLines;
    FileServices::splitLines(text, textLines);
    std::vector<ScriptLine> read;
    std::vector<RowSpan> spans;
    readFormRows(read, textLines, form, source.forms[size_t(form)].firstLine, &spans);
    std::vector<qsizetype> starts;
    FormPatcher(text, source.lineEnd, indent, std::move(read), std::move(spans)).write(rows.data(), rows.size(), out, starts);
    // each row's line, counting from 1
    lines.assign(rows.size(), 0);
    int line = 1;
    qsizetype i = 0;
    for (size_t k = 0; k < rows.size(); ++k) {
        if (starts[k] < 0)
            continue;
        for (; i < starts[k] && i < out.size(); ++i) {
            if (out[i] == QLatin1Char('\n') || (out[i] == QLatin1Char('\r') && (i + 1 >= out.size() || out[i + 1] != QLatin1Char('\n'))))
                ++line;
        }
        lines[k] = line;
    }
}

} // namespace SaveOpen
