// The check against the shipped catalogues' vocabulary on the generated
// script of 120,000 lines.
#include "generatedscript.h"
#include "catalogues/vocabulary.h"
#include "document/problems.h"
#include "files/saveopen.h"
#include "shell/fileservices.h"
#include "shell/pluginfolder.h"

#include <benchmark/benchmark.h>

static void AnalyseGeneratedScript(benchmark::State &state)
{
    PluginFolder::setPath(QStringLiteral(VARDELO_DATA_DIR));
    const Vocabulary vocabulary = Vocabulary::loadCatalogues();
    const std::vector<ScriptLine> rows =
        SaveOpen::readScriptBytes(FileServices::encode1252(GeneratedScript::script()), false).rows;
    const Blocks::Structure structure = Blocks::analyse(rows);
    size_t found = 0;
    for (auto _ : state)
        found = Problems::analyse(rows, structure, {&vocabulary, {}}).size();
    state.counters["rows"] = double(rows.size());
    state.counters["problems"] = double(found);
}
BENCHMARK(AnalyseGeneratedScript)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
