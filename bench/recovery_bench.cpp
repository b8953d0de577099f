// The recovery file of the generated script of 120,000 lines, one row
// changed (argument 0) or every row made in the editor (1): what the
// window's thread does for it (a copy of the rows saving needs), what the
// writer's own thread does (the bytes made, then written whole), the two
// through the writer until the file is on disk, the bytes made on the
// window's thread instead, and `cp` of the recovery file in the same folder.
#include "privatefolders.h"
#include "generatedscript.h"
#include "document/scriptdocument.h"
#include "files/recovery.h"
#include "files/recoverywriter.h"
#include "files/saveopen.h"
#include "shell/fileservices.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {
struct Opened {
    QTemporaryDir dir;
    ScriptDocument doc;
    std::unique_ptr<RecoveryWriter> writer;
};

std::unique_ptr<Opened> s_opened[2];

Opened &opened(int variant = 0)
{
    if (!s_opened[variant]) {
        s_opened[variant] = std::make_unique<Opened>();
        Opened *o = s_opened[variant].get();
        const QString path = o->dir.filePath(QStringLiteral("gros.per"));
        QString error;
        if (!FileServices::saveFile(path, FileServices::encode1252(GeneratedScript::script()), error)
            || !o->doc.open(path, error))
            qFatal("%s", qPrintable(error));
        if (variant == 1)
            o->doc.rows().setLines(o->doc.rows().lines()); // rows of no part read
        o->doc.rows().setText(6, o->doc.rows().text(6) + QStringLiteral(" 2"));
        o->writer = std::make_unique<RecoveryWriter>(o->doc);
    }
    return *s_opened[variant];
}
} // namespace

static void WindowThreadPart(benchmark::State &state)
{
    Opened &o = opened(int(state.range(0)));
    for (auto _ : state) {
        o.writer->writeNow();
        state.PauseTiming();
        o.writer->waitForDone();
        state.ResumeTiming();
    }
}
BENCHMARK(WindowThreadPart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

static void WriterThreadPart(benchmark::State &state)
{
    Opened &o = opened(int(state.range(0)));
    const std::vector<ScriptLine> rows = o.doc.rows().lines();
    const QString file = o.writer->file();
    for (auto _ : state) {
        SaveOpen::SaveText text;
        QString error;
        if (!SaveOpen::buildScriptBytes(rows, o.doc.source(), text, error)
            || !Recovery::write(file, {o.doc.currentFile(), QDateTime::currentDateTimeUtc(), o.doc.source().encoding,
                                       std::move(text.bytes)}, error))
            state.SkipWithError(qPrintable(error));
    }
}
BENCHMARK(WriterThreadPart)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

static void WholeWriteThroughWriter(benchmark::State &state)
{
    Opened &o = opened(int(state.range(0)));
    for (auto _ : state) {
        o.writer->writeNow();
        o.writer->waitForDone();
    }
}
BENCHMARK(WholeWriteThroughWriter)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// What the window's thread would take to make the bytes itself.
static void BytesOnWindowThread(benchmark::State &state)
{
    Opened &o = opened(int(state.range(0)));
    for (auto _ : state) {
        SaveOpen::SaveText text;
        QString error;
        benchmark::DoNotOptimize(o.doc.bytes(text, error));
    }
}
BENCHMARK(BytesOnWindowThread)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

static void CopyWithCp(benchmark::State &state)
{
    Opened &o = opened();
    o.writer->writeNow();
    o.writer->waitForDone();
    const QString copy = QDir(Recovery::folder()).filePath(QStringLiteral("copie"));
    for (auto _ : state)
        if (QProcess::execute(QStringLiteral("cp"), {o.writer->file(), copy}) != 0)
            state.SkipWithError("cp failed");
}
BENCHMARK(CopyWithCp)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char **argv)
{
    usePrivateFolders();
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    for (auto &o : s_opened)
        o.reset();
    return 0;
}
