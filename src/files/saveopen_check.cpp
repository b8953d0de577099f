// What saving would change: the content of a script is its tokens outside
// comments, its non-empty comment texts and where each comment stands among
// the tokens; the rest of the layout does not count.
#include "saveopen.h"
#include "saveopen_internal.h"
#include "saveopen_text.h"

#include "shell/fileservices.h"

#include <set>

namespace SaveOpen {

using Text::endsWord;
using Text::isBlank;
using Text::isLineEnd;
using Text::trimBlanks;

namespace {

struct Token {
    QStringView text;
    int line = 0;      // 1-based
    bool open = false; // the word right after a "(": "(x" is one token, so
                       // that a lost element does not borrow the next one's "("
    // A piece of comment, and where it stands: after how many tokens outside
    // comments, alone on its line or after such a token there, on the line
    // of the piece before it or not. A comment that layout would move to
    // another token's line, or onto a line of its own or off it, or join to
    // another, changes its place.
    bool comment = false;
    bool ownLine = false;
    bool joined = false;
    int anchor = 0;
};

// The content of a script text, one token at a time in the order of the
// text: its tokens outside comments, and the pieces of its comments (split
// at each ";", trimmed, empty ones skipped).
class Scanner
{
public:
    Scanner(QStringView text, int firstLine) : m_text(text), m_line(firstLine) {}

    bool next(Token &t)
    {
        if (nextPiece(t))
            return true;
        const qsizetype n = m_text.size();
        while (m_i < n) {
            const QChar c = m_text[m_i];
            if (lineEnd())
                continue;
            if (isBlank(c)) {
                ++m_i;
            } else if (c == QLatin1Char(';')) {
                const qsizetype from = ++m_i;
                skipToLineEnd();
                m_rest = m_text.mid(from, m_i - from);
                m_restOwnLine = m_codeLine != m_line;
                if (nextPiece(t))
                    return true;
            } else {
                code(t);
                ++m_code;
                m_codeLine = m_line;
                return true;
            }
        }
        return false;
    }

private:
    // Steps over a line end at m_i; false when there is none.
    bool lineEnd()
    {
        const QChar c = m_text[m_i];
        if (!isLineEnd(c))
            return false;
        ++m_i;
        if (c == QLatin1Char('\r') && m_i < m_text.size() && m_text[m_i] == QLatin1Char('\n'))
            ++m_i;
        ++m_line;
        return true;
    }

    void skipToLineEnd()
    {
        while (m_i < m_text.size() && !isLineEnd(m_text[m_i]))
            ++m_i;
    }

    // The next piece of the comment being read.
    bool nextPiece(Token &t)
    {
        while (!m_rest.isEmpty()) {
            qsizetype semi = m_rest.indexOf(QLatin1Char(';'));
            if (semi < 0)
                semi = m_rest.size();
            const QStringView piece = trimBlanks(m_rest.left(semi));
            m_rest = m_rest.mid(qMin(semi + 1, m_rest.size()));
            if (!piece.isEmpty()) {
                t = {piece, m_line, false, true, m_restOwnLine, m_pieceLine == m_line, m_code};
                m_pieceLine = m_line;
                return true;
            }
        }
        return false;
    }

    // The token outside comments at m_i, a blank or line end.
    void code(Token &t)
    {
        const qsizetype n = m_text.size();
        const QChar c = m_text[m_i];
        qsizetype x = m_i + 1;
        if (c == QLatin1Char('(')) {
            qsizetype j = m_i + 1;
            while (j < n && isBlank(m_text[j]))
                ++j;
            if (j < n && !endsWord(m_text[j])) {
                for (x = j; x < n && !endsWord(m_text[x]);)
                    ++x;
                t = {m_text.mid(j, x - j), m_line, true};
                m_i = x;
                return;
            }
        } else if (c == QLatin1Char('"')) {
            while (x < n && !isLineEnd(m_text[x]) && m_text[x] != QLatin1Char('"'))
                ++x;
            if (x < n && m_text[x] == QLatin1Char('"'))
                ++x;
        } else if (c != QLatin1Char(')')) {
            while (x < n && !endsWord(m_text[x]))
                ++x;
        }
        t = {m_text.mid(m_i, x - m_i), m_line, false};
        m_i = x;
    }

