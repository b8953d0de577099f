#pragma once

#include "scriptline.h"

#include <QStringMatcher>
#include <string>
#include <vector>

// Finding text in the rows of the script, for the find bar: the next or
// previous row whose label or text as written in the file (its line in the
// editor's layout: "(defrule", "(defconst x 5)"...) contains the text,
// wrapping around the ends of the list. Positions are 1-based, as everywhere in the editor.
namespace RowSearch {

enum class Direction { Forward, Backward };

// Whether a row's text contains a text, with or without regard to case; the
// same test for finding and for highlighting.
class Matcher
{
public:
    Matcher() = default;
    Matcher(const QString &text, Qt::CaseSensitivity cs);
    const QString &text() const { return m_text; }
    Qt::CaseSensitivity caseSensitivity() const { return m_cs; }
    // False for every row when the text is empty.
    bool matches(QStringView row) const;
    // Whether the row's label or its layout text contains the text; buffer
    // receives the layout text, its storage reused from row to row.
    bool matchesRow(const ScriptLine &row, QString &buffer) const;

private:
    bool matchesFolded(QStringView row) const;

    QString m_text;
    Qt::CaseSensitivity m_cs = Qt::CaseSensitive;
    QStringMatcher m_exact;
    // Without regard to case, the folded text: the search folds only the
    // units it looks at, ASCII inline; QStringMatcher folds each one through
    // the Unicode tables and is several times slower.
    std::u16string m_folded;
};

struct Hit {
    int pos = 0;          // the matching row; 0 when no row matches
    bool wrapped = false; // reached by passing the end (forward) or the start (backward)
};

// Looks at the row at start first, then on in the given direction, and after
// the last (first) row goes on from the other end up to the row just before
// start. A start beyond the end (forward) or before the start (backward)
// begins from the other end at once, as a wrap. An empty text matches nothing.
Hit find(const std::vector<ScriptLine> &rows, const QString &text, Qt::CaseSensitivity cs, int start,
         Direction direction);

} // namespace RowSearch
