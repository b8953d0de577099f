#pragma once

// The characters the script modules look at, on decoded text and on bytes.
#include <QByteArrayView>
#include <QStringView>
#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace SaveOpen::Text {

constexpr QByteArrayView Utf8Mark("\xEF\xBB\xBF");

inline bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

inline bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

inline bool isLineEnd(char c)
{
    return c == '\n' || c == '\r';
}

// The ASCII characters that end a word.
inline constexpr std::array<bool, 128> WordEnds = [] {
    std::array<bool, 128> t{};
    for (const char c : {' ', '\t', '\n', '\r', '(', ')', '"', ';'})
        t[size_t(c)] = true;
    return t;
}();

// Whether c ends a word: a blank, a line end, a parenthesis, a quote or a ";".
inline bool endsWord(QChar c)
{
    return c.unicode() < 128 && WordEnds[c.unicode()];
}

// Where the line at p in b ends: its line end, or the end of b.
inline qsizetype lineEndFrom(QByteArrayView b, qsizetype p)
{
    const char *d = b.data();
    const qsizetype n = b.size();
#if defined(__SSE2__)
    for (; p + 16 <= n; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(d + p));
        const int mask = _mm_movemask_epi8(
            _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\n')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'))));
        if (mask != 0)
            return p + __builtin_ctz(unsigned(mask));
    }
#endif
    while (p < n && !isLineEnd(d[p]))
        ++p;
    return p;
}

inline QStringView trimTrailingBlanks(QStringView s)
{
    qsizetype e = s.size();
    while (e > 0 && isBlank(s[e - 1]))
        --e;
    return s.left(e);
}

inline QStringView trimBlanks(QStringView s)
{
    qsizetype b = 0;
    while (b < s.size() && isBlank(s[b]))
        ++b;
    return trimTrailingBlanks(s.mid(b));
}

} // namespace SaveOpen::Text
