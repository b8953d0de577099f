#pragma once

#include "scriptline.h"

#include <QString>
#include <span>
#include <vector>

// The display texts of the lines built from the dialogs. Pure text: the
// windows read their fields, these functions make the line, and the placement
// functions say where it goes.
namespace LineText {

// A catalogue entry's value: the text before its first " (" (the rest is a
// description for the user).
QString valuePart(const QString &entry);

// One parameter field of the fact and action editors.
struct Param {
    int kind = 0;      // 1 chosen from a list, 2 typed, anything else: none
    QString listText;  // the chosen list entry
    QString typedText; // the typed text
};

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
// The action line from a catalogue header and up to three parameter fields.
QString action(const QString &header, std::span<const Param> params);
// The fact line from the header and up to four parameter fields.
QString fact(bool negated, const QString &header, std::span<const Param> params);
// The text of a "Comm E" row.
QString endComment(const QString &comment);
// " " when appending, "" when inserting.
QString blank(bool appending);

// One possibility of a random load: a file and its percentage (digits; may
// be empty).
struct Possibility {
    QString file;
    QString percentage;
};
// The text of an "RLoad" row: for each possibility its file's base name, a
// blank, then the percentage and "% ", or two more blanks without one.
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
