#pragma once

// Rows as script text and script text as rows, for the clipboard and for a
// row typed as text: the reader and writer of the script files, applied to a
// few rows.
#include "document/scriptline.h"
#include "document/scriptsource.h"

#include <QString>
#include <QStringView>
#include <span>
#include <vector>

namespace SaveOpen {

// Where rows stand: outside any rule, among a rule's facts (before its
// "=>"), or among its actions.
enum class RowPlace { TopLevel, Facts, Actions };

// A rule's or group's start row; its end row.
bool opensBlock(LineKind kind);
bool closesBlock(LineKind kind);

// The place of a row put at pos (1-based; count + 1 for the end) among rows.
RowPlace placeAt(std::span<const ScriptLine> rows, int pos);

// The first and last rows (1-based) of the rule the row at pos starts or
// ends; {pos, pos} for any other row, or a start or end without its match.
struct RowRange {
    int first = 0;
    int last = 0;
};
RowRange wholeRule(std::span<const ScriptLine> rows, int pos);

// The text of rows (1-based ranges, in order) as the file would have them,
// with its line ends: a form read from the file and wholly among them as the
// file has it (an edited one as saving would patch it), the other rows in
// the editor's layout with the file's indentation. Every line ends.
QString rowsText(std::span<const ScriptLine> rows, const std::vector<RowRange> &ranges, const ScriptSource &source);

// Reads script text ("Ouvrir" reads it) into new rows (of no form) for place.
// False, with the French reason in error, for text that reads as nothing,
// holds text that is no form of the script, or does not fit place (a rule
// in a rule, a fact outside one).
bool readRows(QStringView text, RowPlace place, std::vector<ScriptLine> &rows, QString &error);

// A single row's text as written ("(stock ble < 3)", "(defconst seuil 200)"),
// on one line.
QString rowText(const ScriptLine &row);
// Reads text typed for the row standing at place: it must read as one row
// of a kind that fits there (a fact among facts, an action among actions, a
// constant, a load, a directive or a comment outside rules; a comment
// anywhere), and read back as the dialogs' check requires. False with the
// French reason otherwise.
bool readOneRow(QStringView text, RowPlace place, ScriptLine &row, QString &error);

} // namespace SaveOpen
