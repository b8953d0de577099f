#include "vocabulary.h"

#include "acts.h"
#include "facts.h"
#include "params.h"
#include "prepross.h"
#include "records.h"

#include <algorithm>
#include <limits>

namespace {
QString valuePart(const QString &entry)
{
    const qsizetype p = entry.indexOf(QLatin1String(" ("));
    return p < 0 ? entry : entry.left(p);
}

// The edit distance of a and b, folded, or more than limit when it is.
int distance(QStringView a, QStringView b, int limit)
{
    if (std::abs(int(a.size() - b.size())) > limit)
        return limit + 1;
    std::vector<int> previous(size_t(b.size()) + 1), current(previous.size());
    for (size_t j = 0; j < previous.size(); ++j)
        previous[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        current[0] = int(i);
        int best = current[0];
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int change = a[i - 1].toLower() == b[j - 1].toLower() ? 0 : 1;
            current[size_t(j)] = std::min({previous[size_t(j)] + 1, current[size_t(j - 1)] + 1, previous[size_t(j - 1)] + change});
            best = std::min(best, current[size_t(j)]);
        }
        if (best > limit)
            return limit + 1;
        std::swap(previous, current);
    }
    return previous.back();
}

void addEntries(QHash<QString, Vocabulary::Entry> &to, const std::vector<CatalogueRecord> &table, int count)
{
    for (int k = 1; k <= count && k < int(table.size()); ++k) {
        const QString &header = table[size_t(k)].header;
        const QString name = Catalogues::nameOf(header);
        const QString key = Vocabulary::fold(name);
        if (!name.isEmpty() && !to.contains(key))
            to.insert(key, {name, Catalogues::paramTypes(header, std::numeric_limits<int>::max())});
    }
}

void describe(Vocabulary::Type &t)
{
    QStringList parts;
    for (const auto &[low, high] : t.ranges)
        parts << QStringLiteral("un nombre de %1 à %2").arg(low).arg(high);
    QStringList shown = t.listed.mid(0, 6);
    if (t.listed.size() > 6)
        shown << QStringLiteral("…");
    if (!shown.isEmpty())
        parts << shown.join(QStringLiteral(", "));
    t.description = parts.join(QStringLiteral(" ou "));
}

bool readNumber(QStringView v, int *n)
{
    bool ok = false;
    *n = v.toInt(&ok);
    return ok;
}
} // namespace

Vocabulary Vocabulary::fromCatalogues()
{
    Vocabulary v;
    addEntries(v.m_facts, Facts::FactTable, Facts::FactCount);
    addEntries(v.m_actions, Acts::ActTable, Acts::ActCount);
    v.m_typeList.emplace_back();
    for (Entries *entries : {&v.m_facts, &v.m_actions}) {
        for (Entry &e : *entries) {
            for (const QString &name : e.types) {
                if (!v.m_types.contains(name)) {
                    Type t;
                    const Params::Field field = Params::fieldFor(name);
                    t.anyValue = field.kind != Params::Field::List;
                    for (const Params::Field::Run &run : field.runs) {
                        if (run.isNumbers()) {
                            t.ranges.emplace_back(run.first, run.last);
                        } else if (run.text != QLatin1String(" ")) {
                            const QString value = valuePart(run.text);
                            t.words.insert(fold(value));
                            t.listed.append(value);
                        }
                    }
                    describe(t);
                    v.m_types.insert(name, int(v.m_typeList.size()));
                    v.m_typeList.push_back(std::move(t));
                }
                e.typeIndex.push_back(v.m_types.value(name));
            }
        }
    }
    for (const Prepross::SymbolEntry &e : Prepross::SymbolTable) {
        if (!Prepross::isSeparator(e.listText))
            v.m_symbols.insert(fold(valuePart(e.listText.trimmed())), true);
    }
    return v;
}

Vocabulary Vocabulary::loadCatalogues()
{
    Prepross::LoadSymbols();
    Acts::LoadActs();
    Facts::LoadFacts();
    Params::LoadParams();
    return fromCatalogues();
}

const QString &Vocabulary::folded(QStringView s)
{
    thread_local QString buffer;
    buffer.resize(s.size());
    QChar *out = buffer.data();
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        out[i] = c < 0x80 ? QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c) : s[i].toLower();
    }
    return buffer;
}

const Vocabulary::Entry *Vocabulary::find(const Entries &entries, QStringView name)
{
    const auto it = entries.constFind(folded(name));
    return it == entries.constEnd() ? nullptr : &*it;
}

QString Vocabulary::closest(const Entries &entries, QStringView name)
{
    // a letter or two apart, but never most of a short name
    const int limit = std::min(2, int(name.size()) / 3);
    QString best;
    int bestDistance = limit + 1;
    for (const Entry &e : entries) {
        const int d = distance(name, e.name, std::min(limit, bestDistance));
        if (d < bestDistance || (d == bestDistance && e.name < best)) {
            best = e.name;
            bestDistance = d;
        }
    }
    return bestDistance <= limit ? best : QString();
}

const Vocabulary::Type &Vocabulary::type(const QString &name) const
{
    static const Type anyValue;
    const auto it = m_types.constFind(name);
    return it == m_types.constEnd() ? anyValue : m_typeList[size_t(*it)];
}

bool Vocabulary::Type::allows(QStringView value) const
{
    if (anyValue || words.contains(folded(value)))
        return true;
    int n = 0;
    if (!readNumber(value, &n))
        return false;
    return std::any_of(ranges.begin(), ranges.end(), [n](const auto &r) { return n >= r.first && n <= r.second; });
}

