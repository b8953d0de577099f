// The script reader: line by line, keyword-driven, with a small state carried
// from line to line (inside a rule, after "=>", the open groups).
#include "saveopen.h"

#include "shell/fileservices.h"

#include <algorithm>

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

QStringView trimLeadingBlanks(QStringView s)
{
    qsizetype b = 0;
    while (b < s.size() && isBlank(s[b]))
        ++b;
    return s.mid(b);
}

QStringView trimTrailingBlanks(QStringView s)
{
    qsizetype e = s.size();
    while (e > 0 && isBlank(s[e - 1]))
        --e;
    return s.left(e);
}

// The first ";" at or after from that is not inside a double-quoted string.
qsizetype findComment(QStringView s, qsizetype from = 0)
{
    bool quoted = false;
    for (qsizetype i = from; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(';') && !quoted)
            return i;
    }
    return -1;
}

// The word right after the opening "(" (blanks skipped), ending at a blank,
// "(", ")" or the end; end receives the position just after it.
QStringView leadingKeyword(QStringView e, qsizetype *end = nullptr)
{
    qsizetype b = 1;
    while (b < e.size() && isBlank(e[b]))
        ++b;
    qsizetype x = b;
    while (x < e.size() && !isBlank(e[x]) && e[x] != QLatin1Char('(') && e[x] != QLatin1Char(')'))
        ++x;
    if (end)
        *end = x;
    return e.mid(b, x - b);
}

// The word that starts at or after from (blanks skipped), up to the next blank.
QStringView nextWord(QStringView s, qsizetype from, qsizetype *end = nullptr)
{
    qsizetype b = from;
    while (b < s.size() && isBlank(s[b]))
        ++b;
    qsizetype x = b;
    while (x < s.size() && !isBlank(s[x]))
        ++x;
    if (end)
        *end = x;
    return s.mid(b, x - b);
}

// Hands each element of a line to read in turn. A line may hold several:
// "(defrule (vrai) => (dire \"x\"))" gives "(defrule (vrai)", "=>" and
// "(dire \"x\"))". An element starts at a "(" that follows a ")", and "=>"
// stands alone; quoted text is never cut.
template <class Read>
void splitElements(QStringView e, Read read)
{
    qsizetype start = 0;
    QChar last;
    bool quoted = false;
    auto flush = [&](qsizetype end) {
        const QStringView part = trimBlanks(e.mid(start, end - start));
        if (!part.isEmpty())
            read(part);
    };
    for (qsizetype i = 0; i < e.size(); ++i) {
        const QChar c = e[i];
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (quoted || isBlank(c)) {
            continue;
        } else if (c == QLatin1Char('(') && last == QLatin1Char(')')) {
            flush(i);
            start = i;
        } else if (c == QLatin1Char('=') && i + 1 < e.size() && e[i + 1] == QLatin1Char('>')) {
            flush(i);
            read(e.mid(i, 2));
            start = i + 2;
            ++i;
            last = QLatin1Char('>');
            continue;
        }
        last = c;
    }
    flush(e.size());
}

class Reader
{
public:
    explicit Reader(const std::vector<QStringView> &lines) : m_lines(lines) {}

    std::vector<ScriptLine> run()
    {
        m_rows.reserve(m_lines.size());
        for (m_index = 0; m_index < m_lines.size(); ++m_index)
            readLine(m_lines[m_index]);
        return std::move(m_rows);
    }

private:
    enum class Group : char { Or, AndNot };

    void add(QString text, QRgb colour, LineKind kind)
    {
        m_rows.push_back(ScriptLine{std::move(text), colour, kind});
    }

    void closeLevel()
    {
        if (!m_groups.empty()) {
            const Group g = m_groups.back();
            m_groups.pop_back();
            if (g == Group::Or)
                add(QStringLiteral("Fin de ou"), Colours::Rule, LineKind::FactOE);
            else
                add(QStringLiteral("Fin de et pas"), Colours::Rule, LineKind::FactAE);
        } else if (m_inRule && m_inActions) {
            add(QStringLiteral("Fin de règle"), Colours::Rule, LineKind::FactE);
            m_inRule = m_inActions = false;
        }
        // else: a ")" before "=>" does not end the rule
    }

