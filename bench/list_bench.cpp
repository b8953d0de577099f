// The editor's list at 200,000 rows: appending them, then the single-row
// commands a user runs on it (insert at the top, select, delete), through the
// real window; and opening and previewing a generated 120,000-line script in
// the window.
#include "privatefolders.h"
#include "generatedscript.h"
#include "document/plugfrm.h"
#include "document/scriptproblems.h"
#include "document/scriptdocument.h"
#include "document/scriptlistview.h"
#include "help/previewfrm.h"
#include "help/previewtext.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include "shell/fileservices.h"
#include "shell/options.h"
#include "shell/pluginfolder.h"
#include <benchmark/benchmark.h>

namespace {
constexpr int Rows = 200000;

PlugFrm &editorWithRows()
{
    PlugFrm &f = PlugFrm::instance();
    if (f.ListView1->count() != Rows) {
        f.ListView1->rows().clear();
        for (int i = 0; i < Rows; ++i)
            f.insertRow(0, QStringLiteral("lever-troupes %1").arg(i), qRgb(0, 0, 0), LineKind::Act);
    }
    f.show();
    QApplication::processEvents();
    return f;
}
} // namespace

static void AppendRows(benchmark::State &state)
{
    PlugFrm &f = PlugFrm::instance();
    f.show();
    for (auto _ : state) {
        state.PauseTiming();
        f.ListView1->rows().clear();
        state.ResumeTiming();
        for (int i = 0; i < Rows; ++i)
            f.insertRow(0, QStringLiteral("lever-troupes %1").arg(i), qRgb(0, 0, 0), LineKind::Act);
        QApplication::processEvents();
    }
    state.counters["rows"] = Rows;
}
BENCHMARK(AppendRows)->Unit(benchmark::kMillisecond)->Iterations(3);

static void InsertBlankAtTop(benchmark::State &state)
{
    PlugFrm &f = editorWithRows();
    for (auto _ : state) {
        f.ListView1->selectRow(1);
        f.Command1_Click(); // Insérer a blank line (the combo's last kind)
        QApplication::processEvents();
        state.PauseTiming();
        f.ListView1->rows().removeRow(1);
        state.ResumeTiming();
    }
}

static void SelectRow(benchmark::State &state)
{
    PlugFrm &f = editorWithRows();
    int pos = 1;
    for (auto _ : state) {
        f.ListView1->selectRow(pos);
        QApplication::processEvents();
        pos = pos * 7919 % Rows + 1;
    }
}

static void DeleteSelectedAtTop(benchmark::State &state)
{
    PlugFrm &f = editorWithRows();
    for (auto _ : state) {
        state.PauseTiming();
        f.insertRow(1, QStringLiteral("a supprimer"), qRgb(0, 0, 0), LineKind::Act);
        f.ListView1->selectRow(1);
        state.ResumeTiming();
        f.Command4_Click();
        QApplication::processEvents();
    }
}

// Writes the generated script into dir; "" when it cannot.
static QString writeGeneratedScript(const QTemporaryDir &dir, benchmark::State &state)
{
    const QString path = dir.filePath(QStringLiteral("gros.per"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(FileServices::encode1252(GeneratedScript::script())) < 0) {
        state.SkipWithError("cannot write the script");
        return {};
    }
    return path;
}

// The window showing the generated script, written into dir; null when it
// cannot.
static PlugFrm *windowWithGeneratedScript(const QTemporaryDir &dir, benchmark::State &state)
{
    const QString path = writeGeneratedScript(dir, state);
    if (path.isEmpty())
        return nullptr;
    PlugFrm &frm = PlugFrm::instance();
    frm.show();
    QString error;
    if (!frm.document().open(path, error)) {
        state.SkipWithError("the script did not open");
        return nullptr;
    }
    return &frm;
}

// "Ouvrir" without the chooser: read, check and show the rows.
static void OpenScriptInWindow(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString path = writeGeneratedScript(dir, state);
    if (path.isEmpty())
        return;
    PlugFrm &frm = PlugFrm::instance();
    frm.show();
    for (auto _ : state) {
        state.PauseTiming();
        // what the last opening left to do in the background finishes untimed
        while (frm.document().judging() || frm.document().problems().findingAi())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        frm.document().problems().problems();
        QApplication::processEvents();
        frm.ListView1->rows().clear();
        QApplication::processEvents();
        state.ResumeTiming();
        QString error;
        if (!frm.document().open(path, error))
            state.SkipWithError("the script did not open");
        QApplication::processEvents();
    }
    state.counters["rows"] = frm.ListView1->count();
    state.counters["MB"] = QFileInfo(path).size() / 1e6;
}

// "Prévisualiser" on the opened script: the text built, put in the preview
// window and shown; the window is closed as soon as it has drawn.
static void PreviewScriptInWindow(benchmark::State &state)
{
    QTemporaryDir dir;
    PlugFrm *frm = windowWithGeneratedScript(dir, state);
    if (!frm)
        return;
    for (auto _ : state) {
        QTimer::singleShot(0, [] {
            if (QWidget *shown = QApplication::activeModalWidget())
                shown->close();
        });
        frm->Command2_Click();
    }
    state.counters["lines"] = PreviewFrm::instance().Text1->lineCount();
}

// "Enregistrer" right after opening: every form written as it was read.
static void SaveUnchangedInWindow(benchmark::State &state)
{
    Options::CompanionFilePolicy = 3; // no companion question
    QTemporaryDir dir;
    PlugFrm *frm = windowWithGeneratedScript(dir, state);
    if (!frm)
        return;
    for (auto _ : state) {
        if (!frm->SaveFile_Click())
            state.SkipWithError("the save failed");
    }
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    usePrivateFolders();
    QApplication app(argc, argv);
    PluginFolder::setPath(QStringLiteral(VARDELO_DATA_DIR)); // the shipped catalogues
    PlugFrm::instance().Combo1->setCurrentIndex(7);
    benchmark::RegisterBenchmark("OpenScriptInWindow", OpenScriptInWindow)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PreviewScriptInWindow", PreviewScriptInWindow)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SaveUnchangedInWindow", SaveUnchangedInWindow)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("InsertBlankAtTop", InsertBlankAtTop)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SelectRow", SelectRow)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("DeleteSelectedAtTop", DeleteSelectedAtTop)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
