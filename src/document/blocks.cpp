#include "blocks.h"

#include <algorithm>
#include <limits>

namespace Blocks {

namespace {

// The four kinds of group, by their opening and closing kinds.
struct GroupNames {
    LineKind open, close;
    const QString &openText, &closeText;
};
const GroupNames &groupOf(LineKind kind)
{
    static const GroupNames groups[] = {
        {LineKind::FactOB, LineKind::FactOE, RowText::Or, RowText::OrEnd},
        {LineKind::FactAB, LineKind::FactAE, RowText::AndNot, RowText::AndNotEnd},
        {LineKind::FactTB, LineKind::FactTE, RowText::And, RowText::AndEnd},
        {LineKind::FactNB, LineKind::FactNE, RowText::Nor, RowText::NorEnd},
    };
    for (const GroupNames &g : groups)
        if (g.open == kind || g.close == kind)
            return g;
    return groups[0];
}

bool opensGroup(LineKind kind)
{
    return kind == LineKind::FactOB || kind == LineKind::FactAB || kind == LineKind::FactTB
           || kind == LineKind::FactNB;
}

bool closesGroup(LineKind kind)
{
    return kind == LineKind::FactOE || kind == LineKind::FactAE || kind == LineKind::FactTE
           || kind == LineKind::FactNE;
}

enum class Condition { None, If, Else, EndIf };

// A conditional row's part, read from its text in the writer's order.
Condition conditionOf(const QString &text)
{
    if (text.startsWith(RowText::IfPrefix) || text.startsWith(RowText::IfNotPrefix))
        return Condition::If;
    if (text == RowText::Else)
        return Condition::Else;
    if (text == RowText::EndIf)
        return Condition::EndIf;
    return Condition::None;
}

struct Open {
    int row;
    LineKind kind;
};

class Pass
{
public:
    explicit Pass(const std::vector<ScriptLine> &lines) : m_lines(lines)
    {
        m_result.depth.reserve(lines.size());
    }

    Structure run()
    {
        for (size_t i = 0; i < m_lines.size(); ++i)
            step(int(i) + 1, m_lines[i]);
        closeFrom(0);
        for (int row : m_conditions)
            report(row, Problem::ConditionNotClosed, LineKind::Prep);
        // Blocks left open are found after the rows that stand after them.
        std::sort(m_result.diagnostics.begin(), m_result.diagnostics.end(),
                  [](const Diagnostic &a, const Diagnostic &b) { return a.row < b.row; });
        return std::move(m_result);
    }

private:
    size_t depth() const { return m_open.size() + m_conditions.size(); }

    void report(int row, Problem problem, LineKind kind) { m_result.diagnostics.push_back({row, problem, kind}); }

    // Every block from index `from` of the rule stack on stays open.
    void closeFrom(size_t from)
    {
        for (size_t i = from; i < m_open.size(); ++i)
            report(m_open[i].row, m_open[i].kind == LineKind::FactB ? Problem::RuleNotClosed : Problem::GroupNotClosed,
                   m_open[i].kind);
        m_open.resize(from);
    }

    void step(int row, const ScriptLine &line)
    {
        size_t d = depth();
        const LineKind kind = line.kind;
        if (kind == LineKind::FactB) {
            // rules do not nest: a new one ends whatever was left open
            closeFrom(0);
            d = depth();
            m_open.push_back({row, kind});
        } else if (opensGroup(kind)) {
            m_open.push_back({row, kind});
        } else if (closesGroup(kind)) {
            closeGroup(row, kind, d);
        } else if (kind == LineKind::FactE) {
            if (!m_open.empty() && m_open.front().kind == LineKind::FactB) {
                closeFrom(1);
                m_open.clear();
                d = depth();
            } else {
                report(row, Problem::RuleEndAlone, kind);
            }
        } else if (kind == LineKind::Prep) {
            switch (conditionOf(line.text)) {
            case Condition::If:
                m_conditions.push_back(row);
                break;
            case Condition::Else:
                if (m_conditions.empty())
                    report(row, Problem::ElseAlone, kind);
                else
                    --d;
                break;
            case Condition::EndIf:
                if (m_conditions.empty()) {
                    report(row, Problem::EndIfAlone, kind);
                } else {
                    m_conditions.pop_back();
                    --d;
                }
                break;
            case Condition::None:
                break;
            }
        }
        m_result.depth.push_back(quint16(std::min<size_t>(d, std::numeric_limits<quint16>::max())));
    }

    // A group's end closes the innermost group of its kind within the rule;
    // groups opened inside that one and not closed stay open.
    void closeGroup(int row, LineKind kind, size_t &d)
    {
        const LineKind opening = groupOf(kind).open;
        for (size_t i = m_open.size(); i-- > 0 && opensGroup(m_open[i].kind);) {
            if (m_open[i].kind == opening) {
                closeFrom(i + 1);
                m_open.pop_back();
                d = depth();
                return;
            }
        }
        report(row, Problem::GroupEndAlone, kind);
    }

    const std::vector<ScriptLine> &m_lines;
    Structure m_result;
    std::vector<Open> m_open;       // the rule and its groups, innermost last
    std::vector<int> m_conditions; // the rows of the open "Si", innermost last
};

} // namespace

const Diagnostic *Structure::diagnosticAt(int row) const
{
    const auto it = std::lower_bound(diagnostics.begin(), diagnostics.end(), row,
                                     [](const Diagnostic &d, int r) { return d.row < r; });
    return it != diagnostics.end() && it->row == row ? &*it : nullptr;
}

Structure analyse(const std::vector<ScriptLine> &lines)
{
    return Pass(lines).run();
}

QString describe(const Diagnostic &d)
{
    const GroupNames &g = groupOf(d.kind);
    switch (d.problem) {
    case Problem::RuleNotClosed:
        return QStringLiteral("Règle non fermée (il manque « %1 »)").arg(RowText::RuleEnd);
    case Problem::RuleEndAlone:
        return QStringLiteral("« %1 » sans début de règle").arg(RowText::RuleEnd);
    case Problem::GroupNotClosed:
        return QStringLiteral("Groupe « %1 » non fermé (il manque « %2 »)").arg(g.openText, g.closeText);
    case Problem::GroupEndAlone:
        return QStringLiteral("« %1 » sans son « %2 »").arg(g.closeText, g.openText);
    case Problem::ConditionNotClosed:
        return QStringLiteral("Bloc « Si » non fermé (il manque « %1 »)").arg(RowText::EndIf);
    case Problem::ElseAlone:
        return QStringLiteral("« %1 » sans son « Si »").arg(RowText::Else);
    case Problem::EndIfAlone:
        return QStringLiteral("« %1 » sans son « Si »").arg(RowText::EndIf);
    }
    return {};
}

} // namespace Blocks