    void readLine(QStringView raw)
    {
        const QStringView line = trimBlanks(raw);
        QStringView endComment;
        QStringView e = line;
        const qsizetype semi = findComment(line);
        if (semi == 0) {
            if (line.size() > 1)
                add(line.mid(1).toString(), Colours::CommentRead, LineKind::CommN);
            return;
        }
        if (semi > 0) {
            endComment = line.mid(semi + 1);
            e = trimTrailingBlanks(line.left(semi));
        }

        if (e.isEmpty())
            add(QStringLiteral(" "), Colours::Blank, LineKind::BL);
        else
            splitElements(e, [this](QStringView part) { readPart(part); });

        if (!endComment.isEmpty())
            add(QStringLiteral("|-- ") + endComment.toString(), Colours::CommentRead, LineKind::CommE);
        if (!m_lastLineComment.isEmpty()) {
            add(QStringLiteral("|-- ") + m_lastLineComment.toString(), Colours::CommentRead, LineKind::CommE);
            m_lastLineComment = {};
        }
    }

    // One element of a line, or the separator.
    void readPart(QStringView e)
    {
        if (e.startsWith(QLatin1Char('(')))
            readElement(e);
        else if (e.startsWith(QLatin1Char(')')))
            readClosers(e);
        else if (e.startsWith(QLatin1String("=>")))
            m_inActions = true;
        else if (e.startsWith(QLatin1Char('#')))
            readDirective(e);
    }

    // A line of closing parentheses closes one level for each.
    void readClosers(QStringView e)
    {
        int closers = 0;
        for (QChar c : e) {
            if (c == QLatin1Char(')'))
                ++closers;
            else if (!isBlank(c))
                return closeLevel(); // ")" followed by other text: one level
        }
        while (closers-- > 0)
            closeLevel();
    }

    void readDirective(QStringView e)
    {
        static const QString defined = QStringLiteral("#load-if-defined");
        static const QString notDefined = QStringLiteral("#load-if-not-defined");
        if (e.startsWith(defined))
            add(QStringLiteral("Si ") + nextWord(e, defined.size()).toString(), Colours::Prep, LineKind::Prep);
        else if (e.startsWith(notDefined))
            add(QStringLiteral("Si inverse ") + nextWord(e, notDefined.size()).toString(), Colours::Prep, LineKind::Prep);
        else if (e.startsWith(QLatin1String("#else")))
            add(QStringLiteral("Sinon"), Colours::Prep, LineKind::Prep);
        else if (e.startsWith(QLatin1String("#end-if")))
            add(QStringLiteral("Fin de si"), Colours::Prep, LineKind::Prep);
    }

    // An element in parentheses.
    void readElement(QStringView e)
    {
        qsizetype kwEnd = 0;
        const QStringView kw = leadingKeyword(e, &kwEnd);
        const bool inverse = kw == QLatin1String("not");

        // A rule or group start may carry its first element on the same
        // line: "(or (stock ble > 0)".
        if (kw == QLatin1String("defrule")) {
            m_inRule = true;
            add(QStringLiteral("Début de fait"), Colours::Rule, LineKind::FactB);
            return readTrailingElement(e.mid(kwEnd));
        }
        if (kw.compare(QLatin1String("or"), Qt::CaseInsensitive) == 0) {
            m_groups.push_back(Group::Or);
            add(QStringLiteral("Ou"), Colours::Rule, LineKind::FactOB);
            return readTrailingElement(e.mid(kwEnd));
        }
        if (kw.compare(QLatin1String("nand"), Qt::CaseInsensitive) == 0) {
            m_groups.push_back(Group::AndNot);
            add(QStringLiteral("Et pas"), Colours::Rule, LineKind::FactAB);
            return readTrailingElement(e.mid(kwEnd));
        }

        // Closing parentheses beyond the element's own (two for an inverse
        // fact) close one level each: "(saison automne)))" ends two groups.
        int closers = 0;
        while (closers < e.size() && e[e.size() - 1 - closers] == QLatin1Char(')'))
            ++closers;
        const int pending = std::max(0, closers - (inverse ? 2 : 1));
        e.chop(pending);

        if (kw == QLatin1String("defconst")) {
            readConstant(e, kwEnd);
        } else if (kw == QLatin1String("load")) {
            readLoad(e, kwEnd);
        } else if (kw == QLatin1String("load-random")) {
            readRandomLoad(e.mid(kwEnd));
        } else {
            readFactOrAction(e, inverse);
        }
        for (int i = 0; i < pending; ++i)
            closeLevel();
    }

    void readTrailingElement(QStringView rest)
    {
        rest = trimLeadingBlanks(rest);
        if (rest.startsWith(QLatin1Char('(')))
            readElement(rest);
    }

