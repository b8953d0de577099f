#pragma once

#include "scriptline.h"

#include <QString>
#include <QStringList>
#include <span>
#include <vector>

// The display texts of the lines built from the dialogs. Pure text: the
// windows read their fields, these functions make the line, and the placement
// functions say where it goes.
namespace LineText {

// A catalogue entry's value: the text before its first " (" (the rest is a
// description for the user).
QString valuePart(const QString &entry);

// Condition types of the conditional-load editor, in their list order.
inline const QString ConditionTypes[4] = {
    QStringLiteral("Si"), QStringLiteral("Si inverse"), QStringLiteral("Sinon"),
    QStringLiteral("Fin de si")};

// conditionType is the index into ConditionTypes; symbolEntry the chosen
// symbol list entry (read for the first two types only).
QString conditional(int conditionType, const QString &symbolEntry);
// The symbol of a symbol list entry: the text before its first "(", less one
// trailing blank.
QString symbolOf(const QString &symbolEntry);
QString constant(const QString &name, const QString &value);
// A fact's or an action's line: "Inverse de " for a negated fact, the name,
// then each non-empty value after one blank.
QString entryLine(bool negated, const QString &name, const QStringList &values);
// Why a value typed for a fact or an action cannot stand in its line ("" when
// it can): outside double quotes a ";" would start a comment and a
// parenthesis would end or open an element; an unclosed double quote would
// take the rest of the line. The French message names the character.
QString valueProblem(const QString &value);
// Why a value typed in a parameter field cannot be written ("" when it can):
// what valueProblem refuses, a double quote inside a text (the game has no
// escape for it), and blanks in a parameter that is not a text (the value
// would count as several). text: the parameter takes typed text.
QString typedValueProblem(const QString &value, bool text);
// A value as its line writes it: a text with blanks between double quotes.
QString writtenValue(const QString &value, bool text);
// The text of a "Comm E" row.
QString endComment(const QString &comment);
// " " when appending, "" when inserting.
QString blank(bool appending);

// One possibility of a random load: a file and its percentage (digits; may
// be empty).
struct Possibility {
    QString file;
    QString percentage;
    bool operator==(const Possibility &) const = default;
};
// The text of an "RLoad" row: for each possibility its file, a blank, then
// the percentage and "% ", or two more blanks without one.
QString randomLoad(std::span<const Possibility> possibilities);
// The possibilities of an "RLoad" row's text, in the editor's form (a name
// without percentage followed by three blanks) or the reader's (by one).
std::vector<Possibility> randomLoadPossibilities(QStringView text);

} // namespace LineText

// The value checks of the constant editor.
namespace ConstantValue {
// A number as a user of a French or English locale types it: blanks around,
// a sign, digits with "." or the locale's decimal separator, an exponent.
bool isNumeric(const QString &text, QChar localeDecimal);
// The decimal number the text starts with ("." as the decimal point), read up
// to the first character that does not fit; 0 when there is none.
double leadingNumber(const QString &text);
// Whether the leading number fits the game's 16-bit integers.
bool inRange(const QString &text);
// A text constant: one double-quoted text, blanks around it allowed.
bool isQuotedText(const QString &text);
} // namespace ConstantValue

namespace Placement {

// Where a new row goes by the placement rule: after the last row when
// appending, else at the selected row's position. 0 when it has nowhere to go
// (inserting with no selected row). selected is 0 when no row is selected.
int target(bool add, int selected, int count);

enum class CommentChoice { AfterSelected = 1, EndOfList = 2, EndOfSelected = 3 };
struct Row {
    int pos = 0; // 0: nowhere
    QString text;
    LineKind kind = LineKind::CommN;
};
// The comment row for a placement choice (Option1, Option2, Option3).
Row comment(CommentChoice choice, const QString &comment, int selected, int count);

} // namespace Placement
