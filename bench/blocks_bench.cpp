// The block structure of 150,000 rows: the generated script's rows, balanced,
// and a list where every block is broken (a diagnostic for most rows).
#include "generatedscript.h"
#include "document/blocks.h"
#include "files/saveopen.h"
#include "shell/fileservices.h"

#include <benchmark/benchmark.h>

namespace {
constexpr size_t Rows = 150000;

// The generated script's rows, repeated up to Rows.
std::vector<ScriptLine> scriptRows()
{
    const std::vector<ScriptLine> read =
        SaveOpen::readScriptBytes(FileServices::encode1252(GeneratedScript::script())).rows;
    std::vector<ScriptLine> rows;
    rows.reserve(Rows);
    while (rows.size() < Rows)
        rows.push_back(read[rows.size() % read.size()]);
    return rows;
}

// Groups and conditional blocks opened and never closed, ends without
// openings: the stacks grow and every row is reported.
std::vector<ScriptLine> brokenRows()
{
    const ScriptLine pattern[] = {
        {RowText::RuleStart, 0, LineKind::FactB}, {RowText::Or, 0, LineKind::FactOB},
        {RowText::Nor, 0, LineKind::FactNB},      {QStringLiteral("Si CARTE"), 0, LineKind::Prep},
        {RowText::AndEnd, 0, LineKind::FactTE},   {RowText::Else, 0, LineKind::Prep},
        {QStringLiteral("x 1"), 0, LineKind::Fact},
    };
    std::vector<ScriptLine> rows;
    rows.reserve(Rows);
    for (size_t i = 0; i < Rows; ++i)
        rows.push_back(pattern[i % std::size(pattern)]);
    return rows;
}
} // namespace

static void Analyse(benchmark::State &state, std::vector<ScriptLine> (*make)())
{
    const std::vector<ScriptLine> rows = make();
    for (auto _ : state)
        benchmark::DoNotOptimize(Blocks::analyse(rows));
    state.counters["rows"] = double(rows.size());
    state.counters["diagnostics"] = double(Blocks::analyse(rows).diagnostics.size());
}
BENCHMARK_CAPTURE(Analyse, ScriptRows, scriptRows)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Analyse, BrokenRows, brokenRows)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