    QStringView m_text;
    int m_line;
    qsizetype m_i = 0;
    int m_code = 0;       // tokens outside comments so far
    int m_codeLine = 0;   // the line of the last of them
    QStringView m_rest;   // the rest of the comment being read
    bool m_restOwnLine = false;
    int m_pieceLine = 0;  // the line of the last piece of comment
};

bool isKeyword(QStringView w)
{
    static const QLatin1StringView Keywords[] = {
        QLatin1StringView("defrule"),          QLatin1StringView("defconst"),
        QLatin1StringView("load"),             QLatin1StringView("load-random"),
        QLatin1StringView("or"),               QLatin1StringView("nand"),
        QLatin1StringView("and"),              QLatin1StringView("nor"),
        QLatin1StringView("not"),              QLatin1StringView("#load-if-defined"),
        QLatin1StringView("#load-if-not-defined"), QLatin1StringView("#else"),
        QLatin1StringView("#end-if"),
    };
    for (QLatin1StringView k : Keywords)
        if (w.compare(k, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

bool same(const Token &a, const Token &b)
{
    if (a.open != b.open || a.comment != b.comment)
        return false;
    if (a.text == b.text)
        return true;
    // keywords are written in lower case
    return a.text.compare(b.text, Qt::CaseInsensitive) == 0 && isKeyword(a.text);
}

bool samePlace(const Token &a, const Token &b)
{
    return a.anchor == b.anchor && a.ownLine == b.ownLine && a.joined == b.joined;
}

// The text's tokens outside comments, and its pieces of comments.
void tokensOf(QStringView text, int firstLine, std::vector<Token> &code, std::vector<Token> &comments)
{
    Scanner s(text, firstLine);
    Token t;
    while (s.next(t))
        (t.comment ? comments : code).push_back(t);
}

// Walks both sequences together; where they part, looks a little ahead on
// both sides for the nearest place where they agree again for a few tokens.
// The original's tokens skipped on the way are the lines concerned; tokens
// only the written text has count against the original line where they
// appear.
// With placed, pieces of comments agree only where they stand alike.
void compare(const std::vector<Token> &a, const std::vector<Token> &b, int firstLine, std::set<int> &lines,
             bool placed = false)
{
    auto same = [placed](const Token &x, const Token &y) { return SaveOpen::same(x, y) && (!placed || samePlace(x, y)); };
    constexpr size_t Window = 48;
    constexpr size_t Agree = 3;
    auto agreeAt = [&](size_t i, size_t j) {
        for (size_t k = 0; k < Agree; ++k) {
            if (i + k >= a.size() || j + k >= b.size())
                return i + k >= a.size() && j + k >= b.size();
            if (!same(a[i + k], b[j + k]))
                return false;
        }
        return true;
    };
    auto lineAt = [&](size_t i) { return a.empty() ? firstLine : a[qMin(i, a.size() - 1)].line; };

    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (same(a[i], b[j])) {
            ++i;
            ++j;
            continue;
        }
        bool found = false;
        for (size_t step = 1; step <= 2 * Window && !found; ++step) {
            for (size_t da = 0; da <= step && !found; ++da) {
                const size_t db = step - da;
                if (da > Window || db > Window)
                    continue;
                if (agreeAt(i + da, j + db)) {
                    for (size_t k = 0; k < da; ++k)
                        lines.insert(a[i + k].line);
                    if (db > 0)
                        lines.insert(lineAt(i));
                    i += da;
                    j += db;
                    found = true;
                }
            }
        }
        if (!found) {
            lines.insert(a[i].line);
            ++i;
            ++j;
        }
    }
    for (; i < a.size(); ++i)
        lines.insert(a[i].line);
    if (j < b.size())
        lines.insert(lineAt(a.size()));
}

} // namespace

namespace {
// Whether both texts have the same lines once each is stripped of the
// blanks at its ends: then they hold the same tokens and comments (a line
// end always parts tokens, and comment pieces are compared trimmed). Many
// forms differ from their layout only so, and this is far cheaper than
// scanning their tokens.
bool sameTrimmedLines(QStringView a, QStringView b)
{
    qsizetype i = 0, j = 0;
    auto line = [](QStringView t, qsizetype &p) {
        const qsizetype begin = p;
        while (p < t.size() && !isLineEnd(t[p]))
            ++p;
        const QStringView l = trimBlanks(t.mid(begin, p - begin));
        if (p < t.size() && t[p] == QLatin1Char('\r') && p + 1 < t.size() && t[p + 1] == QLatin1Char('\n'))
            ++p;
        if (p < t.size())
            ++p;
        return l;
    };
    while (i < a.size() && j < b.size())
        if (line(a, i) != line(b, j))
            return false;
    return i == a.size() && j == b.size();
}
} // namespace

bool sameContent(QStringView original, QStringView written)
{
    if (sameTrimmedLines(original, written))
        return true;
    // Pieces of comments that stand alike come after the same tokens: both
    // texts then give the same tokens and pieces in the same order.
    Scanner a(original, 1), b(written, 1);
    Token ta, tb;
    while (true) {
        const bool ha = a.next(ta);
        const bool hb = b.next(tb);
        if (ha != hb)
            return false;
        if (!ha)
            return true;
        if (!same(ta, tb) || (ta.comment && !samePlace(ta, tb)))
            return false;
    }
}

FidelityReport compareContent(QStringView original, QStringView written, int firstLine)
{
    std::set<int> lines;
    std::vector<Token> code, comments, writtenCode, writtenComments;
    tokensOf(original, firstLine, code, comments);
    tokensOf(written, firstLine, writtenCode, writtenComments);
    compare(code, writtenCode, firstLine, lines);
    // where the tokens differ, the comments' places cannot be compared
    compare(comments, writtenComments, firstLine, lines, lines.empty());
    const std::vector<QStringView> originalLines = FileServices::splitLines(original);
    FidelityReport r;
    for (int n : lines) {
        const int k = n - firstLine;
        if (k >= 0 && size_t(k) < originalLines.size())
            r.lines.append({n, originalLines[size_t(k)].trimmed().toString()});
    }
    return r;
}

namespace {
QString firstLineOf(QStringView text)
{
    const std::vector<QStringView> lines = FileServices::splitLines(text);
    return lines.empty() ? QString() : lines.front().trimmed().toString();
}
} // namespace

namespace {
// Decides whether form f, read into rows, stays as read, recording what the
// editor's layout would lose; the buffers are the caller's, kept from one
// form to the next.
struct FormJudge {
    QString text;
    std::vector<QStringView> lines;
    std::vector<ScriptLine> read;
    std::vector<RowSpan> spans;

    void judge(std::span<const ScriptLine> rows, ScriptSource &source, int f)
    {
        SourceForm &form = source.forms[size_t(f)];
        form.judged = true;
        text.clear();
        appendScriptText(text, rows, u"\n");
        const QStringView original = source.formText(f);
        bool same = sameContent(original, text);
        if (!same) {
            // rows read with comments inside are laid out as read
            FileServices::splitLines(original, lines);
            read.clear();
            spans.clear();
            readFormRows(read, lines, f, 1, &spans);
            text.clear();
            appendFormLayout(text, read, spans, original, u"\n");
            same = sameContent(original, text);
        }
        if (same
            && cutsAlike(source.formBytes(f), source.encoding == TextEncoding::Utf8 ? text.toUtf8() : FileServices::encode1252(text)))
            return;
        form.keptAsRead = true;
        QList<LostLine> lost = compareContent(original, text, form.firstLine).lines;
        if (lost.isEmpty()) // the difference lies in no line of its own
            lost.append({form.firstLine, firstLineOf(original)});
        source.lost[f] = std::move(lost);
    }

    // Form f as it was read: its rows read again from its text.
    void judgeAsRead(ScriptSource &source, int f)
    {
        FileServices::splitLines(source.formText(f), lines);
        std::vector<ScriptLine> rows;
        readFormRows(rows, lines, f, source.forms[size_t(f)].firstLine);
        judge(rows, source, f);
    }
};
} // namespace

void markKeptForms(const std::vector<ScriptLine> &rows, ScriptSource &source)
{
    FormJudge judge;
    forEachFormRun(rows, [&](size_t i, size_t j, int f) {
        if (f >= 0 && f < source.formCount())
            judge.judge(std::span<const ScriptLine>(rows.data() + i, j - i), source, f);
    });
}

void judgeForm(ScriptSource &source, int f)
{
    if (f >= 0 && f < source.formCount() && !source.forms[size_t(f)].judged)
        FormJudge().judgeAsRead(source, f);
}

KeptForms judgeForms(ScriptSource source, const std::atomic_bool &stop)
{
    FormJudge judge;
    for (int f = 0; f < source.formCount() && !stop; ++f) {
        if (!source.forms[size_t(f)].judged)
            judge.judgeAsRead(source, f);
    }
    return std::move(source.lost);
}

QString keptFormsReport(const ScriptSource &source, int shown)
{
    std::vector<int> kept;
    for (int f = 0; f < source.formCount(); ++f)
        if (source.forms[size_t(f)].keptAsRead)
            kept.push_back(f);
    if (kept.empty())
        return {};
    QString m = kept.size() == 1
                    ? QStringLiteral("La mise en forme de l'éditeur changerait le contenu d'une partie du script: "
                                     "le formatage la laisse telle quelle, comme l'éditeur tant qu'elle n'est pas modifiée:\n")
                    : QStringLiteral("La mise en forme de l'éditeur changerait le contenu de %1 parties du script: "
                                     "le formatage les laisse telles quelles, comme l'éditeur tant qu'elles ne sont pas modifiées:\n")
                          .arg(kept.size());
    for (size_t k = 0; k < kept.size() && int(k) < shown; ++k) {
        const int f = kept[k];
        QString first = firstLineOf(source.formText(f));
        if (first.size() > 100)
            first = first.left(100) + QStringLiteral("…");
        m += QStringLiteral("\nligne %1: %2").arg(source.forms[size_t(f)].firstLine).arg(first);
        const auto it = source.lost.find(f);
        if (it != source.lost.end()) {
            for (const LostLine &l : it->second) {
                if (l.number == source.forms[size_t(f)].firstLine)
                    continue;
                QString t = l.text.size() > 100 ? l.text.left(100) + QStringLiteral("…") : l.text;
                m += QStringLiteral("\n    ligne %1: %2").arg(l.number).arg(t);
            }
        }
    }
    if (int(kept.size()) > shown)
        m += QStringLiteral("\n… et %1 autres.").arg(int(kept.size()) - shown);
    return m;
}

} // namespace SaveOpen
