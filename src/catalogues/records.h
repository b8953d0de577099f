#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// One entry of the fact or action catalogue: its header (name and parameter
// types) and its help text.
struct CatalogueRecord {
    QString header;
    QString help;
};

// What the fact, action, parameter and symbol catalogues share: where they
// lie, how their problems are reported, and the header grammar.
namespace Catalogues {

constexpr int MaxRecords = 32767;

// The catalogue file fileName in the plug-in's own folder.
QString pathOf(const QString &fileName);

// Problems met by the loaders since the last clearProblems(), one French line
// per problem, naming the catalogue.
void clearProblems();
void reportProblem(const QString &fileName, const QString &problem);
const QStringList &problems();
// A line of a catalogue that was read but could not be used, with its
// number: the problems above hold it too.
struct LineProblem {
    QString fileName;
    int line = 0;
    QString problem;
};
void reportLineProblem(const QString &fileName, int line, const QString &problem);
const std::vector<LineProblem> &lineProblems();
// The message shown when the editor window opens; empty when every catalogue
// was read whole.
QString problemsMessage();

// Reads the record catalogue fileName: a start line begins with the marker
// (or one space and the marker) and its rest is a record's header, with runs
// of spaces made single; every other line is help of the latest record.
// table[0] gathers the lines before the first record; table[k] is record k.
// Returns the number of records. A missing or unreadable file gives an empty
// table; records beyond the limit are ignored. Both are reported.
int loadRecords(const QString &fileName, QStringView marker, std::vector<CatalogueRecord> &table);

// The entry's name: the text before the character ahead of the first "<";
// without "<", the text before the first " (", or the whole header.
QString nameOf(const QString &header);

// The parameter type names of a header, one for each "<" in order, at most
// max. The search stops at a "<" without ">" or with an empty name.
QStringList paramTypes(const QString &header, int max);

// An edited line split into its name and up to max values: tokens end at a
// space; a value that begins with a double quote ends just after the next
// one (or at the end of the line when there is none) and keeps its quotes.
struct SplitLine {
    QString name;
    QStringList values;
};
SplitLine splitLine(QStringView text, int max);

// The first record (from 1 to count) whose name is name; 0 when none.
int findByName(const std::vector<CatalogueRecord> &table, int count, const QString &name);

} // namespace Catalogues
