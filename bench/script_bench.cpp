// Reading, checking, saving and formatting a generated script of 120,000 lines.
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

static const QByteArray &scriptBytes()
{
    static const QByteArray b = FileServices::encode1252(script());
    return b;
}

// Decoding, cutting into forms, reading the rows and checking each form.
static void ReadIntoRows(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveOpen::readScriptBytes(scriptBytes()));
    const SaveOpen::ReadResult r = SaveOpen::readScriptBytes(scriptBytes());
    state.counters["rows"] = double(r.rows.size());
    state.counters["forms"] = r.source.formCount();
}
BENCHMARK(ReadIntoRows)->Unit(benchmark::kMillisecond);

// The check alone: every form written in the editor's layout and compared.
static void CheckEveryForm(benchmark::State &state)
{
    SaveOpen::ReadResult r = SaveOpen::readScriptBytes(scriptBytes());
    for (auto _ : state)
        SaveOpen::markKeptForms(r.rows, r.source);
}
BENCHMARK(CheckEveryForm)->Unit(benchmark::kMillisecond);

static void BuildScriptText(benchmark::State &state)
{
    const auto rows = SaveOpen::readScriptBytes(scriptBytes()).rows;
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveOpen::BuildScriptText(rows));
}
BENCHMARK(BuildScriptText)->Unit(benchmark::kMillisecond);

// Saving without an edit: the bytes (every form as read), written to disk.
static void SaveUnchanged(benchmark::State &state)
{
    const SaveOpen::ReadResult r = SaveOpen::readScriptBytes(scriptBytes());
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gros.per"));
    for (auto _ : state) {
        SaveOpen::SaveText t;
        QString error;
        if (!SaveOpen::buildScriptBytes(r.rows, r.source, t, error) || t.bytes != scriptBytes()
            || !FileServices::saveFile(path, t.bytes, error))
            state.SkipWithError("the save did not give back the file");
    }
}
BENCHMARK(SaveUnchanged)->Unit(benchmark::kMillisecond);

// Saving after one edit near the top: one form in the editor's layout.
static void SaveAfterOneEdit(benchmark::State &state)
{
    SaveOpen::ReadResult r = SaveOpen::readScriptBytes(scriptBytes());
    r.source.forms[size_t(r.rows[5].form)].edited = true;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("gros.per"));
    for (auto _ : state) {
        SaveOpen::SaveText t;
        QString error;
        if (!SaveOpen::buildScriptBytes(r.rows, r.source, t, error) || !FileServices::saveFile(path, t.bytes, error))
            state.SkipWithError("the save failed");
    }
}
BENCHMARK(SaveAfterOneEdit)->Unit(benchmark::kMillisecond);

// The formatter of `vardelo format`: form by form, output in chunks.
static void FormatEveryForm(benchmark::State &state)
{
    qsizetype written = 0;
    for (auto _ : state) {
        written = 0;
        QString error;
        SaveOpen::formatScriptBytes(
            scriptBytes(),
            [&](QByteArrayView chunk) {
                written += chunk.size();
                return true;
            },
            error);
    }
    state.counters["MB"] = double(written) / 1e6;
}
BENCHMARK(FormatEveryForm)->Unit(benchmark::kMillisecond);

// Reading a script file's bytes as the editor and the command line do
// (only a regular file, by pieces up to the 1 GB limit), and QFile::readAll
// as the reference, on the same file of the page cache.
static const QString &scriptFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString p = dir.filePath(QStringLiteral("ia.per"));
        QFile f(p);
        f.open(QIODevice::WriteOnly);
        f.write(scriptBytes());
        return p;
    }();
    return path;
}

static void ReadFileBytes(benchmark::State &state)
{
    for (auto _ : state) {
        QByteArray bytes;
        QString error;
        FileServices::readFileBytes(scriptFile(), bytes, error);
        benchmark::DoNotOptimize(bytes);
    }
    state.SetBytesProcessed(state.iterations() * scriptBytes().size());
}
BENCHMARK(ReadFileBytes)->Unit(benchmark::kMillisecond);

static void ReadAllReference(benchmark::State &state)
{
    for (auto _ : state) {
        QFile f(scriptFile());
        f.open(QIODevice::ReadOnly);
        benchmark::DoNotOptimize(f.readAll());
    }
    state.SetBytesProcessed(state.iterations() * scriptBytes().size());
}
BENCHMARK(ReadAllReference)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    // "script_bench --write FILE" writes the generated script, for timing
    // the command line against other tools on the same file.
    if (argc == 3 && QByteArray(argv[1]) == "--write") {
        QFile f(QString::fromLocal8Bit(argv[2]));
        if (!f.open(QIODevice::WriteOnly))
            return 2;
        f.write(scriptBytes());
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
