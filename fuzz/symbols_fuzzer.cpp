// The symbol catalogue prepross.txt as the conditional-load editor reads it.
#include "catalogues/prepross.h"
#include "catalogues/records.h"
#include "fuzzsupport.h"
#include "shell/pluginfolder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool folderSet = (PluginFolder::setPath(FuzzSupport::folder().path()), true);
    (void)folderSet;
    FuzzSupport::writeFile(Prepross::FileName, QByteArrayView(data, qsizetype(size)));

    Catalogues::clearProblems();
    Prepross::LoadSymbols();
    if (Prepross::lastEntry() >= Prepross::MaxEntries)
        FuzzSupport::violation("more symbols than the limit", QByteArray::number(Prepross::MaxEntries),
                               QByteArray::number(Prepross::lastEntry() + 1));
    // every symbol belongs to the category whose title came before it
    QString category;
    for (const Prepross::SymbolEntry &entry : Prepross::SymbolTable) {
        if (Prepross::isSeparator(entry.listText))
            category = entry.category;
        else if (entry.category != category)
            FuzzSupport::violation("a symbol is filed under another category", category.toUtf8(), entry.category.toUtf8());
    }
    Catalogues::problemsMessage();
    return 0;
}
