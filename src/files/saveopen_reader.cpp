// The script reader. A file is cut into top-level forms (saveopen_forms.cpp);
// each form is then read into rows, element by element, with a stack of the
// open rule and groups. Nothing here recurses on the input, so any nesting
// depth reads in bounded stack.
#include "saveopen.h"
#include "saveopen_internal.h"
#include "saveopen_text.h"

#include "document/linebuilders.h"
#include "shell/fileservices.h"

#include <algorithm>
#include <optional>
#include <tuple>

namespace SaveOpen {

using Text::endsWord;
using Text::isBlank;
using Text::trimBlanks;
using Text::trimTrailingBlanks;

namespace {

// The word that starts at from (blanks skipped first); end receives the
// position just after it.
QStringView wordAt(QStringView s, qsizetype from, qsizetype *end = nullptr)
{
    qsizetype b = from;
    while (b < s.size() && isBlank(s[b]))
        ++b;
    qsizetype x = b;
    while (x < s.size() && !endsWord(s[x]))
        ++x;
    if (end)
        *end = x;
    return s.mid(b, x - b);
}

bool is(QStringView word, QLatin1StringView keyword)
{
    if (word.size() != keyword.size())
        return false;
    // ASCII letters compared here; any other character in Qt's full folding
    for (qsizetype k = 0; k < word.size(); ++k) {
        char16_t c = word[k].unicode();
        if (c >= 128)
            return word.compare(keyword, Qt::CaseInsensitive) == 0;
        if (c >= u'A' && c <= u'Z')
            c += 32;
        if (c != keyword[k].unicode())
            return false;
    }
    return true;
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

// The number of UTF-16 code units of valid UTF-8 bytes.
qsizetype utf16Length(QByteArrayView b)
{
    qsizetype n = 0;
    for (const char c : b) {
        const auto u = static_cast<unsigned char>(c);
        n += (u & 0xC0) != 0x80;
        n += u >= 0xF0; // a surrogate pair
    }
    return n;
}

// Reads the rows of one form.
class FormReader
{
public:
    // firstLine: the file line of the form's first line.
    FormReader(std::vector<ScriptLine> &rows, int form, int firstLine = 1, std::vector<RowSpan> *spans = nullptr)
        : m_rows(rows), m_form(form), m_firstLine(firstLine), m_spans(spans)
    {
    }

    void read(const std::vector<QStringView> &lines)
    {
        const size_t rowsBefore = m_rows.size();
        m_lines = &lines;
        m_base = lines.empty() ? nullptr : lines.front().data();
        for (m_line = 0; m_line < lines.size(); ++m_line) {
            m_pos = 0;
            m_lineHadToken = false;
            readLine();
        }
        // Every form shows in the list, whatever it holds.
        if (m_rows.size() == rowsBefore)
            add(trimBlanks(lines.empty() ? QStringView() : lines.front()).toString(), Colours::Text, LineKind::Text, 0, 0, 0);
    }

private:
    enum class Frame : quint8 { Rule, Or, AndNot, And, Nor };

    QStringView line() const { return (*m_lines)[m_line]; }

    // Where character pos of line at stands in the form's text.
    qint32 offset(size_t at, qsizetype pos) const { return qint32((*m_lines)[at].data() - m_base + pos); }
    qint32 offset(qsizetype pos) const { return offset(m_line, pos); }

    // A row standing on line at of the form, read from the characters
    // begin to end of the form's text.
    void add(QString text, QRgb colour, LineKind kind, size_t at, qint32 begin, qint32 end)
    {
        const qint32 line = m_firstLine + qint32(at);
        m_rows.push_back(ScriptLine{std::move(text), colour, kind, m_form, line, line});
        if (m_afterArrow) {
            m_rows.back().flags |= ScriptLine::AfterArrow;
            m_afterArrow = false;
        }
        if (m_spans)
            m_spans->push_back({begin, end});
    }
    // A row of the current line, read from its characters begin to end.
    void add(QString text, QRgb colour, LineKind kind, qsizetype begin, qsizetype end)
    {
        add(std::move(text), colour, kind, m_line, offset(begin), offset(end));
    }

    void flushStray()
    {
        if (m_strayEnd > m_strayBegin)
            add(line().mid(m_strayBegin, m_strayEnd - m_strayBegin).toString(), Colours::Text, LineKind::Text,
                m_strayBegin, m_strayEnd);
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
            add(QStringLiteral(" "), Colours::Blank, LineKind::BL, 0, line().size());
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
                    add(RowText::EndCommentPrefix + comment, Colours::Comment, LineKind::CommE, m_pos, l.size());
                else
                    add(comment, Colours::Comment, LineKind::CommN, m_pos, l.size());
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
                       && m_openRules > 0) {
                flushStray();
                m_inActions = true;
                m_afterArrow = true;
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
                    while (x < l.size() && !endsWord(l[x]))
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
        const qsizetype begin = m_pos;
        m_pos = end;
        auto add = [&](QString text, QRgb colour, LineKind kind) {
            this->add(std::move(text), colour, kind, begin, begin + d.size());
        };
        static constexpr QLatin1StringView Defined("#load-if-defined");
        static constexpr QLatin1StringView NotDefined("#load-if-not-defined");
        auto keywordAlone = [&](QLatin1StringView k) {
            return startsWithKeyword(d, k) && (d.size() == k.size() || isBlank(d[k.size()]));
        };
        if (keywordAlone(Defined))
            add(RowText::IfPrefix + wordAt(d, Defined.size()).toString(), Colours::Prep, LineKind::Prep);
        else if (keywordAlone(NotDefined))
            add(RowText::IfNotPrefix + wordAt(d, NotDefined.size()).toString(), Colours::Prep, LineKind::Prep);
        else if (keywordAlone(QLatin1StringView("#else")))
            add(RowText::Else, Colours::Prep, LineKind::Prep);
        else if (keywordAlone(QLatin1StringView("#end-if")))
            add(RowText::EndIf, Colours::Prep, LineKind::Prep);
        else
            add(d.toString(), Colours::Text, LineKind::Text);
    }

    // The group's "(" stands at begin of line at, its keyword ends at after.
    void open(Frame f, const QString &text, LineKind kind, qsizetype after, size_t at, qint32 begin)
    {
        m_frames.push_back(f);
        if (f == Frame::Rule) {
            m_inActions = false;
            m_afterArrow = false;
            ++m_openRules;
        }
        add(text, Colours::Rule, kind, at, begin, offset(after));
        m_pos = after;
    }

    void close()
    {
        const Frame f = m_frames.back();
        m_frames.pop_back();
        switch (f) {
        case Frame::Rule:
            m_inActions = false;
            --m_openRules;
            add(RowText::RuleEnd, Colours::Rule, LineKind::FactE, m_pos, m_pos + 1);
            break;
        case Frame::Or:
            add(RowText::OrEnd, Colours::Rule, LineKind::FactOE, m_pos, m_pos + 1);
            break;
        case Frame::AndNot:
            add(RowText::AndNotEnd, Colours::Rule, LineKind::FactAE, m_pos, m_pos + 1);
            break;
        case Frame::And:
            add(RowText::AndEnd, Colours::Rule, LineKind::FactTE, m_pos, m_pos + 1);
            break;
        case Frame::Nor:
            add(RowText::NorEnd, Colours::Rule, LineKind::FactNE, m_pos, m_pos + 1);
            break;
        }
    }

    // A "(" at the structure level: a rule or group start, or an element
    // read whole up to the ")" that balances it.
    void readOpen()
    {
        // The word after the "(", wherever it stands: the lines between are
        // blanks and comments, as an element's own line breaks would be.
        size_t kwLine = m_line;
        qsizetype kwEnd = 0;
        QStringView kw = wordAt(line(), m_pos + 1, &kwEnd);
        const size_t startLine = m_line;
        const qint32 begin = offset(m_pos);
        std::vector<Aside> between; // comments and their lines
        qsizetype from = m_pos + 1;
        while (kw.isEmpty()) {
            const QStringView l = (*m_lines)[kwLine];
            qsizetype b = from;
            while (b < l.size() && isBlank(l[b]))
                ++b;
            if (b < l.size() && l[b] != QLatin1Char(';'))
                break; // a "(" or a quote: no keyword
            if (b < l.size())
                between.push_back({l.mid(b + 1).toString(), kwLine, offset(kwLine, b), offset(kwLine, l.size())});
            if (kwLine + 1 >= m_lines->size())
                break;
            ++kwLine;
            from = 0;
            kw = wordAt((*m_lines)[kwLine], 0, &kwEnd);
        }
        auto opens = [&]() -> std::optional<std::tuple<Frame, QString, LineKind>> {
            if (is(kw, QLatin1StringView("defrule")))
                return std::tuple{Frame::Rule, RowText::RuleStartRead, LineKind::FactB};
            if (m_inActions)
                return std::nullopt;
            if (is(kw, QLatin1StringView("or")))
                return std::tuple{Frame::Or, RowText::Or, LineKind::FactOB};
            if (is(kw, QLatin1StringView("nand")))
                return std::tuple{Frame::AndNot, RowText::AndNot, LineKind::FactAB};
            if (is(kw, QLatin1StringView("and")))
                return std::tuple{Frame::And, RowText::And, LineKind::FactTB};
            if (is(kw, QLatin1StringView("nor")))
                return std::tuple{Frame::Nor, RowText::Nor, LineKind::FactNB};
            return std::nullopt;
        };
        if (const auto group = opens()) {
            const auto &[frame, text, kind] = *group;
            m_line = kwLine;
            open(frame, text, kind, kwEnd, startLine, begin);
            addAside(between);
            return;
        }
        const QStringView element = readElement();
        const qint32 end = offset(m_pos);
        auto add = [&](QString text, QRgb colour, LineKind kind) {
            this->add(std::move(text), colour, kind, startLine, begin, end);
        };
        const QStringView inner = innerText(element);
        qsizetype afterKw = 0;
        const QStringView word = wordAt(inner, 0, &afterKw);
        if (!m_frames.empty()) {
            if (m_inActions)
                add(inner.toString(), Colours::Act, LineKind::Act);
            else if (is(word, QLatin1StringView("not")))
                add(RowText::NegationPrefix + negatedFact(inner.mid(afterKw)).toString(), Colours::Rule, LineKind::Fact);
            else
                add(inner.toString(), Colours::Rule, LineKind::Fact);
        } else if (is(word, QLatin1StringView("defconst"))) {
            qsizetype nameEnd = 0;
            const QStringView name = wordAt(inner, afterKw, &nameEnd);
            add(RowText::ConstantPrefix + name.toString() + RowText::ConstantSeparator
                    + trimBlanks(inner.mid(nameEnd)).toString(),
                Colours::Const, LineKind::Const);
        } else if (is(word, QLatin1StringView("load"))) {
            add(loadName(inner.mid(afterKw)).toString(), Colours::Load, LineKind::Load);
        } else if (is(word, QLatin1StringView("load-random"))) {
            bool plain = true;
            const QString possibilities = randomLoad(inner.mid(afterKw), plain);
            if (plain)
                add(possibilities, Colours::Load, LineKind::RLoad);
            else // its row could not tell its names from its percentages
                add(element.toString(), Colours::Text, LineKind::Text);
        } else {
            add(element.toString(), Colours::Text, LineKind::Text);
        }
        addAside(m_elementComments);
        m_elementComments.clear();
    }

    // From the "(" at the cursor to the ")" that balances it, over as many
    // lines as it takes: the lines are joined with one blank, and their
    // comments are kept aside to follow the element's row.
    // The text is a view of the line when the element stands on one, else
    // of a buffer of the reader's, good until the next element is read.
    QStringView readElement()
    {
        QString &text = m_element;
        text.truncate(0);
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
            if (end >= 0 && text.isEmpty()) {
                m_pos = end;
                return part; // it ends with its ")"
            }
            if (!text.isEmpty() && !trimBlanks(part).isEmpty())
                text += QLatin1Char(' ');
            text += text.isEmpty() ? trimTrailingBlanks(part) : trimBlanks(part);
            // A quote left open ends with its line; joined to the next line it
            // would take that line's ")" into the quote, so it is closed here.
            if (quoted && end < 0)
                text += QLatin1Char('"');
            if (end >= 0) {
                m_pos = end;
                return QStringView(text);
            }
            if (semi >= 0)
                m_elementComments.push_back({l.mid(semi + 1).toString(), m_line, offset(semi), offset(l.size())});
            if (m_line + 1 >= m_lines->size()) {
                m_pos = l.size(); // the form ends inside the element
                return QStringView(text);
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
    // name, or a quoted name alone. plain turns false for a name the row's
    // text could not hold apart (empty, with a blank, or ending in "%"), or
    // a percentage that is not a number.
    static QString randomLoad(QStringView text, bool &plain)
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
                const QStringView name = text.mid(i + 1, q2 - i - 1);
                if (name.isEmpty() || name.endsWith(QLatin1Char('%'))
                    || std::any_of(name.begin(), name.end(), [](QChar c) { return c.isSpace(); }))
                    plain = false;
                display += name;
                display += QLatin1Char(' ');
                if (!percentage.isEmpty()) {
                    display += percentage;
                    display += QStringLiteral("% ");
                }
                percentage = {};
                i = q2 + 1;
            } else {
                qsizetype x = i;
                while (x < text.size() && !endsWord(text[x]))
                    ++x;
                percentage = text.mid(i, qMax<qsizetype>(1, x - i));
                i = qMax(x, i + 1);
                // a number, or the row could not hold it apart from the names
                if (!std::all_of(percentage.begin(), percentage.end(),
                                 [](QChar c) { return c.isDigit() || QStringView(u".,+-").contains(c); }))
                    plain = false;
            }
        }
        return display;
    }

    // A comment read inside an element or a group's opening, to follow its row.
    struct Aside {
        QString comment;
        size_t line;
        qint32 begin, end;
    };
    void addAside(const std::vector<Aside> &comments)
    {
        for (const Aside &a : comments)
            add(RowText::EndCommentPrefix + a.comment, Colours::Comment, LineKind::CommE, a.line, a.begin, a.end);
    }

    std::vector<ScriptLine> &m_rows;
    const size_t m_formFirstRow = m_rows.size();
    const int m_form;
    const int m_firstLine;
    std::vector<RowSpan> *const m_spans;
    const std::vector<QStringView> *m_lines = nullptr;
    const QChar *m_base = nullptr; // the form's first character
    bool m_afterArrow = false; // a "=>" was read and no row since
    size_t m_line = 0;
    qsizetype m_pos = 0;
    bool m_lineHadToken = false;
    bool m_inActions = false;
    std::vector<Frame> m_frames;
    int m_openRules = 0; // "=>" separates only inside a rule
    std::vector<Aside> m_elementComments;
    QString m_element; // the text of an element read over several lines
    qsizetype m_strayBegin = 0, m_strayEnd = 0;
};

} // namespace

void readFormRows(std::vector<ScriptLine> &rows, const std::vector<QStringView> &lines, int form, int firstLine,
                  std::vector<RowSpan> *spans)
{
    FormReader(rows, form, firstLine, spans).read(lines);
}

std::vector<ScriptLine> readForms(ScriptSource &source)
{
    const bool utf8 = source.encoding == TextEncoding::Utf8;
    const qsizetype from = source.byteOrderMark ? 3 : 0;
    std::vector<ScriptLine> rows;
    // Scripts hold a row for every 20 to 25 bytes: room for a row every 12
    // bytes is never moved, and costs only address space until it is used.
    rows.reserve(size_t(source.bytes.size() / 12 + 1));
    source.forms.clear();
    source.lost.clear();
    FormCutter cutter(source.bytes, from);
    FormCutter::Form f;
    std::vector<QStringView> lines;
    const QStringView text(source.text);
    qsizetype charPos = 0;
    int lastLine = 0;
    while (cutter.next(f)) {
        SourceForm form;
        form.byteBegin = qint32(f.begin);
        form.charBegin = qint32(charPos);
        form.firstLine = f.firstLine;
        source.forms.push_back(form);
        lastLine = f.firstLine + f.lines - 1;
        const qsizetype length = utf8 ? utf16Length(QByteArrayView(source.bytes).sliced(f.begin, f.end - f.begin))
                                      : f.end - f.begin;
        FileServices::splitLines(text.mid(form.charBegin, length), lines);
        readFormRows(rows, lines, source.formCount() - 1, f.firstLine);
        charPos += length;
    }
    source.lineCount = lastLine;
    return rows;
}

std::vector<ScriptLine> readScriptText(QStringView text)
{
    return readScriptBytes(text.toUtf8(), false).rows;
}

ReadResult readScriptBytes(QByteArray bytes, bool check)
{
    ReadResult r;
    r.source = decodeScript(std::move(bytes));
    r.rows = readForms(r.source);
    if (check)
        markKeptForms(r.rows, r.source);
    return r;
}

bool ReadScriptFile(const QString &path, ReadResult &script, QString &error)
{
    QByteArray bytes;
    if (!FileServices::readFileBytes(path, bytes, error))
        return false;
    script = readScriptBytes(std::move(bytes));
    return true;
}

} // namespace SaveOpen