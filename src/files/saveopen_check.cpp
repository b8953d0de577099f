// What saving would change: the content of a script is its tokens outside
// comments, its non-empty comment texts and where each comment stands among
// the tokens; the rest of the layout does not count.
#include "saveopen.h"
#include "saveopen_internal.h"
#include "saveopen_text.h"

#include "shell/fileservices.h"

#include <set>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
// How many characters of a and b agree from their start, up to limit, and
// are not stop (a line end, or also a double quote).
qsizetype agreeing(const char16_t *a, const char16_t *b, qsizetype limit, bool quoteStops)
{
    qsizetype k = 0;
#if defined(__SSE2__)
    for (; k + 8 <= limit; k += 8) {
        const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i *>(a + k));
        const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i *>(b + k));
        __m128i stops = _mm_or_si128(_mm_cmpeq_epi16(va, _mm_set1_epi16('\n')), _mm_cmpeq_epi16(va, _mm_set1_epi16('\r')));
        if (quoteStops)
            stops = _mm_or_si128(stops, _mm_cmpeq_epi16(va, _mm_set1_epi16('"')));
        const unsigned bad = unsigned(_mm_movemask_epi8(_mm_andnot_si128(stops, _mm_cmpeq_epi16(va, vb)))) ^ 0xFFFFu;
        if (bad != 0)
            return k + __builtin_ctz(bad) / 2;
    }
#endif
    for (; k < limit && a[k] == b[k]; ++k) {
        const char16_t c = a[k];
        if (c == u'\n' || c == u'\r' || (quoteStops && c == u'"'))
            break;
    }
    return k;
}
} // namespace

// Whether both texts certainly hold the same tokens and comments, found in
// one walk over both: their characters agree but for the runs of blanks and
// line ends between them, where both texts have a run or neither does
// (unless a parenthesis, a quote or a ";" stands next to it). A run may hold
// a line end in one text and not in the other only where that changes no
// token and no comment's place: not right after a "(" (whose word is part of
// its token when on its line), not before a ";", not in a quoted text or a
// comment. Comments agree character for character but for their trailing
// blanks. False says only that the tokens must be compared.
bool sameAtOnce(QStringView a, QStringView b)
{
    const char16_t *da = a.utf16(), *db = b.utf16();
    const qsizetype na = a.size(), nb = b.size();
    auto blank = [](char16_t c) { return isBlank(QChar(c)); };
    auto lineEnd = [](char16_t c) { return isLineEnd(QChar(c)); };
    // Steps over a run of blanks and line ends; whether it held a line end.
    auto run = [&](const char16_t *d, qsizetype n, qsizetype &p) {
        bool held = false;
        for (; p < n; ++p) {
            if (lineEnd(d[p]))
                held = true;
            else if (!blank(d[p]))
                break;
        }
        return held;
    };
    auto plain = [](char16_t c) { return !endsWord(QChar(c)); };
    // what the walk stops at: all that ends a word but parentheses, which
    // change nothing but the character before a run
    auto passes = [&](char16_t c) { return plain(c) || c == u'(' || c == u')'; };
    qsizetype i = 0, j = 0;
    char16_t before = 0; // the last character both texts agreed on
    while (true) {
        const qsizetype limit = qMin(na - i, nb - j);
        qsizetype k = 0;
#if defined(__SSE2__)
        // Blocks of 8 characters alike on both sides, with no quote and no
        // ";", change nothing the walk follows but its last character: they
        // are stepped over at once, back to the last that is no blank or
        // line end, so that a run is always seen from its start.
        while (k + 8 <= limit) {
            const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i *>(da + i + k));
            const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i *>(db + j + k));
            const __m128i stops = _mm_or_si128(_mm_cmpeq_epi16(va, _mm_set1_epi16(';')),
                                               _mm_cmpeq_epi16(va, _mm_set1_epi16('"')));
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(va, vb)) != 0xFFFF || _mm_movemask_epi8(stops) != 0)
                break;
            k += 8;
        }
        while (k > 0 && !passes(da[i + k - 1]))
            --k;
#endif
        while (k < limit && da[i + k] == db[j + k] && passes(da[i + k]))
            ++k;
        if (k > 0) {
            i += k;
            j += k;
            before = da[i - 1];
        }
        if (i == na || j == nb || !plain(da[i]) || !plain(db[j])) {
            if (i == na || j == nb || blank(da[i]) || lineEnd(da[i]) || blank(db[j]) || lineEnd(db[j])) {
                const qsizetype i0 = i, j0 = j;
                const bool heldA = run(da, na, i), heldB = run(db, nb, j);
                if (i == na || j == nb)
                    return i == na && j == nb;
                if (i0 > 0 || j0 > 0) { // the texts start on a line of their own
                    // A run on one side only parts no token where a
                    // parenthesis, a quote or a ";" stands next to it.
                    if ((i == i0) != (j == j0) && plain(before) && plain(da[i]))
                        return false;
                    if (heldA != heldB && (before == u'(' || da[i] == u';' || db[j] == u';'))
                        return false;
                }
                continue;
            }
        }
        const char16_t c = da[i];
        if (c != db[j]) {
            // a keyword written in another case
            if (!plain(c) || !plain(db[j]))
                return false;
            auto word = [](QStringView t, qsizetype p) {
                qsizetype begin = p, end = p;
                while (begin > 0 && !endsWord(t[begin - 1]))
                    --begin;
                while (end < t.size() && !endsWord(t[end]))
                    ++end;
                return t.sliced(begin, end - begin);
            };
            const QStringView wa = word(a, i), wb = word(b, j);
            if (wa.size() != wb.size() || wa.compare(wb, Qt::CaseInsensitive) != 0 || !isKeyword(wa))
                return false;
            const qsizetype rest = wa.size() - (i - (wa.data() - a.data()));
            i += rest;
            j += rest;
            before = da[i - 1];
            continue;
        }
        ++i;
        ++j;
        before = c;
        if (c == u'"') {
            // a quoted text, as it is, up to its closing quote or its line end
            const qsizetype k = agreeing(da + i, db + j, qMin(na - i, nb - j), true);
            i += k;
            j += k;
            if (i < na && j < nb && da[i] == u'"' && db[j] == u'"') {
                ++i;
                ++j;
            } else if (!((i == na || lineEnd(da[i])) && (j == nb || lineEnd(db[j])))) {
                return false;
            }
            before = da[i - 1];
        } else if (c == u';') {
            // a comment, as it is but for its trailing blanks
            const qsizetype k = agreeing(da + i, db + j, qMin(na - i, nb - j), false);
            i += k;
            j += k;
            while (i < na && blank(da[i]))
                ++i;
            while (j < nb && blank(db[j]))
                ++j;
            if (!((i == na || lineEnd(da[i])) && (j == nb || lineEnd(db[j]))))
                return false;
        }
    }
}

bool sameTokens(QStringView original, QStringView written)
{
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

bool sameContent(QStringView original, QStringView written)
{
    return sameAtOnce(original, written) || sameTokens(original, written);
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
