// Reading and writing a generated script of 120,000 lines (about 3.5 MB)
// with the variety of real ones: tab-indented rules, groups, inverse facts,
// comments everywhere, quoted chat texts, random loads, conditional blocks.
#include "files/saveopen.h"
#include "shell/fileservices.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {
QString generatedScript(int lines)
{
    QString s;
    s.reserve(lines * 30);
    int n = 0;
    auto line = [&](const QString &l) {
        s += l;
        s += QStringLiteral("\r\n");
        ++n;
    };
    for (int i = 0; n < lines; ++i) {
        line(QStringLiteral("; règle %1 : économie et défense du village").arg(i));
        if (i % 10 == 0)
            line(QStringLiteral("(defconst seuil-ble-%1 %2)").arg(i).arg(i % 500));
        if (i % 25 == 0)
            line(QStringLiteral("#load-if-defined CARTE-ILES"));
        line(QStringLiteral("(defrule"));
        line(QStringLiteral("\t(or\t(stock ble > %1)").arg(i % 300));
        line(QStringLiteral("\t\t(stock bois >= 200))"));
        line(QStringLiteral("\t(not (ennemi-proche))   ; pas de menace"));
        line(QStringLiteral("\t(NAND"));
        line(QStringLiteral("\t\t(minuteur-declenche 3)"));
        line(QStringLiteral("\t)"));
        line(QStringLiteral("=>"));
        line(QStringLiteral("\t(lever-troupes piquier %1)").arg(i % 20));
        line(QStringLiteral("\t(dire \"Au marché ; on charge (load) le blé\")"));
        line(QStringLiteral(")"));
        if (i % 25 == 0) {
            line(QStringLiteral("#else"));
            line(QStringLiteral("(load-random 30 \"defense-a\""));
            line(QStringLiteral("\t70 \"defense-b\")"));
            line(QStringLiteral("#end-if"));
        }
        line(QString());
    }
    return s;
}

const QString &script()
{
    static const QString s = generatedScript(120000);
    return s;
}
} // namespace

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
