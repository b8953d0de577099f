#include "rowsearch.h"

#include "files/saveopen.h"

namespace RowSearch {

namespace {
// Simple case folding of one UTF-16 unit, quick for ASCII, which makes up
// nearly all of a script.
inline char16_t fold(char16_t c)
{
    if (c < 0x80)
        return char16_t(c + (unsigned(c - u'A') < 26u ? 0x20 : 0));
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}
} // namespace

Matcher::Matcher(const QString &text, Qt::CaseSensitivity cs) : m_text(text), m_cs(cs)
{
    if (cs == Qt::CaseSensitive) {
        m_exact.setPattern(text);
        return;
    }
    m_folded.resize(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i)
        m_folded[size_t(i)] = fold(text.at(i).unicode());
}

bool Matcher::matches(QStringView row) const
{
    if (m_text.isEmpty())
        return false;
    return m_cs == Qt::CaseSensitive ? m_exact.indexIn(row) >= 0 : matchesFolded(row);
}

bool Matcher::matchesRow(const ScriptLine &row, QString &buffer) const
{
    if (m_text.isEmpty())
        return false;
    QStringView prefix, suffix;
    const qsizetype m = m_text.size();
    if (!SaveOpen::layoutWraps(row, prefix, suffix) || row.text.size() < m) {
        if (matches(row.text))
            return true;
        SaveOpen::rowLayoutText(row, buffer);
        return matches(buffer);
    }
    // Most rows are the label between a prefix and a suffix: the label is
    // searched in place, then only the text across its two ends (a label
    // as long as the text cannot hold a match across both).
    if (matches(row.text))
        return true;
    // A match across an end starts (ends) with a unit of the prefix (suffix):
    // most texts have none, and no buffer is built.
    const auto holds = [this](QStringView part, QChar c) {
        for (QChar x : part)
            if (m_cs == Qt::CaseSensitive ? x == c : fold(x.unicode()) == fold(c.unicode()))
                return true;
        return false;
    };
    const QStringView label(row.text);
    if (holds(prefix, m_text.front())) {
        buffer.truncate(0);
        buffer += prefix;
        buffer += label.left(m - 1);
        if (matches(buffer))
            return true;
    }
    if (!holds(suffix, m_text.back()))
        return false;
    buffer.truncate(0);
    buffer += label.right(m - 1);
    buffer += suffix;
    return matches(buffer);
}

bool Matcher::matchesFolded(QStringView row) const
{
    // A plain scan for the first unit: no step waits on the one before, so
    // it runs several times faster than a skip table for short texts, and
    // as fast for long ones on rows of a few dozen characters.
    const qsizetype m = qsizetype(m_folded.size());
    const char16_t *h = row.utf16();
    const char16_t *p = m_folded.data();
    const char16_t first = p[0];
    for (qsizetype pos = 0, end = row.size() - m; pos <= end; ++pos) {
        if (fold(h[pos]) != first)
            continue;
        qsizetype k = 1;
        while (k < m && fold(h[pos + k]) == p[k])
            ++k;
        if (k == m)
            return true;
    }
    return false;
}

Hit find(const std::vector<ScriptLine> &rows, const QString &text, Qt::CaseSensitivity cs, int start,
         Direction direction)
{
    const int n = int(rows.size());
    if (text.isEmpty() || n == 0)
        return {};
    const Matcher matcher(text, cs);
    QString buffer;
    const auto matches = [&](int pos) { return matcher.matchesRow(rows[size_t(pos - 1)], buffer); };
    if (direction == Direction::Forward) {
        const int first = qBound(1, start, n + 1);
        for (int pos = first; pos <= n; ++pos)
            if (matches(pos))
                return {pos, false};
        for (int pos = 1; pos < first && pos <= n; ++pos)
            if (matches(pos))
                return {pos, true};
    } else {
        const int first = qBound(0, start, n);
        for (int pos = first; pos >= 1; --pos)
            if (matches(pos))
                return {pos, false};
        for (int pos = n; pos > first; --pos)
            if (matches(pos))
                return {pos, true};
    }
    return {};
}

} // namespace RowSearch
