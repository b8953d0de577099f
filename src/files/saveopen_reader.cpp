// The script reader. A file is first cut into top-level forms (a rule from
// its "(" to the ")" that balances it, a constant, a load, a directive, a
// comment line, a blank line, other text); each form is then read into rows,
// element by element, with a stack of the open rule and groups. Nothing here
// recurses on the input, so any nesting depth reads in bounded stack.
#include "saveopen.h"

#include "document/linebuilders.h"
#include "shell/fileservices.h"

#include <QStringDecoder>

namespace SaveOpen {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

QStringView trimBlanks(QStringView s)
{
    qsizetype b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

QStringView trimTrailingBlanks(QStringView s)
{
    qsizetype e = s.size();
    while (e > 0 && isBlank(s[e - 1]))
        --e;
    return s.left(e);
}

bool isWordEnd(QChar c)
{
    return isBlank(c) || c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char(';')
           || c == QLatin1Char('"');
}

// The word that starts at from (blanks skipped first); end receives the
// position just after it.
QStringView wordAt(QStringView s, qsizetype from, qsizetype *end = nullptr)
{
    qsizetype b = from;
    while (b < s.size() && isBlank(s[b]))
        ++b;
    qsizetype x = b;
    while (x < s.size() && !isWordEnd(s[x]))
        ++x;
    if (end)
        *end = x;
    return s.mid(b, x - b);
}

bool is(QStringView word, QLatin1StringView keyword)
{
    return word.compare(keyword, Qt::CaseInsensitive) == 0;
}

bool startsWithKeyword(QStringView s, QLatin1StringView keyword)
{
    return s.startsWith(keyword, Qt::CaseInsensitive);
}

// Where a line's comment starts (its ";" outside double quotes), or -1.
qsizetype commentStart(QStringView line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(';') && !quoted)
            return i;
    }
    return -1;
}

struct LineSpan {
    qint32 begin; // first character
    qint32 end;   // just before the line end
};

