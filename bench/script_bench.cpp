// Reading, writing and checking a generated script of 120,000 lines.
#include "generatedscript.h"
#include "files/saveopen.h"
#include "shell/fileservices.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

using GeneratedScript::script;

static void DecodeWindows1252(benchmark::State &state)
{
    const QByteArray bytes = FileServices::encode1252(script());
    for (auto _ : state)
        benchmark::DoNotOptimize(FileServices::decode1252(bytes));
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(DecodeWindows1252)->Unit(benchmark::kMillisecond);

static void ReadIntoRows(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveOpen::readScriptText(script()));
    state.counters["rows"] = double(SaveOpen::readScriptText(script()).size());
}
BENCHMARK(ReadIntoRows)->Unit(benchmark::kMillisecond);

static void BuildScriptText(benchmark::State &state)
{
    const auto rows = SaveOpen::readScriptText(script());
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveOpen::BuildScriptText(rows));
}
BENCHMARK(BuildScriptText)->Unit(benchmark::kMillisecond);

static void CompareContent(benchmark::State &state)
{
    const QString written = SaveOpen::BuildScriptText(SaveOpen::readScriptText(script()));
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveOpen::compareContent(script(), written));
}
BENCHMARK(CompareContent)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // "script_bench --write FILE" writes the generated script, for timing
    // the command line against other tools on the same file.
    if (argc == 3 && QByteArray(argv[1]) == "--write") {
        QFile f(QString::fromLocal8Bit(argv[2]));
        if (!f.open(QIODevice::WriteOnly))
            return 2;
        f.write(FileServices::encode1252(script()));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
