#include "rowcompletion.h"

#include "linebuilders.h"
#include "catalogues/acts.h"
#include "catalogues/facts.h"
#include "catalogues/prepross.h"
#include "catalogues/records.h"
#include "catalogues/vocabulary.h"

#include <algorithm>

namespace RowCompletion {

namespace {

bool endsWord(QChar c)
{
    return c.isSpace() || c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char('"')
           || c == QLatin1Char(';');
}

QStringList names(const std::vector<CatalogueRecord> &table, int count)
{
    QStringList out;
    for (int k = 1; k <= count && k < int(table.size()); ++k) {
        const QString name = Catalogues::nameOf(table[size_t(k)].header).trimmed();
        if (!name.isEmpty())
            out << name;
    }
    return out;
}

QStringList sorted(QStringList words)
{
    words.removeDuplicates();
    std::sort(words.begin(), words.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return words;
}

} // namespace

Sources fromCatalogues(const Vocabulary *vocabulary, QStringList constants)
{
    Sources s;
    s.facts = names(Facts::FactTable, Facts::FactCount);
    s.actions = names(Acts::ActTable, Acts::ActCount);
    for (const Prepross::SymbolEntry &e : Prepross::SymbolTable)
        if (!Prepross::isSeparator(e.listText)) {
            const QString symbol = LineText::valuePart(e.listText.trimmed());
            if (!symbol.isEmpty())
                s.symbols << symbol;
        }
    s.constants = std::move(constants);
    s.vocabulary = vocabulary;
    return s;
}

qsizetype wordStart(QStringView text)
{
    qsizetype b = text.size();
    while (b > 0 && !endsWord(text[b - 1]))
        --b;
    return b;
}

QStringList offered(QStringView before, SaveOpen::RowPlace place, const Sources &sources)
{
    const QStringView trimmed = before.trimmed();
    if (trimmed.startsWith(QLatin1Char(';')))
        return {}; // a comment
    if (trimmed.startsWith(QLatin1Char('#'))) {
        // a directive's symbol follows its keyword
        const bool afterKeyword = trimmed.contains(QLatin1Char(' ')) || before.endsWith(QLatin1Char(' '));
        return afterKeyword && trimmed.startsWith(u"#load-if", Qt::CaseInsensitive) ? sorted(sources.symbols)
                                                                                   : QStringList();
    }
    // the words of the innermost element still open
    bool quoted = false;
    std::vector<qsizetype> opens;
    for (qsizetype i = 0; i < before.size(); ++i) {
        const QChar c = before[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == QLatin1Char('('))
            opens.push_back(i);
        else if (c == QLatin1Char(')') && !opens.empty())
            opens.pop_back();
    }
    if (quoted || opens.empty())
        return {};
    const QStringList words = before.mid(opens.back() + 1).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty()) {
        switch (place) {
        case SaveOpen::RowPlace::TopLevel:
            return {QStringLiteral("defconst"), QStringLiteral("load"), QStringLiteral("load-random")};
        case SaveOpen::RowPlace::Facts:
            return sorted(sources.facts + QStringList{QStringLiteral("not")});
        case SaveOpen::RowPlace::Actions:
            return sorted(sources.actions);
        }
    }
    const QString &head = words.front();
    if (place == SaveOpen::RowPlace::TopLevel)
        return {}; // a constant's name and value, a file name: nothing to offer
    QStringList out;
    const Vocabulary::Entry *entry = !sources.vocabulary ? nullptr
                                     : place == SaveOpen::RowPlace::Facts ? sources.vocabulary->fact(head)
                                                                          : sources.vocabulary->action(head);
    const qsizetype param = words.size() - 1;
    if (entry && param < qsizetype(entry->typeIndex.size()))
        out = sources.vocabulary->type(entry->typeIndex[size_t(param)]).listed;
    out = sorted(out);
    out += sorted(sources.constants);
    return out;
}

} // namespace RowCompletion
