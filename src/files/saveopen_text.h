#pragma once

// The characters the script modules look at, on decoded text and on bytes.
#include <QByteArrayView>
#include <QStringView>

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

// Whether c ends a word: a blank, a line end, a parenthesis, a quote or a ";".
inline bool endsWord(QChar c)
{
    return isBlank(c) || isLineEnd(c) || c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char('"')
           || c == QLatin1Char(';');
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
