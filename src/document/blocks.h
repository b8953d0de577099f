#pragma once

#include "scriptline.h"

#include <QString>
#include <vector>

// The block structure of the rows: rules, groups of facts and conditional
// blocks exist only as the order of their opening and closing rows, and
// nothing keeps them balanced. One linear pass gives each row its depth and
// names the rows whose block is broken.
namespace Blocks {

enum class Problem : quint8 {
    RuleNotClosed,      // a rule start without its "Fin de règle"
    RuleEndAlone,       // a "Fin de règle" outside any rule
    GroupNotClosed,     // "Ou", "Et pas", "Tous", "Ni" left open
    GroupEndAlone,      // "Fin de ou" … without its opening row
    ConditionNotClosed, // "Si …" without its "Fin de si"
    ElseAlone,          // "Sinon" outside a conditional block
    EndIfAlone,         // "Fin de si" outside a conditional block
};

struct Diagnostic {
    int row = 0; // 1-based position of the row concerned
    Problem problem = Problem::RuleNotClosed;
    LineKind kind = LineKind::Unknown; // that row's kind
};

// The French text of a diagnostic, for the tooltip and the command line.
QString describe(const Diagnostic &d);

struct Structure {
    // Depth of each row (index 0 is row 1): the number of blocks it stands
    // in. An opening or closing row stands at the depth of what is around
    // its block; a "Sinon" at its "Si"'s.
    std::vector<quint16> depth;
    // In row order; a row has one diagnostic at most.
    std::vector<Diagnostic> diagnostics;

    int depthAt(int row) const
    {
        return row >= 1 && size_t(row) <= depth.size() ? depth[size_t(row - 1)] : 0;
    }
    // The diagnostic of a row, or nullptr.
    const Diagnostic *diagnosticAt(int row) const;
};

// Rows of text the editor does not know and comments do not count; a
// conditional row counts by its text, as the writer reads it.
Structure analyse(const std::vector<ScriptLine> &lines);

} // namespace Blocks