    void readConstant(QStringView e, qsizetype kwEnd)
    {
        qsizetype nameEnd = 0;
        const QStringView name = nextWord(e, kwEnd, &nameEnd);
        QStringView value = trimLeadingBlanks(e.mid(nameEnd));
        if (value.endsWith(QLatin1Char(')')))
            value.chop(1);
        add(QStringLiteral("Constante: ") + name.toString() + QStringLiteral(" = ") + value.toString(), Colours::Const, LineKind::Const);
    }

    void readLoad(QStringView e, qsizetype kwEnd)
    {
        QStringView rest = e.mid(kwEnd);
        QStringView name;
        const qsizetype q1 = rest.indexOf(QLatin1Char('"'));
        if (q1 >= 0) {
            const qsizetype q2 = rest.indexOf(QLatin1Char('"'), q1 + 1);
            name = q2 < 0 ? rest.mid(q1 + 1) : rest.mid(q1 + 1, q2 - q1 - 1);
        } else {
            // an unquoted name: the word after the keyword
            name = nextWord(rest, 0);
            while (name.endsWith(QLatin1Char(')')))
                name.chop(1);
        }
        add(name.toString(), Colours::LoadRead, LineKind::Load);
    }

    // A random load, whatever its layout, up to its closing ")": each
    // possibility is a percentage and a quoted file name, or a quoted name
    // alone. The end comments of its first and last lines follow its row, in
    // that order (the caller adds the first line's), which is where the writer
    // puts the end comment of a random load.
    void readRandomLoad(QStringView text)
    {
        QString display;
        QStringView percentage;
        const size_t firstIndex = m_index;
        QStringView lastComment;
        bool complete = false;
        while (true) {
            qsizetype i = 0;
            while (i < text.size() && !complete) {
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
                } else if (c == QLatin1Char(')')) {
                    complete = true;
                    if (m_index != firstIndex) {
                        const qsizetype semi = findComment(text, i);
                        if (semi >= 0)
                            lastComment = trimTrailingBlanks(text.mid(semi + 1));
                    }
                } else if (c == QLatin1Char(';')) {
                    i = text.size(); // a comment between the lines: not kept
                } else {
                    qsizetype x = i;
                    while (x < text.size() && !isBlank(text[x]) && text[x] != QLatin1Char('"')
                           && text[x] != QLatin1Char(')') && text[x] != QLatin1Char(';'))
                        ++x;
                    percentage = text.mid(i, x - i);
                    i = x;
                }
            }
            if (complete || m_index + 1 >= m_lines.size())
                break;
            ++m_index;
            text = m_lines[m_index];
        }
        add(display, Colours::LoadRead, LineKind::RLoad);
        m_lastLineComment = lastComment;
    }

    void readFactOrAction(QStringView e, bool inverse)
    {
        QStringView inner = e.mid(1);
        if (inner.endsWith(QLatin1Char(')')))
            inner.chop(1);
        inner = trimLeadingBlanks(inner);
        while (!inner.isEmpty() && (inner.back() == QLatin1Char(')') || isBlank(inner.back())))
            inner.chop(1);
        if (m_inActions) {
            add(inner.toString(), Colours::Act, LineKind::Act);
        } else if (m_inRule) {
            if (inverse) {
                QStringView fact = trimLeadingBlanks(inner.mid(3));
                if (fact.startsWith(QLatin1Char('(')))
                    fact = fact.mid(1);
                add(QStringLiteral("Inverse de ") + fact.toString(), Colours::Rule, LineKind::Fact);
            } else {
                add(inner.toString(), Colours::Rule, LineKind::Fact);
            }
        }
        // outside a rule: nothing
    }

    const std::vector<QStringView> &m_lines;
    size_t m_index = 0;
    std::vector<ScriptLine> m_rows;
    std::vector<Group> m_groups;
    QStringView m_lastLineComment; // of a random load read over several lines
    bool m_inRule = false;
    bool m_inActions = false;
};

} // namespace

std::vector<ScriptLine> readScriptText(QStringView text)
{
    const std::vector<QStringView> lines = FileServices::splitLines(text);
    return Reader(lines).run();
}

ReadResult ReadScriptFile(const QString &path)
{
    ReadResult r;
    FileServices::TextFile f = FileServices::readTextFile(path);
    if (!f.ok()) {
        r.error = f.error;
        return r;
    }
    r.text = std::move(f.text);
    r.rows = readScriptText(r.text);
    return r;
}

} // namespace SaveOpen
