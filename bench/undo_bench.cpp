// Undo on the generated 120,000-line script in the window: one edit of a row
// near the end (its rule is then laid out anew), then "Annuler", which puts
// the rule back as read (EditThenUndo); or "Rétablir" and "Annuler" of that
// edit (RedoThenUndo); half the rows cut, pasted back and both undone
// (CutPasteHalfThenUndo).
#include "privatefolders.h"
#include "generatedscript.h"
#include "document/plugfrm.h"
#include "document/rowcommands.h"
#include "document/scriptdocument.h"
#include "document/scriptlistview.h"
#include "document/scriptproblems.h"
#include "shell/fileservices.h"
#include "shell/pluginfolder.h"

#include <QApplication>
#include <QFile>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {
// The window with the generated script open; the position of a fact row
// near the end, 0 (the benchmark skipped) when the script could not be opened.
int openGeneratedScript(const QTemporaryDir &dir, benchmark::State &state)
{
    const QString path = dir.filePath(QStringLiteral("gros.per"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(FileServices::encode1252(GeneratedScript::script())) < 0) {
        state.SkipWithError("the script could not be written");
        return 0;
    }
    file.close();
    PlugFrm &frm = PlugFrm::instance();
    frm.show();
    QString error;
    if (!frm.document().open(path, error)) {
        state.SkipWithError("the script did not open");
        return 0;
    }
    QApplication::processEvents();
    const ScriptModel &rows = frm.ListView1->rows();
    for (int pos = rows.count(); pos > 0; --pos)
        if (rows.kind(pos) == LineKind::Fact)
            return pos;
    state.SkipWithError("the script has no fact");
    return 0;
}
} // namespace

// Edits the fact row near the end, then undoes the edit, as often as asked.
static void EditThenUndo(benchmark::State &state)
{
    QTemporaryDir dir;
    const int pos = openGeneratedScript(dir, state);
    if (pos == 0)
        return;
    PlugFrm &frm = PlugFrm::instance();
    const QString text = frm.rowText(pos);
    const bool redo = state.range(0);
    if (redo) { // the edit is made once, then redone and undone
        frm.setRowText(pos, text + QStringLiteral(" 1"));
        frm.UndoEdit_Click();
    }
    for (auto _ : state) {
        if (redo)
            frm.RedoEdit_Click();
        else
            frm.setRowText(pos, text + QStringLiteral(" 1"));
        frm.UndoEdit_Click();
        QApplication::processEvents();
    }
    if (frm.rowText(pos) != text || frm.document().isModified())
        state.SkipWithError("the edit was not undone");
    state.counters["rows"] = frm.ListView1->count();
}

// One row changed, each time in turn to a fact the catalogue lacks and back,
// until the problems pane and the status bar show it: the row alone is
// checked again.
static void ChangeOneRowProblemsCurrent(benchmark::State &state)
{
    QTemporaryDir dir;
    const int pos = openGeneratedScript(dir, state);
    if (pos == 0)
        return;
    PlugFrm &frm = PlugFrm::instance();
    const QString text = frm.rowText(pos);
    ScriptProblems &problems = frm.document().problems();
    QApplication::processEvents();
    const int before = problems.counts().errors;
    bool wrong = false;
    for (auto _ : state) {
        wrong = !wrong;
        frm.setRowText(pos, wrong ? QStringLiteral("fait-absent 1") : text);
        QApplication::processEvents();
    }
    if (problems.counts().errors != before + (wrong ? 1 : 0))
        state.SkipWithError("the problems did not follow");
    state.counters["rows"] = frm.ListView1->count();
    state.counters["problems"] = double(problems.problems().size());
}

// The middle half of the rows selected, cut ("Couper"), pasted back from
// the clipboard ("Coller", read as script text), then both undone.
static void CutPasteHalfThenUndo(benchmark::State &state)
{
    QTemporaryDir dir;
    if (openGeneratedScript(dir, state) == 0)
        return;
    PlugFrm &frm = PlugFrm::instance();
    ScriptListView *list = frm.ListView1;
    const int n = list->count();
    const QItemSelection half(list->rows().index(n / 4), list->rows().index(3 * n / 4));
    RowCommands &commands = frm.rowCommands();
    for (auto _ : state) {
        list->selectionModel()->select(half, QItemSelectionModel::ClearAndSelect);
        commands.cut();
        commands.paste();
        QApplication::processEvents();
        frm.UndoEdit_Click();
        frm.UndoEdit_Click();
        QApplication::processEvents();
    }
    if (list->count() != n || frm.document().isModified())
        state.SkipWithError("the rows did not come back");
    state.counters["rows"] = n;
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    usePrivateFolders();
    QApplication app(argc, argv);
    PluginFolder::setPath(QStringLiteral(VARDELO_DATA_DIR)); // the shipped catalogues
    benchmark::RegisterBenchmark("EditThenUndo", EditThenUndo)->Arg(0)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("RedoThenUndo", EditThenUndo)->Arg(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ChangeOneRowProblemsCurrent", ChangeOneRowProblemsCurrent)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("CutPasteHalfThenUndo", CutPasteHalfThenUndo)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
