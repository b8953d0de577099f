#include "vocabulary.h"

#include "acts.h"
#include "facts.h"
#include "params.h"
#include "prepross.h"
#include "records.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <algorithm>
#include <bit>
#include <limits>
#include <mutex>

namespace {

} // namespace

// Only the cells within limit of the diagonal can hold less.
int Vocabulary::distance(QStringView a, QStringView b, int limit)
{
    const int n = int(a.size()), m = int(b.size());
    if (std::abs(n - m) > limit)
        return limit + 1;
    const int far = limit + 1;
    thread_local std::vector<int> previous, current;
    previous.assign(size_t(m) + 2, far);
    current.assign(size_t(m) + 2, far);
    for (int j = 0; j <= std::min(m, limit); ++j)
        previous[size_t(j)] = j;
    for (int i = 1; i <= n; ++i) {
        const int low = std::max(1, i - limit), high = std::min(m, i + limit);
        current[size_t(low - 1)] = low == 1 ? std::min(i, far) : far;
        int best = current[size_t(low - 1)];
        for (int j = low; j <= high; ++j) {
            const int change = a[i - 1] == b[j - 1] ? 0 : 1;
            const int d = std::min({previous[size_t(j)] + 1, current[size_t(j - 1)] + 1, previous[size_t(j - 1)] + change, far});
            current[size_t(j)] = d;
            best = std::min(best, d);
        }
        current[size_t(high + 1)] = far; // what the next row reads past the band
        if (best > limit)
            return far;
        std::swap(previous, current);
    }
    return previous[size_t(m)];
}

namespace {
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
        parts << QStringLiteral("un nombre de %1 à %2").arg(QString::number(low), QString::number(high));
    // a few values, each cut short: a catalogue may hold anything
    QStringList shown;
    for (const QString &value : t.listed.mid(0, 6))
        shown << (value.size() > 40 ? value.left(40) + QStringLiteral("…") : value);
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
                            int n = 0;
                            if (readNumber(value, &n)) {
                                const bool first = t.lowestStep > t.highestStep;
                                t.lowestStep = first ? n : std::min(t.lowestStep, n);
                                t.highestStep = first ? n : std::max(t.highestStep, n);
                            }
                        }
                    }
                    // a list with nothing usable in it constrains nothing
                    if (t.ranges.empty() && t.words.isEmpty())
                        t.anyValue = true;
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

QString Vocabulary::valuePart(const QString &entry)
{
    const qsizetype p = entry.indexOf(QLatin1String(" ("));
    return p < 0 ? entry : entry.left(p);
}

QString Vocabulary::unreadable(const QString &folder)
{
    const QFileInfo dir(folder);
    if (!dir.isDir())
        return QStringLiteral("Impossible de lire les catalogues: le dossier « %1 » %2.")
            .arg(folder, dir.exists() ? QStringLiteral("n'est pas un dossier") : QStringLiteral("est introuvable"));
    for (const QString &name : {Facts::FileName, Acts::FileName, Params::FileName, Prepross::FileName}) {
        const QFileInfo file(QDir(folder).filePath(name));
        const QString why = !file.exists() ? QStringLiteral("fichier introuvable")
                            : file.isDir() ? QStringLiteral("c'est un dossier")
                            : !file.isReadable() ? QStringLiteral("permission refusée")
                                                 : QString();
        if (!why.isEmpty())
            return QStringLiteral("Impossible de lire le catalogue « %1 »: %2.").arg(file.filePath(), why);
    }
    return {};
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
        out[i] = QChar(c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c);
    }
    return buffer;
}

const Vocabulary::Entry *Vocabulary::find(const Entries &entries, QStringView name)
{
    const auto it = entries.constFind(folded(name));
    return it == entries.constEnd() ? nullptr : &*it;
}

// The names of a catalogue cut in four parts each, by their length: two edits
// leave two of a name's parts whole, and a word within two edits of the name
// holds them at most two letters from where the name does. Only the names
// two of whose parts the word holds are measured. The answers are kept: a script repeats its
// unknown names.
class Vocabulary::NameIndex
{
public:
    explicit NameIndex(const Entries &entries)
    {
        for (const Entry &e : entries) {
            const int id = int(m_folded.size());
            m_folded.push_back(fold(e.name));
            m_names.push_back(e.name);
            const QString &name = m_folded.back();
            if (name.size() < Parts) {
                m_short.push_back(id);
                continue;
            }
            for (int part = 0; part < Parts; ++part) {
                const auto [from, to] = bounds(int(name.size()), part);
                m_parts[key(int(name.size()), part, QStringView(name).mid(from, to - from))].push_back(id);
            }
        }
    }

