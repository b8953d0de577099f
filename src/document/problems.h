#pragma once

#include "blocks.h"
#include "scriptline.h"

#include <QHash>
#include <QString>
#include <memory>
#include <vector>

class Vocabulary;

// What would make the game refuse a script, or look wrong in it, found in
// its rows before the game is asked: each problem with its severity, its
// row, its line in the file and a French message naming what is wrong and
// what was expected. The editor's pane and `vardelo lint` show the same list.
namespace Problems {

enum class Severity : quint8 { Error, Warning };
// "erreur", "attention".
QString severityName(Severity severity);

struct Problem {
    Severity severity = Severity::Error;
    int row = 0;  // 1-based
    int line = 0; // in the file; 0 for a row not saved yet
    QString message;
    // The name the message proposes ("vouliez-vous dire « batiments » ?")
    // for the misspelt one, was, at that place of the row's text; none
    // when text is empty.
    struct Fix {
        qsizetype at = 0;
        QString was;
        QString text;
    } fix;
    bool hasFix() const { return !fix.text.isEmpty(); }
};
// The row's text with the problem's proposed name in place of the misspelt
// one: the name only changes. "" when the problem proposes none, or the row
// no longer holds the misspelt name there.
QString fixed(const Problem &problem, const QString &rowText);

// A name or value as messages quote it: cut short past 40 characters, with
// control characters (a NUL byte of a damaged file) written as \xNN.
QString quoted(QStringView text);

// The name and value of a constant's row ("Constante: name = value");
// false for any other row.
bool constantOf(const ScriptLine &row, QString *name, QString *value);

// The words of a row that may name constants, in order: the values of its
// fact or action, the value of its constant.
QStringList constantsUsed(const ScriptLine &row);

// The symbols a row holds under: "#load-if-defined X" and the like around
// it, and those around the loads that brought its file in. Two rows whose
// conditions are equal hold together whenever either holds.
class Condition
{
public:
    // Steps past a row of the script: a conditional row opens, flips or
    // closes a block.
    void step(const ScriptLine &row);
    // The condition of the rows after the last step, with outer's (that of
    // the load that brought the file in): a key, "" for none.
    QString key(const QString &outer = {}) const;
    // Whether the key can hold at all (not "X" and "not X" together).
    static bool possible(const QString &key);

private:
    std::vector<std::pair<QString, bool>> m_open; // folded symbol, whether defined
};

// A constant defined in a file of the AI the script belongs to.
struct Definition {
    QString name;
    QString value;
    QString file; // absolute path
    int line = 0;
    QString condition; // Condition::key of the definition
    int entry = 0;     // the entry script whose reading met it
    int order = 0;     // its place in that reading
    bool operator==(const Definition &) const = default;
};
// By folded name.
using Definitions = QHash<QString, std::vector<Definition>>;

// What the other files of its AI tell the checks of a script.
struct Surroundings {
    // The constants every file of the AI defines, the script's own among
    // them (its rows are the truth for those): one table for every file.
    std::shared_ptr<const Definitions> constants;
    QString file; // the script's
    // The condition under which the AI loads the script.
    QString condition;
    // The entries that read the script, the one that reads it first first,
    // and where that reading meets it: a definition met before in that
    // reading comes before the script's own.
    std::vector<int> entries;
    int from = 0;
    // False while the rest of the AI is still being read: a name no file
    // read so far defines may be defined there, and is not reported.
    bool complete = true;
    bool operator==(const Surroundings &other) const
    {
        const auto table = [](const Surroundings &s) { return s.constants ? *s.constants : Definitions(); };
        return file == other.file && condition == other.condition && entries == other.entries && from == other.from
               && complete == other.complete && table(*this) == table(other);
    }
};

struct Context {
    // The catalogues' vocabulary; none: its checks are off.
    const Vocabulary *vocabulary = nullptr;
    // The AI folder, where the game looks for loaded files (the folder of
    // the script that loads the others); empty for a script in no file.
    QString folder;
    // The rest of the AI; none: the script is judged alone.
    std::shared_ptr<const Surroundings> ai;
};

// The checks of a script's rows one by one: made for the constants the rows
// define (and the problems of their definitions), then asked for the
// problems of any row. The rows must outlive it.
class Checker
{
public:
    Checker(const std::vector<ScriptLine> &rows, const Context &context);
    ~Checker();
    // Constants defined twice, or through a loop.
    const std::vector<Problem> &constantProblems() const;
    // Whether other's rows define the same constants with the same values.
    bool sameConstants(const Checker &other) const;
    // Appends the problems of row pos: its fact or action, symbol or loads.
    void check(int pos, std::vector<Problem> &out);
    // Sorts positions (rows, 1-based) and drops the repeated ones, then gives
    // the problems of those among the first rowCount rows, in row order.
    std::vector<Problem> checkRows(std::vector<int> &positions, int rowCount);

private:
    class Analysis;
    std::unique_ptr<Analysis> m;
};

// own, in row order, with the unbalanced blocks of structure, in row order
// (a block's problem first on its row).
std::vector<Problem> merge(std::vector<Problem> own, const Blocks::Structure &structure,
                           const std::vector<ScriptLine> &rows);

// Every problem of rows, in row order: the unbalanced blocks of structure,
// constants defined twice or in a loop, text the reader could not place,
// and with a vocabulary, unknown facts and actions, wrong numbers of
// parameters, values their types refuse, constants used but not defined,
// unknown conditional symbols; loads whose file is missing.
std::vector<Problem> analyse(const std::vector<ScriptLine> &rows, const Blocks::Structure &structure,
                             const Context &context);

struct Counts {
    int errors = 0;
    int warnings = 0;
};
Counts count(const std::vector<Problem> &problems);
// "2 erreurs, 5 avertissements"; "" when there is none.
QString describe(const Counts &counts);

} // namespace Problems
