#include "prepross.h"

#include "records.h"
#include "shell/fileservices.h"

namespace Prepross {

void LoadSymbols()
{
    SymbolTable.clear();
    QString text, error;
    if (!FileServices::readTextFile(Catalogues::pathOf(FileName), text, error)) {
        Catalogues::reportProblem(FileName, error);
        return;
    }
    const std::vector<QStringView> lines = FileServices::splitLines(text);
    QString category;
    int ignored = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const QStringView line = lines[i];
        if (line.isEmpty())
            continue;
        SymbolEntry entry;
        if (line.startsWith(QLatin1String("  "))) {
            entry = {line.mid(2).toString(), category};
        } else {
            category = line.toString();
            entry = {QStringLiteral("---------------------   ") + category + QStringLiteral("   ----------------------"),
                     category};
            ++i; // the category's type line; none after a last-line title
        }
        if (int(SymbolTable.size()) >= MaxEntries)
            ++ignored;
        else
            SymbolTable.push_back(std::move(entry));
    }
    if (ignored > 0)
        Catalogues::reportProblem(FileName, QStringLiteral("plus de %1 entrées; les %2 suivantes sont ignorées.")
                                                .arg(QString::number(MaxEntries), QString::number(ignored)));
}

bool isSeparator(const QString &listText)
{
    return listText.startsWith(QLatin1String("----"));
}

} // namespace Prepross
