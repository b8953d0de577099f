#include "saveopen.h"

namespace SaveOpen {

bool readsBack(LineKind kind, const QString &text)
{
    std::vector<ScriptLine> rows;
    const auto row = [&rows](LineKind k, const QString &t) { rows.push_back(ScriptLine{t, 0, k, ScriptLine::NoForm}); };
    const bool inRule = kind == LineKind::Fact || kind == LineKind::Act;
    if (inRule)
        row(LineKind::FactB, RowText::RuleStartRead);
    else if (kind == LineKind::CommE)
        row(LineKind::Load, QStringLiteral("x"));
    row(kind, text);
    if (inRule)
        row(LineKind::FactE, RowText::RuleEnd);

    const QString written = BuildScriptText(rows);
    const std::vector<ScriptLine> read = readScriptText(written);
    if (read.size() != rows.size())
        return false;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (read[i].kind != rows[i].kind)
            return false;
    }
    // blanks may settle differently; the tokens and comments may not
    return sameContent(written, BuildScriptText(read));
}

} // namespace SaveOpen
