// Cutting a script into its top-level forms: a rule from its "(" to the ")"
// that balances it, a constant, a load, a directive, a comment line, a blank
// line, other text.
#include "saveopen_internal.h"

#include "saveopen_text.h"

#include <array>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace SaveOpen {

using Text::isBlank;
using Text::isLineEnd;

namespace {
// The bytes scanLine looks at; all others are stepped over.
constexpr std::array<bool, 256> LineScanStops = [] {
    std::array<bool, 256> t{};
    for (const char c : {'\r', '\n', '"', ';', '(', ')'})
        t[static_cast<unsigned char>(c)] = true;
    return t;
}();

// Whether the word at p is k (lower case letters), in any case.
bool isWordAt(QByteArrayView b, qsizetype p, std::string_view k)
{
    if (p + qsizetype(k.size()) > b.size())
        return false;
    for (size_t i = 0; i < k.size(); ++i)
        if ((static_cast<unsigned char>(b[p + qsizetype(i)]) | 0x20) != static_cast<unsigned char>(k[i]))
            return false;
    return true;
}
} // namespace

bool FormCutter::next(Form &f)
{
    if (m_pos >= m_b.size())
        return false;
    f.begin = m_pos;
    f.firstLine = m_line;
    f.top = startsTopLevelForm(m_pos);
    f.open = false;
    const int before = m_line;
    const int first = firstNonBlank(m_pos);
    if (first < 0 || first == ';' || first == '#') {
        nextLine(lineEnd(m_pos));
    } else {
        // up to the end of the line where the parentheses balance again
        qsizetype depth = 0;
        while (true) {
            nextLine(scanLine(depth));
            if (depth == 0 || m_pos >= m_b.size() || startsTopLevelForm(m_pos))
                break;
        }
        f.open = depth != 0;
    }
    f.lines = m_line - before;
    f.end = m_pos;
    return true;
}

// The first character of the line at p that is not a blank; -1 when the
// line has none.
int FormCutter::firstNonBlank(qsizetype p) const
{
    const char *d = m_b.data();
    while (p < m_b.size() && isBlank(d[p]))
        ++p;
    return p < m_b.size() && !isLineEnd(d[p]) ? static_cast<unsigned char>(d[p]) : -1;
}

// Where the line at p ends (its line end, or the end of the bytes).
qsizetype FormCutter::lineEnd(qsizetype p) const
{
    return Text::lineEndFrom(m_b, p);
}

// Steps over the line end at e to the next line.
void FormCutter::nextLine(qsizetype e)
{
    const char *d = m_b.data();
    if (e < m_b.size()) {
        if (d[e] == '\r' && e + 1 < m_b.size() && d[e + 1] == '\n')
            ++e;
        ++e;
    }
    m_pos = e;
    ++m_line;
}

// Follows the parenthesis depth over the line at m_pos; returns where
// the line ends.
qsizetype FormCutter::scanLine(qsizetype &depth) const
{
    const char *d = m_b.data();
    const qsizetype n = m_b.size();
    bool quoted = false;
    // What one byte does; true when the line's scan is over, at end.
    auto step = [&](qsizetype p, qsizetype &end) {
        const char c = d[p];
        if (isLineEnd(c)) {
            end = p;
            return true;
        }
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted) {
        } else if (c == ';') {
            end = lineEnd(p);
            return true;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && depth > 0) {
            --depth;
        }
        return false;
    };
    qsizetype p = m_pos, end = n;
#if defined(__SSE2__)
    // 16 bytes at a time: only the bytes that matter are looked at.
    for (; p + 16 <= n; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d + p));
        auto is = [&v](char c) { return _mm_cmpeq_epi8(v, _mm_set1_epi8(c)); };
        unsigned mask = unsigned(_mm_movemask_epi8(_mm_or_si128(
            _mm_or_si128(_mm_or_si128(is('\n'), is('\r')), _mm_or_si128(is('"'), is(';'))),
            _mm_or_si128(is('('), is(')')))));
        for (; mask != 0; mask &= mask - 1)
            if (step(p + __builtin_ctz(mask), end))
                return end;
    }
#endif
    for (; p < n; ++p)
        if (LineScanStops[static_cast<unsigned char>(d[p])] && step(p, end))
            return end;
    return n;
}

bool FormCutter::startsTopLevelForm(QByteArrayView b, qsizetype p)
{
    while (p < b.size() && isBlank(b[p]))
        ++p;
    if (p >= b.size())
        return false;
    if (b[p] == '#')
        return true;
    if (b[p] != '(')
        return false;
    ++p;
    while (p < b.size() && isBlank(b[p]))
        ++p;
    if (p >= b.size() || (static_cast<unsigned char>(b[p]) | 0x20) != 'd')
        return false; // the common case: a fact, an action, a group
    auto keyword = [&](std::string_view k) {
        if (!isWordAt(b, p, k))
            return false;
        const qsizetype e = p + qsizetype(k.size());
        return e == b.size() || isBlank(b[e]) || isLineEnd(b[e]) || b[e] == '(' || b[e] == ')' || b[e] == ';';
    };
    return keyword("defrule") || keyword("defconst");
}

bool FormCutter::cutsClosed(const Form &original, QByteArrayView written)
{
    if (original.open || written.isEmpty() || startsTopLevelForm(written, 0) != original.top)
        return false;
    for (qsizetype p = Text::lineEndFrom(written, 0); p < written.size(); p = Text::lineEndFrom(written, p)) {
        p += written[p] == '\r' && p + 1 < written.size() && written[p + 1] == '\n' ? 2 : 1;
        if (startsTopLevelForm(written, p))
            return false;
    }
    return true;
}

} // namespace SaveOpen
