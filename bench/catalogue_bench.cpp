// The catalogues at their limits: loading 32,767 facts, 32,767 actions and
// 50 types of 1,000 values; opening the editor window with them and with the
// shipped ones; composing 100 facts in a row with a 5,000-record fact
// catalogue, where the fact editor's chooser is refilled after each fact; and
// a parameter catalogue of 50 types each repeating the full 16-bit range
// 1,000 times, with the fact editor on a fact using four of them; and one
// keystroke in the action editor's filter box over 5,000 actions.
#include "privatefolders.h"
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
#include <QKeyEvent>
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
// 50 types, each the full range of numbers 1,000 times; a fact and an action
// whose parameters are such types, and the shipped symbols.
struct FullRangeFolder {
    QTemporaryDir dir;
    QString saved = PluginFolder::path();
    FullRangeFolder()
    {
        QString p;
        for (int t = 1; t <= Params::MaxTypes; ++t)
            p += QStringLiteral("<plein-%1>\r\n").arg(t) + QStringLiteral("Num -32768 32767\r\n").repeated(Params::MaxValues);
        writeFile(dir.filePath("Params.txt"), p);
        writeFile(dir.filePath("Facts.txt"), QStringLiteral("|||---|||nombres <plein-1> <plein-2> <plein-3> <plein-50>\r\n"
                                                            "Quatre nombres.\r\n"));
        writeFile(dir.filePath("Acts.txt"), QStringLiteral("||--||compter <plein-4> <plein-5> <plein-6>\r\n"));
        QFile::copy(QStringLiteral(VARDELO_DATA_DIR "/prepross.txt"), dir.filePath("prepross.txt"));
        PluginFolder::setPath(dir.path());
    }
    ~FullRangeFolder() { PluginFolder::setPath(saved); }
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

static void openAndCloseEditor(benchmark::State &state)
{
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

static void OpenEditor(benchmark::State &state, int records)
{
    Folder folder(records, records);
    if (records > 0)
        PluginFolder::setPath(folder.dir.path());
    openAndCloseEditor(state);
}

static void OpenEditorWithFullRangeTypes(benchmark::State &state)
{
    FullRangeFolder folder;
    openAndCloseEditor(state);
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

// Opens the editor window, the rule composer, and the fact editor on the
// fact, then drops the first list open and closed, as a user looking at it.
static void OpenFactEditorOnFullRanges(benchmark::State &state)
{
    FullRangeFolder folder;
    int entries = 0;
    for (auto _ : state) {
        PlugFrm &f = PlugFrm::instance();
        f.show();
        QApplication::processEvents();
        f.Combo1->setCurrentIndex(1); // "Règle"
        f.Ajouter->click();
        AddFactMain &composer = *AddFactMain::loaded();
        composer.Option2->setChecked(true);
        QTimer::singleShot(0, [&entries] {
            AddFact *d = AddFact::loaded();
            entries = d->combo_param_1->count() + d->combo_param_2->count() + d->combo_param_3->count()
                      + d->combo_param_4->count();
            d->combo_param_1->showPopup();
            QApplication::processEvents();
            d->combo_param_1->hidePopup();
            d->Command2->click();
        });
        composer.Command1->click();
        state.PauseTiming();
        PlugFrm::unload();
        AddAct::unload();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["entries"] = entries;
}

// A keystroke in the filter box of the action editor, shown, over 5,000
// actions: the word "fait-4321" typed a letter at a time, then erased a
// letter at a time, over and over; each iteration is one key.
static void FilterKeystrokeWith5000Actions(benchmark::State &state)
{
    Folder folder(100, 5000);
    PluginFolder::setPath(folder.dir.path());
    PlugFrm &f = PlugFrm::instance();
    f.show();
    AddAct &d = AddAct::instance();
    d.show();
    QApplication::processEvents();
    const QString word = QStringLiteral("fait-4321");
    qsizetype typed = 0;
    bool erasing = false;
    for (auto _ : state) {
        if (!erasing) {
            const QString c = word.mid(typed, 1);
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, c);
            QApplication::sendEvent(d.FilterBox, &press);
            erasing = ++typed == word.size();
        } else {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier);
            QApplication::sendEvent(d.FilterBox, &press);
            erasing = --typed > 0;
        }
        QApplication::processEvents();
    }
    state.counters["shown"] = d.Combo1->count();
    d.hide();
    PlugFrm::unload();
    AddAct::unload();
    QApplication::processEvents();
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    usePrivateFolders();
    QApplication app(argc, argv);
    PluginFolder::setPath(QStringLiteral(VARDELO_DATA_DIR));
    benchmark::RegisterBenchmark("LoadMaximumCatalogues", LoadMaximumCatalogues)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OpenEditorWithShippedCatalogues", OpenEditor, 0)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OpenEditorWithMaximumCatalogues", OpenEditor, Catalogues::MaxRecords)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Compose100FactsWith5000RecordCatalogue", ComposeFacts)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OpenEditorWithFullRangeTypes", OpenEditorWithFullRangeTypes)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OpenFactEditorOnFullRangeTypes", OpenFactEditorOnFullRanges)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("FilterKeystrokeWith5000Actions", FilterKeystrokeWith5000Actions)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
