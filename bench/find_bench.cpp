// Finding in 200,000 rows: one step of the search alone, and F3 / Maj+F3
// through the real window with the find bar open and its highlight drawn.
// The worst case is a text no row holds: every row is looked at.
#include "privatefolders.h"
#include "document/findbar.h"
#include "document/plugfrm.h"
#include "document/rowsearch.h"
#include "document/scriptlistview.h"
#include "shell/pluginfolder.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QLineEdit>
#include <benchmark/benchmark.h>

namespace {
constexpr int Rows = 200000;

std::vector<ScriptLine> generatedRows()
{
    std::vector<ScriptLine> rows;
    rows.reserve(Rows);
    for (int i = 0; i < Rows; ++i)
        rows.push_back({QStringLiteral("lever-troupes piquier %1 ; défense du village n°%2").arg(i % 20).arg(i),
                        qRgb(0, 0, 0), LineKind::Act});
    return rows;
}

const std::vector<ScriptLine> &rows()
{
    static const std::vector<ScriptLine> r = generatedRows();
    return r;
}

// The window with the rows, the bar open on text and the middle row selected.
PlugFrm &editorFinding(const QString &text)
{
    PlugFrm &f = PlugFrm::instance();
    if (f.ListView1->count() != Rows)
        f.ListView1->rows().setLines(rows());
    f.show();
    f.FindBar1->open();
    f.FindBar1->Text1->setText(text);
    f.ListView1->selectRow(Rows / 2);
    QApplication::processEvents();
    return f;
}
} // namespace

static void SearchNoMatch(benchmark::State &state)
{
    const auto cs = state.range(0) ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (auto _ : state)
        benchmark::DoNotOptimize(RowSearch::find(rows(), QStringLiteral("bastion"), cs, Rows / 2,
                                                 RowSearch::Direction::Forward));
    state.SetLabel(cs == Qt::CaseSensitive ? "casse respectée" : "sans casse");
}

// A single letter: the search cannot skip, every unit is looked at.
static void SearchOneLetterNoMatch(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(RowSearch::find(rows(), QStringLiteral("z"), Qt::CaseInsensitive, Rows / 2,
                                                 RowSearch::Direction::Forward));
}

static void FindNextInWindowNoMatch(benchmark::State &state)
{
    PlugFrm &f = editorFinding(QStringLiteral("bastion"));
    for (auto _ : state) {
        f.FindNext->trigger();
        QApplication::processEvents();
    }
}

static void FindPreviousInWindowNoMatch(benchmark::State &state)
{
    PlugFrm &f = editorFinding(QStringLiteral("bastion"));
    for (auto _ : state) {
        f.FindPrevious->trigger();
        QApplication::processEvents();
    }
}

// A single matching row: each step goes round the whole list to find it
// again, wrapping, and redraws it highlighted.
static void FindNextInWindowSingleMatch(benchmark::State &state)
{
    PlugFrm &f = editorFinding(QStringLiteral("n°49999"));
    for (auto _ : state) {
        f.FindNext->trigger();
        QApplication::processEvents();
    }
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    usePrivateFolders();
    QApplication app(argc, argv);
    PluginFolder::setPath(QStringLiteral(VARDELO_DATA_DIR)); // the shipped catalogues
    benchmark::RegisterBenchmark("SearchNoMatch", SearchNoMatch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("SearchOneLetterNoMatch", SearchOneLetterNoMatch)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FindNextInWindowNoMatch", FindNextInWindowNoMatch)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FindPreviousInWindowNoMatch", FindPreviousInWindowNoMatch)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FindNextInWindowSingleMatch", FindNextInWindowSingleMatch)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
