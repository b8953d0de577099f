// The catalogues at their limits: loading 32,767 facts, 32,767 actions and
// 50 types of 1,000 values; opening the editor window with them and with the
// shipped ones; and composing 100 facts in a row with a 5,000-record fact
// catalogue, where the fact editor's chooser is refilled after each fact.
#include "catalogues/acts.h"
#include "catalogues/facts.h"
#include "catalogues/params.h"
#include "document/plugfrm.h"
#include "document/scriptlistview.h"
#include "rules/addact.h"
#include "rules/addfact.h"
#include "rules/addfactmain.h"
#include "shell/fileservices.h"
#include "shell/pluginfolder.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

namespace {
void writeFile(const QString &path, const QString &text)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(FileServices::encode1252(text));
}

QString records(const QString &marker, int count)
{
    QString s;
    for (int i = 1; i <= count; ++i)
        s += QStringLiteral("%1fait-%2 <ressource> <quantite> <texte>\r\nAide du fait %2.\r\n\r\nDeuxième ligne.\r\n")
                 .arg(marker)
                 .arg(i);
    return s;
}

QString params()
{
    QString s;
    for (int t = 1; t <= Params::MaxTypes; ++t) {
        s += QStringLiteral("<type-%1>\r\n").arg(t);
        for (int v = 1; v <= Params::MaxValues; ++v)
            s += QStringLiteral("valeur-%1 (description %1)\r\n").arg(v);
    }
    return s;
}

// A plug-in folder with catalogues of the given sizes (the parameter
// catalogue always at its limit, named types used by the headers last).
struct Folder {
    QTemporaryDir dir;
    QString saved = PluginFolder::path();
    ~Folder() { PluginFolder::setPath(saved); }
    Folder(int facts, int acts)
    {
        writeFile(dir.filePath("Facts.txt"), records(Facts::Marker, facts));
        writeFile(dir.filePath("Acts.txt"), records(Acts::Marker, acts));
        QString p = params();
        p.replace(QStringLiteral("<type-1>"), QStringLiteral("<ressource>"));
        p.replace(QStringLiteral("<type-2>"), QStringLiteral("<quantite>"));
        p.replace(QStringLiteral("<type-3>\r\nvaleur-1 (description 1)\r\n"), QStringLiteral("<texte>\r\ntextbox\r\n"));
        writeFile(dir.filePath("Params.txt"), p);
        // the shipped symbols: a missing catalogue would stop the opening on
        // its message
        QFile::copy(QStringLiteral(VARDELO_DATA_DIR "/prepross.txt"), dir.filePath("prepross.txt"));
    }
};
} // namespace

static void LoadMaximumCatalogues(benchmark::State &state)
{
    Folder folder(Catalogues::MaxRecords, Catalogues::MaxRecords);
    PluginFolder::setPath(folder.dir.path());
    for (auto _ : state) {
        Facts::LoadFacts();
        Acts::LoadActs();
        Params::LoadParams();
    }
    state.counters["facts"] = Facts::FactCount;
    state.counters["types"] = Params::ParamCount;
}

static void OpenEditor(benchmark::State &state, int records)
{
    Folder folder(records, records);
    if (records > 0)
        PluginFolder::setPath(folder.dir.path());
    for (auto _ : state) {
        PlugFrm &f = PlugFrm::instance();
        f.show();
        QApplication::processEvents();
        state.PauseTiming();
        PlugFrm::unload();
        AddAct::unload();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

static void ComposeFacts(benchmark::State &state)
{
    Folder folder(5000, 100);
    PluginFolder::setPath(folder.dir.path());
    PlugFrm &f = PlugFrm::instance();
    f.show();
    f.Combo1->setCurrentIndex(1); // "Règle"
    f.Ajouter->click();
    AddFactMain &composer = *AddFactMain::loaded();
    composer.Option2->setChecked(true);
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            QTimer::singleShot(0, [i] {
                AddFact *d = AddFact::loaded();
                d->Combo1->setCurrentIndex(i * 37 % d->Combo1->count());
                d->text_combo_3->setText(QStringLiteral("\"texte\""));
                d->Command1->click();
            });
            composer.Command1->click();
        }
    }
    state.counters["facts"] = benchmark::Counter(100, benchmark::Counter::kIsIterationInvariant);
    composer.close();
    QApplication::processEvents();
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    PluginFolder::setPath(QStringLiteral(VARDELO_DATA_DIR));
    benchmark::RegisterBenchmark("LoadMaximumCatalogues", LoadMaximumCatalogues)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OpenEditorWithShippedCatalogues", OpenEditor, 0)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OpenEditorWithMaximumCatalogues", OpenEditor, Catalogues::MaxRecords)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Compose100FactsWith5000RecordCatalogue", ComposeFacts)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
