// The check against the shipped catalogues' vocabulary on the generated
// script of 120,000 lines; the suggestions for unknown names in a large
// catalogue; a whole AI of 150 files checked from its entry.
#include "generatedscript.h"
#include "catalogues/facts.h"
#include "catalogues/records.h"
#include "catalogues/vocabulary.h"
#include "document/ai.h"
#include "document/problems.h"
#include "files/saveopen.h"
#include "shell/fileservices.h"
#include "shell/pluginfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

static void AnalyseGeneratedScript(benchmark::State &state)
{
    PluginFolder::setPath(QStringLiteral(VARDELO_DATA_DIR));
    const Vocabulary vocabulary = Vocabulary::loadCatalogues();
    const std::vector<ScriptLine> rows =
        SaveOpen::readScriptBytes(FileServices::encode1252(GeneratedScript::script()), false).rows;
    const Blocks::Structure structure = Blocks::analyse(rows);
    size_t found = 0;
    for (auto _ : state)
        found = Problems::analyse(rows, structure, {&vocabulary, {}, nullptr}).size();
    state.counters["rows"] = double(rows.size());
    state.counters["problems"] = double(found);
}
BENCHMARK(AnalyseGeneratedScript)->Unit(benchmark::kMillisecond);

// The suggestions for unknown names: 2,000 names a letter away from names of
// a catalogue of 32,000 facts, each asked once, the index made on the way.
static void SuggestionsForUnknownNames(benchmark::State &state)
{
    Facts::FactTable.assign(1, CatalogueRecord{});
    for (int k = 0; k < 32000; ++k)
        Facts::FactTable.push_back({QStringLiteral("fait-%1-reserve-du-village <quantite>").arg(qint64(k) * 7919 % 100000), {}});
    Facts::FactCount = 32000;
    QStringList unknown;
    for (int k = 0; k < 2000; ++k)
        unknown << QStringLiteral("fait-%1-reserve-du-vilage").arg(qint64(k) * 15485863 % 100000);
    size_t found = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto vocabulary = std::make_unique<Vocabulary>(Vocabulary::fromCatalogues());
        state.ResumeTiming();
        found = 0;
        for (const QString &name : unknown)
            found += !vocabulary->closestFact(name).isEmpty();
        state.PauseTiming();
        vocabulary.reset();
        state.ResumeTiming();
    }
    state.counters["found"] = double(found);
    Facts::FactTable.assign(1, CatalogueRecord{});
    Facts::FactCount = 0;
}
BENCHMARK(SuggestionsForUnknownNames)->Unit(benchmark::kMillisecond);

namespace {
// An AI of 150 files and about 240,000 lines: an entry that defines the
// shared constants and loads 149 parts from its folder, each of them rules
// and constants of its own using the shared ones.
struct GeneratedAi {
    QTemporaryDir dir;
    QStringList files;
    GeneratedAi()
    {
        QString entry = QStringLiteral("(defconst commun-bois 200)\r\n");
        for (int k = 1; k < 150; ++k) {
            const QString name = QStringLiteral("partie-%1").arg(k);
            entry += QStringLiteral("(load \"IA\\\\%1\")\r\n").arg(name);
            QString part = GeneratedScript::generatedScript(1610);
            part.replace(QStringLiteral("seuil-ble-"), QStringLiteral("p%1-seuil-").arg(k));
            part.replace(QStringLiteral("(stock bois >= 200)"), QStringLiteral("(stock bois >= commun-bois)"));
            QDir(dir.path()).mkpath(QStringLiteral("IA"));
            write(QStringLiteral("IA/%1.per").arg(name), part);
        }
        write(QStringLiteral("ia.per"), entry);
        files.prepend(dir.filePath(QStringLiteral("ia.per")));
    }
    void write(const QString &name, const QString &text)
    {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::WriteOnly))
            f.write(FileServices::encode1252(text));
        if (name != QLatin1String("ia.per"))
            files << dir.filePath(name);
    }
};
const GeneratedAi &generatedAi()
{
    static const GeneratedAi ai;
    return ai;
}
const Vocabulary &shippedVocabulary()
{
    PluginFolder::setPath(QStringLiteral(VARDELO_DATA_DIR));
    static const Vocabulary v = Vocabulary::loadCatalogues();
    return v;
}
} // namespace

// The whole AI checked from its entry, as `vardelo lint ia.per` does, the
// files judged on one core: found, read, and each judged with the constants
// of all of them.
static void WholeAiFromItsEntry(benchmark::State &state)
{
    const Vocabulary &vocabulary = shippedVocabulary();
    const GeneratedAi &generated = generatedAi();
    size_t found = 0, lines = 0;
    for (auto _ : state) {
        const std::shared_ptr<const Ai> ai = Ai::of({generated.files.front()});
        found = lines = 0;
        for (int i : ai->reached({generated.files.front()})) {
            QByteArray bytes;
            QString error;
            FileServices::readFileBytes(ai->files()[size_t(i)].path, bytes, error);
            const std::vector<ScriptLine> rows = SaveOpen::readScriptBytes(std::move(bytes), false).rows;
            found += Problems::analyse(rows, Blocks::analyse(rows), ai->context(i, &vocabulary)).size();
            lines += rows.empty() ? 0 : size_t(rows.back().line);
        }
    }
    state.counters["lines"] = double(lines);
    state.counters["problems"] = double(found);
}
BENCHMARK(WholeAiFromItsEntry)->Unit(benchmark::kMillisecond);

// The same files each read and checked alone, as the checks did before
// they knew AIs.
static void SameFilesOneByOne(benchmark::State &state)
{
    const Vocabulary &vocabulary = shippedVocabulary();
    const GeneratedAi &generated = generatedAi();
    size_t found = 0;
    for (auto _ : state) {
        found = 0;
        for (const QString &path : generated.files) {
            QByteArray bytes;
            QString error;
            FileServices::readFileBytes(path, bytes, error);
            const std::vector<ScriptLine> rows = SaveOpen::readScriptBytes(std::move(bytes), false).rows;
            found += Problems::analyse(rows, Blocks::analyse(rows), {&vocabulary, QFileInfo(path).absolutePath(), nullptr}).size();
        }
    }
    state.counters["problems"] = double(found);
}
BENCHMARK(SameFilesOneByOne)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