std::vector<LineSpan> lineSpans(QStringView text)
{
    std::vector<LineSpan> lines;
    lines.reserve(size_t(text.size() / 24 + 1));
    const QChar *d = text.data();
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = d[i].unicode();
        if (c == '\n' || c == '\r') {
            lines.push_back({qint32(start), qint32(i)});
            if (c == '\r' && i + 1 < n && d[i + 1] == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.push_back({qint32(start), qint32(n)});
    return lines;
}

// Byte offsets of the line starts of a UTF-8 file (line ends are single
// bytes there, so the lines are the same as the decoded text's).
std::vector<qint32> byteLineStarts(QByteArrayView bytes, qsizetype from)
{
    std::vector<qint32> starts;
    starts.push_back(qint32(from));
    const char *d = bytes.data();
    const qsizetype n = bytes.size();
    for (qsizetype i = from; i < n; ++i) {
        if (d[i] == '\n' || d[i] == '\r') {
            if (d[i] == '\r' && i + 1 < n && d[i + 1] == '\n')
                ++i;
            starts.push_back(qint32(i + 1));
        }
    }
    return starts;
}

// Whether a line (trimmed) starts a top-level form of its own, so that a
// form left open by a missing ")" stops before it.
bool startsTopLevelForm(QStringView t)
{
    if (t.startsWith(QLatin1Char('#')))
        return true;
    if (!t.startsWith(QLatin1Char('(')))
        return false;
    const QStringView kw = wordAt(t, 1);
    return is(kw, QLatin1StringView("defrule")) || is(kw, QLatin1StringView("defconst"));
}

// Cuts the lines into forms; returns the first line of each form.
std::vector<qint32> formStarts(QStringView text, const std::vector<LineSpan> &lines)
{
    std::vector<qint32> starts;
    const size_t n = lines.size();
    size_t i = 0;
    while (i < n) {
        starts.push_back(qint32(i));
        const QStringView first = trimBlanks(text.mid(lines[i].begin, lines[i].end - lines[i].begin));
        if (first.isEmpty() || first.startsWith(QLatin1Char(';')) || first.startsWith(QLatin1Char('#'))) {
            ++i;
            continue;
        }
        // Up to the end of the line where the parentheses balance again.
        qsizetype depth = 0;
        while (true) {
            const QStringView line = text.mid(lines[i].begin, lines[i].end - lines[i].begin);
            bool quoted = false;
            for (QChar c : line) {
                if (c == QLatin1Char('"'))
                    quoted = !quoted;
                else if (quoted)
                    continue;
                else if (c == QLatin1Char(';'))
                    break;
                else if (c == QLatin1Char('('))
                    ++depth;
                else if (c == QLatin1Char(')') && depth > 0)
                    --depth;
            }
            ++i;
            if (depth == 0 || i >= n)
                break;
            const QStringView next = trimBlanks(text.mid(lines[i].begin, lines[i].end - lines[i].begin));
            if (startsTopLevelForm(next))
                break;
        }
    }
    return starts;
}

// Reads the rows of one form.
class FormReader
{
public:
    FormReader(std::vector<ScriptLine> &rows, int form) : m_rows(rows), m_form(form) {}

    void read(const std::vector<QStringView> &lines)
    {
        const size_t rowsBefore = m_rows.size();
        m_lines = &lines;
        for (m_line = 0; m_line < lines.size(); ++m_line) {
            m_pos = 0;
            m_lineHadToken = false;
            readLine();
        }
        // Every form shows in the list, whatever it holds.
        if (m_rows.size() == rowsBefore)
            add(trimBlanks(lines.empty() ? QStringView() : lines.front()).toString(), Colours::Text, LineKind::Text);
    }

private:
    enum class Frame : quint8 { Rule, Or, AndNot, And, Nor };

    QStringView line() const { return (*m_lines)[m_line]; }

    void add(QString text, QRgb colour, LineKind kind)
    {
        m_rows.push_back(ScriptLine{std::move(text), colour, kind, m_form});
    }

    void flushStray()
    {
        if (m_strayEnd > m_strayBegin)
            add(line().mid(m_strayBegin, m_strayEnd - m_strayBegin).toString(), Colours::Text, LineKind::Text);
        m_strayBegin = m_strayEnd = 0;
    }

    void stray(qsizetype begin, qsizetype end)
    {
        if (m_strayEnd <= m_strayBegin)
            m_strayBegin = begin;
        m_strayEnd = end;
    }

    void readLine()
    {
        if (trimBlanks(line()).isEmpty()) {
            add(QStringLiteral(" "), Colours::Blank, LineKind::BL);
            return;
        }
        // An element read whole may end on a later line: the line is taken
        // afresh at each step.
        while (m_pos < line().size()) {
            const QStringView l = line();
            const QChar c = l[m_pos];
            if (isBlank(c)) {
                ++m_pos;
            } else if (c == QLatin1Char(';')) {
                flushStray();
                const QString comment = l.mid(m_pos + 1).toString();
                if (m_lineHadToken && m_rows.size() > m_formFirstRow)
                    add(QStringLiteral("|-- ") + comment, Colours::CommentRead, LineKind::CommE);
                else
                    add(comment, Colours::CommentRead, LineKind::CommN);
                m_pos = l.size();
            } else if (c == QLatin1Char('(')) {
                flushStray();
                readOpen();
                m_lineHadToken = true;
            } else if (c == QLatin1Char(')')) {
                if (m_frames.empty()) {
                    stray(m_pos, m_pos + 1);
                } else {
                    flushStray();
                    close();
                }
                ++m_pos;
                m_lineHadToken = true;
            } else if (c == QLatin1Char('=') && m_pos + 1 < l.size() && l[m_pos + 1] == QLatin1Char('>')
                       && !m_frames.empty()) {
                flushStray();
                m_inActions = true;
                m_pos += 2;
                m_lineHadToken = true;
            } else if (c == QLatin1Char('#') && !m_lineHadToken) {
                readDirective();
                m_lineHadToken = true;
            } else {
                // text the editor does not know: kept as a row of its own
                qsizetype x = m_pos;
                if (c == QLatin1Char('"')) {
                    x = l.indexOf(QLatin1Char('"'), m_pos + 1);
                    x = x < 0 ? l.size() : x + 1;
                } else {
                    ++x;
                    while (x < l.size() && !isWordEnd(l[x]))
                        ++x;
                }
                stray(m_pos, x);
                m_pos = x;
                m_lineHadToken = true;
            }
        }
        flushStray();
    }

    void readDirective()
    {
        const QStringView l = line();
        const qsizetype semi = commentStart(l.mid(m_pos));
        const qsizetype end = semi < 0 ? l.size() : m_pos + semi;
        const QStringView d = trimBlanks(l.mid(m_pos, end - m_pos));
        m_pos = end;
        static constexpr QLatin1StringView Defined("#load-if-defined");
        static constexpr QLatin1StringView NotDefined("#load-if-not-defined");
        auto keywordAlone = [&](QLatin1StringView k) {
            return startsWithKeyword(d, k) && (d.size() == k.size() || isBlank(d[k.size()]));
        };
        if (keywordAlone(Defined))
            add(QStringLiteral("Si ") + wordAt(d, Defined.size()).toString(), Colours::Prep, LineKind::Prep);
        else if (keywordAlone(NotDefined))
            add(QStringLiteral("Si inverse ") + wordAt(d, NotDefined.size()).toString(), Colours::Prep, LineKind::Prep);
        else if (keywordAlone(QLatin1StringView("#else")))
            add(QStringLiteral("Sinon"), Colours::Prep, LineKind::Prep);
        else if (keywordAlone(QLatin1StringView("#end-if")))
            add(QStringLiteral("Fin de si"), Colours::Prep, LineKind::Prep);
        else
            add(d.toString(), Colours::Text, LineKind::Text);
    }

    void open(Frame f, const QString &text, LineKind kind, qsizetype after)
    {
        m_frames.push_back(f);
        if (f == Frame::Rule)
            m_inActions = false;
        add(text, Colours::Rule, kind);
        m_pos = after;
    }

    void close()
    {
        const Frame f = m_frames.back();
        m_frames.pop_back();
        switch (f) {
        case Frame::Rule:
            m_inActions = false;
            add(QStringLiteral("Fin de règle"), Colours::Rule, LineKind::FactE);
            break;
        case Frame::Or:
            add(QStringLiteral("Fin de ou"), Colours::Rule, LineKind::FactOE);
            break;
        case Frame::AndNot:
            add(QStringLiteral("Fin de et pas"), Colours::Rule, LineKind::FactAE);
            break;
        case Frame::And:
            add(QStringLiteral("Fin de tous"), Colours::Rule, LineKind::FactTE);
            break;
        case Frame::Nor:
            add(QStringLiteral("Fin de ni"), Colours::Rule, LineKind::FactNE);
            break;
        }
    }

    // A "(" at the structure level: a rule or group start, or an element
    // read whole up to the ")" that balances it.
    void readOpen()
    {
        qsizetype kwEnd = 0;
        const QStringView kw = wordAt(line(), m_pos + 1, &kwEnd);
        if (is(kw, QLatin1StringView("defrule")))
            return open(Frame::Rule, QStringLiteral("Début de fait"), LineKind::FactB, kwEnd);
        if (!m_inActions) {
            if (is(kw, QLatin1StringView("or")))
                return open(Frame::Or, QStringLiteral("Ou"), LineKind::FactOB, kwEnd);
            if (is(kw, QLatin1StringView("nand")))
                return open(Frame::AndNot, QStringLiteral("Et pas"), LineKind::FactAB, kwEnd);
            if (is(kw, QLatin1StringView("and")))
                return open(Frame::And, QStringLiteral("Tous"), LineKind::FactTB, kwEnd);
            if (is(kw, QLatin1StringView("nor")))
                return open(Frame::Nor, QStringLiteral("Ni"), LineKind::FactNB, kwEnd);
        }
        const QString element = readElement();
        const QStringView inner = innerText(element);
        qsizetype afterKw = 0;
        const QStringView word = wordAt(inner, 0, &afterKw);
        if (!m_frames.empty()) {
            if (m_inActions)
                add(inner.toString(), Colours::Act, LineKind::Act);
            else if (is(word, QLatin1StringView("not")))
                add(QStringLiteral("Inverse de ") + negatedFact(inner.mid(afterKw)).toString(), Colours::Rule, LineKind::Fact);
            else
                add(inner.toString(), Colours::Rule, LineKind::Fact);
        } else if (is(word, QLatin1StringView("defconst"))) {
            qsizetype nameEnd = 0;
            const QStringView name = wordAt(inner, afterKw, &nameEnd);
            add(QStringLiteral("Constante: ") + name.toString() + QStringLiteral(" = ")
                    + trimBlanks(inner.mid(nameEnd)).toString(),
                Colours::Const, LineKind::Const);
        } else if (is(word, QLatin1StringView("load"))) {
            add(loadName(inner.mid(afterKw)).toString(), Colours::LoadRead, LineKind::Load);
        } else if (is(word, QLatin1StringView("load-random"))) {
            add(randomLoad(inner.mid(afterKw)), Colours::LoadRead, LineKind::RLoad);
        } else {
            add(element, Colours::Text, LineKind::Text);
        }
        for (const QString &comment : m_elementComments)
            add(QStringLiteral("|-- ") + comment, Colours::CommentRead, LineKind::CommE);
        m_elementComments.clear();
    }

    // From the "(" at the cursor to the ")" that balances it, over as many
    // lines as it takes: the lines are joined with one blank, and their
    // comments are kept aside to follow the element's row.
    QString readElement()
    {
        QString text;
        qsizetype depth = 0;
        while (true) {
            const QStringView l = line();
            const qsizetype start = m_pos;
            bool quoted = false;
            qsizetype i = m_pos;
            qsizetype end = -1;   // just after the balancing ")"
            qsizetype semi = -1;
            for (; i < l.size(); ++i) {
                const QChar c = l[i];
                if (c == QLatin1Char('"')) {
                    quoted = !quoted;
                } else if (quoted) {
                    continue;
                } else if (c == QLatin1Char(';')) {
                    semi = i;
                    break;
                } else if (c == QLatin1Char('(')) {
                    ++depth;
                } else if (c == QLatin1Char(')')) {
                    if (--depth == 0) {
                        end = i + 1;
                        break;
                    }
                }
            }
            const QStringView part = l.mid(start, (end >= 0 ? end : semi >= 0 ? semi : l.size()) - start);
            if (!text.isEmpty() && !trimBlanks(part).isEmpty())
                text += QLatin1Char(' ');
            text += text.isEmpty() ? trimTrailingBlanks(part) : trimBlanks(part);
            if (end >= 0) {
                m_pos = end;
                return text;
            }
            if (semi >= 0)
                m_elementComments.push_back(l.mid(semi + 1).toString());
            if (m_line + 1 >= m_lines->size()) {
                m_pos = l.size(); // the form ends inside the element
                return text;
            }
            ++m_line;
            m_pos = 0;
        }
    }

    // An element's text without its parentheses and the blanks inside them.
    static QStringView innerText(QStringView element)
    {
        QStringView inner = element.mid(1);
        if (inner.endsWith(QLatin1Char(')')))
            inner.chop(1);
        return trimBlanks(inner);
    }

    // "(not (x 1))": the text of the negated fact, "x 1".
    static QStringView negatedFact(QStringView rest)
    {
        rest = trimBlanks(rest);
        if (rest.startsWith(QLatin1Char('(')) && rest.endsWith(QLatin1Char(')')))
            rest = trimBlanks(rest.mid(1, rest.size() - 2));
        return rest;
    }

    static QStringView loadName(QStringView rest)
    {
        const qsizetype q1 = rest.indexOf(QLatin1Char('"'));
        if (q1 >= 0) {
            const qsizetype q2 = rest.indexOf(QLatin1Char('"'), q1 + 1);
            return q2 < 0 ? rest.mid(q1 + 1) : rest.mid(q1 + 1, q2 - q1 - 1);
        }
        return wordAt(rest, 0); // an unquoted name
    }

    // The possibilities of a random load: a percentage and a quoted file
    // name, or a quoted name alone.
    static QString randomLoad(QStringView text)
    {
        QString display;
        QStringView percentage;
        qsizetype i = 0;
        while (i < text.size()) {
            const QChar c = text[i];
            if (isBlank(c)) {
                ++i;
            } else if (c == QLatin1Char('"')) {
                qsizetype q2 = text.indexOf(QLatin1Char('"'), i + 1);
                if (q2 < 0)
                    q2 = text.size();
                display += text.mid(i + 1, q2 - i - 1);
                display += QLatin1Char(' ');
                if (!percentage.isEmpty()) {
                    display += percentage;
                    display += QStringLiteral("% ");
                }
                percentage = {};
                i = q2 + 1;
            } else {
                qsizetype x = i;
                while (x < text.size() && !isWordEnd(text[x]))
                    ++x;
                percentage = text.mid(i, qMax<qsizetype>(1, x - i));
                i = qMax(x, i + 1);
            }
        }
        return display;
    }

    std::vector<ScriptLine> &m_rows;
    const size_t m_formFirstRow = m_rows.size();
    const int m_form;
    const std::vector<QStringView> *m_lines = nullptr;
    size_t m_line = 0;
    qsizetype m_pos = 0;
    bool m_lineHadToken = false;
    bool m_inActions = false;
    std::vector<Frame> m_frames;
    std::vector<QString> m_elementComments;
    qsizetype m_strayBegin = 0, m_strayEnd = 0;
};

} // namespace

ScriptSource decodeScript(QByteArray bytes)
{
    ScriptSource s;
    const QByteArrayView b(bytes);
    qsizetype from = 0;
    if (b.startsWith("\xEF\xBB\xBF")) {
        s.encoding = TextEncoding::Utf8;
        s.byteOrderMark = true;
        from = 3;
    }
    bool ascii = true;
    for (const char c : b.sliced(from)) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (s.byteOrderMark || !ascii) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(b.sliced(from));
        if (!utf8.hasError()) {
            s.encoding = TextEncoding::Utf8;
            s.text = std::move(text);
        } else if (s.byteOrderMark) {
            // a mark before bytes that are not UTF-8: read as the game's code page
            s.byteOrderMark = false;
            s.encoding = TextEncoding::Windows1252;
            from = 0;
        }
    }
    if (s.encoding == TextEncoding::Windows1252)
        s.text = FileServices::decode1252(b);
    s.bytes = std::move(bytes);

    // The file's own line end, from its first; CR LF when it has none.
    const qsizetype nl = s.text.indexOf(QLatin1Char('\n'));
    const qsizetype cr = s.text.indexOf(QLatin1Char('\r'));
    if (cr >= 0 && (nl < 0 || cr < nl))
        s.lineEnd = (cr + 1 < s.text.size() && s.text[cr + 1] == QLatin1Char('\n')) ? QStringLiteral("\r\n") : QStringLiteral("\r");
    else if (nl >= 0)
        s.lineEnd = QStringLiteral("\n");
    s.finalLineEnd = s.text.isEmpty() || s.text.endsWith(QLatin1Char('\n')) || s.text.endsWith(QLatin1Char('\r'));
    return s;
}

