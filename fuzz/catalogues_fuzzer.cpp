// The fact, action and parameter catalogues as the editor reads them. The
// input holds the three files one after the other, separated by a NUL byte:
// Facts.txt, Acts.txt, Params.txt (missing parts are empty files). Every
// header then goes through what the fact and action editors do with it.
#include "catalogues/acts.h"
#include "catalogues/facts.h"
#include "catalogues/params.h"
#include "fuzzsupport.h"
#include "shell/pluginfolder.h"

#include <cstddef>
#include <cstdint>

namespace {
void useRecords(const std::vector<CatalogueRecord> &table, int count)
{
    if (count < 0 || count + 1 != int(table.size()))
        FuzzSupport::violation("a catalogue's count is not its size", QByteArray::number(int(table.size()) - 1),
                               QByteArray::number(count));
    for (int k = 1; k <= count; ++k) {
        const QString &header = table[size_t(k)].header;
        const QString name = Catalogues::nameOf(header);
        // the search is linear: the first records are enough to check it
        if (k <= 64) {
            const int found = Catalogues::findByName(table, count, name);
            if (found < 1 || found > k)
                FuzzSupport::violation("a record is not found by its own name", name.toUtf8(), QByteArray::number(found));
        }
        for (const QString &type : Catalogues::paramTypes(header, 4))
            Params::fieldFor(type);
        // the editors split what the user typed from a header's own text
        Catalogues::splitLine(header, 4);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool folderSet = (PluginFolder::setPath(FuzzSupport::folder().path()), true);
    (void)folderSet;
    const QByteArrayView input(data, qsizetype(size));
    const char *names[] = {"Facts.txt", "Acts.txt", "Params.txt"};
    qsizetype from = 0;
    for (const char *name : names) {
        qsizetype end = from <= input.size() ? input.indexOf('\0', from) : -1;
        if (end < 0)
            end = input.size();
        FuzzSupport::writeFile(QString::fromLatin1(name), from < end ? input.sliced(from, end - from) : QByteArrayView());
        from = end + 1;
    }

    Catalogues::clearProblems();
    Params::LoadParams();
    Facts::LoadFacts();
    Acts::LoadActs();
    if (Params::ParamCount < 0 || Params::ParamCount > Params::MaxTypes)
        FuzzSupport::violation("more parameter types than the limit", QByteArray::number(Params::MaxTypes),
                               QByteArray::number(Params::ParamCount));
    for (int k = 1; k <= Params::ParamCount; ++k) {
        const Params::ParamType &type = Params::ParamTable[size_t(k)];
        if (type.values.size() > Params::MaxValues)
            FuzzSupport::violation("more values than the limit", QByteArray::number(Params::MaxValues),
                                   QByteArray::number(type.values.size()));
        Params::fieldFor(type.name);
        int low = 0, high = 0;
        for (const QString &v : type.values)
            Params::parseRange(v, &low, &high);
    }
    useRecords(Facts::FactTable, Facts::FactCount);
    useRecords(Acts::ActTable, Acts::ActCount);
    Catalogues::problemsMessage();
    return 0;
}