    QString closest(QStringView name) const
    {
        const QString query = fold(name);
        {
            const QMutexLocker lock(&m_mutex);
            const auto known = m_answers.constFind(query);
            if (known != m_answers.constEnd())
                return *known;
        }
        const QString answer = search(query);
        const QMutexLocker lock(&m_mutex);
        m_answers.insert(query, answer);
        return answer;
    }

private:
    static constexpr int Parts = 4; // two more than the edits allowed

    static std::pair<int, int> bounds(int length, int part)
    {
        return {part * length / Parts, (part + 1) * length / Parts};
    }
    static QString key(int length, int part, QStringView text)
    {
        QString k;
        k.reserve(text.size() + 2);
        k += QChar(char16_t(length));
        k += QChar(char16_t(part));
        k += text;
        return k;
    }

    QString search(const QString &query) const
    {
        // a letter or two apart, but never most of a short name
        const int limit = std::min(2, int(query.size()) / 3);
        if (limit == 0)
            return {};
        thread_local std::vector<int> candidates;
        // the search each name was last met in, so that none is measured twice
        thread_local std::vector<quint32> met;
        thread_local std::vector<quint8> partsMet; // a bit per part held
        thread_local quint32 search = 0;
        if (met.size() < m_folded.size() || ++search == 0) {
            met.assign(std::max(met.size(), m_folded.size()), 0);
            partsMet.assign(met.size(), 0);
            search = 1;
        }
        candidates.assign(m_short.begin(), m_short.end());
        const int size = int(query.size());
        for (int length = std::max(Parts, size - limit); length <= size + limit; ++length) {
            for (int part = 0; part < Parts; ++part) {
                const auto [from, to] = bounds(length, part);
                for (int shift = -limit; shift <= limit; ++shift) {
                    if (from + shift < 0 || to + shift > size)
                        continue;
                    const auto it = m_parts.constFind(key(length, part, QStringView(query).mid(from + shift, to - from)));
                    if (it == m_parts.constEnd())
                        continue;
                    for (int id : *it) {
                        if (met[size_t(id)] != search) {
                            met[size_t(id)] = search;
                            partsMet[size_t(id)] = 0;
                        }
                        const quint8 before = partsMet[size_t(id)];
                        partsMet[size_t(id)] |= quint8(1u << part);
                        if (before != partsMet[size_t(id)] && std::popcount(partsMet[size_t(id)]) == 2)
                            candidates.push_back(id);
                    }
                }
            }
        }
        QString best;
        int bestDistance = limit + 1;
        for (int id : candidates) {
            const int d = distance(query, m_folded[size_t(id)], std::min(limit, bestDistance));
            if (d < bestDistance || (d == bestDistance && m_names[size_t(id)] < best)) {
                best = m_names[size_t(id)];
                bestDistance = d;
            }
        }
        return bestDistance <= limit ? best : QString();
    }

    std::vector<QString> m_folded, m_names;
    std::vector<int> m_short; // names too short to cut: always measured
    QHash<QString, std::vector<int>> m_parts;
    mutable QMutex m_mutex;
    mutable QHash<QString, QString> m_answers;
};

Vocabulary::Vocabulary() = default;
Vocabulary::~Vocabulary() = default;
Vocabulary::Vocabulary(Vocabulary &&) = default;
Vocabulary &Vocabulary::operator=(Vocabulary &&) = default;

QString Vocabulary::closest(std::unique_ptr<NameIndex> &index, const Entries &entries, QStringView name)
{
    static QMutex making;
    {
        const QMutexLocker lock(&making);
        if (!index)
            index = std::make_unique<NameIndex>(entries);
    }
    return index->closest(name);
}

QString Vocabulary::closestFact(QStringView name) const
{
    return closest(m_factIndex, m_facts, name);
}

QString Vocabulary::closestAction(QStringView name) const
{
    return closest(m_actionIndex, m_actions, name);
}

const Vocabulary::Type &Vocabulary::type(const QString &name) const
{
    static const Type anyValue;
    const auto it = m_types.constFind(name);
    return it == m_types.constEnd() ? anyValue : m_typeList[size_t(*it)];
}

Vocabulary::Type::Verdict Vocabulary::Type::judge(QStringView value) const
{
    if (anyValue || words.contains(folded(value)))
        return Verdict::Allowed;
    int n = 0;
    if (!readNumber(value, &n))
        return Verdict::Refused;
    if (std::any_of(ranges.begin(), ranges.end(), [n](const auto &r) { return n >= r.first && n <= r.second; }))
        return Verdict::Allowed;
    if (ranges.empty() || (n >= lowestStep && n <= highestStep))
        return Verdict::Step;
    return Verdict::Refused;
}