std::vector<ScriptLine> readForms(ScriptSource &source)
{
    const QStringView text(source.text);
    const std::vector<LineSpan> lines = lineSpans(text);
    const std::vector<qint32> starts = formStarts(text, lines);
    std::vector<qint32> byteStarts;
    if (source.encoding == TextEncoding::Utf8)
        byteStarts = byteLineStarts(source.bytes, source.byteOrderMark ? 3 : 0);

    std::vector<ScriptLine> rows;
    rows.reserve(lines.size());
    source.lineCount = int(lines.size());
    source.forms.clear();
    source.forms.reserve(starts.size());
    source.lost.clear();
    std::vector<QStringView> formLines;
    for (size_t f = 0; f < starts.size(); ++f) {
        const size_t first = size_t(starts[f]);
        const size_t last = f + 1 < starts.size() ? size_t(starts[f + 1]) : lines.size();
        SourceForm form;
        form.charBegin = f == 0 ? 0 : lines[first].begin;
        form.byteBegin = source.encoding == TextEncoding::Utf8 ? (f == 0 ? (source.byteOrderMark ? 3 : 0) : byteStarts[first])
                                                               : form.charBegin;
        form.firstLine = qint32(first + 1);
        source.forms.push_back(form);
        formLines.clear();
        for (size_t i = first; i < last; ++i)
            formLines.push_back(text.mid(lines[i].begin, lines[i].end - lines[i].begin));
        FormReader(rows, int(f)).read(formLines);
    }
    return rows;
}

std::vector<ScriptLine> readScriptText(QStringView text)
{
    ScriptSource s;
    s.text = text.toString();
    return readForms(s);
}

ReadResult readScriptBytes(QByteArray bytes)
{
    ReadResult r;
    r.source = decodeScript(std::move(bytes));
    r.rows = readForms(r.source);
    markKeptForms(r.rows, r.source);
    return r;
}

ReadResult ReadScriptFile(const QString &path)
{
    QByteArray bytes;
    const QString error = FileServices::readFileBytes(path, bytes);
    if (!error.isEmpty()) {
        ReadResult r;
        r.error = error;
        return r;
    }
    return readScriptBytes(std::move(bytes));
}

} // namespace SaveOpen
