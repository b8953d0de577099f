#pragma once

#include "blocks.h"
#include "scriptline.h"

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
};

struct Context {
    // The catalogues' vocabulary; none: its checks are off.
    const Vocabulary *vocabulary = nullptr;
    // The folder of the script's file, where its loads are looked for;
    // empty for a script in no file.
    QString folder;
};

// The checks of a script's rows one by one: made for the constants the rows
// define (and the problems of their definitions), then asked for the
// problems of any row. The rows must outlive it.
class Checker
{
public:
    Checker(const std::vector<ScriptLine> &rows, const Context &context);
    ~Checker();
    // Constants defined twice.
    const std::vector<Problem> &constantProblems() const;
    // Whether other's rows define the same constants with the same values.
    bool sameConstants(const Checker &other) const;
    // Appends the problems of row pos: its fact or action, symbol or loads.
    void check(int pos, std::vector<Problem> &out);

private:
    class Analysis;
    std::unique_ptr<Analysis> m;
};

// own, in row order, with the unbalanced blocks of structure, in row order
// (a block's problem first on its row).
std::vector<Problem> merge(std::vector<Problem> own, const Blocks::Structure &structure,
                           const std::vector<ScriptLine> &rows);

// Every problem of rows, in row order: the unbalanced blocks of structure,
// constants defined twice, and with a vocabulary, unknown facts and actions,
// wrong numbers of parameters, values their types refuse, constants used but
// not defined, unknown conditional symbols; loads whose file is missing.
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
