#include "ai.h"

#include "catalogues/vocabulary.h"
#include "files/saveopen.h"
#include "linebuilders.h"
#include "shell/fileservices.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

namespace {

// A folder's entries by their name in lower case: the game finds files in
// any letter case.
struct Listing {
    QHash<QString, QString> files, folders;
};

// The names of the files a script loads, read straight from its bytes: the
// quoted names of its "load" and "load-random" forms, comments skipped.
// Enough to tell which scripts load which, without reading them into rows.
QStringList loadsIn(const QByteArray &bytes)
{
    QStringList names;
    const qsizetype n = bytes.size();
    const char *b = bytes.constData();
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    for (qsizetype i = 0; i < n; ++i) {
        const char c = b[i];
        if (c == ';') {
            while (i < n && b[i] != '\n' && b[i] != '\r')
                ++i;
        } else if (c == '"') {
            ++i;
            while (i < n && b[i] != '"' && b[i] != '\n')
                ++i;
        } else if (c == '(') {
            qsizetype w = i + 1;
            while (w < n && blank(b[w]))
                ++w;
            qsizetype e = w;
            while (e < n && !blank(b[e]) && b[e] != '(' && b[e] != ')' && b[e] != '"' && b[e] != ';')
                ++e;
            if (e - w < 4 || (b[w] | 0x20) != 'l') // neither "load" nor "load-random"
                continue;
            const QByteArrayView word(b + w, e - w);
            const bool load = word.compare("load", Qt::CaseInsensitive) == 0;
            if (!load && word.compare("load-random", Qt::CaseInsensitive) != 0)
                continue;
            // to the ")" of the form: its quoted names, or a bare one
            bool quotedName = false;
            qsizetype k = e;
            for (; k < n && b[k] != ')'; ++k) {
                if (b[k] == ';') {
                    while (k < n && b[k] != '\n')
                        ++k;
                } else if (b[k] == '"') {
                    const qsizetype from = ++k;
                    while (k < n && b[k] != '"' && b[k] != '\n')
                        ++k;
                    names << QString::fromUtf8(b + from, k - from);
                    quotedName = true;
                }
            }
            if (!quotedName && load) {
                qsizetype s = e;
                while (s < k && blank(b[s]))
                    ++s;
                qsizetype t = s;
                while (t < k && !blank(b[t]))
                    ++t;
                if (t > s)
                    names << QString::fromUtf8(b + s, t - s);
            }
            i = k;
        }
    }
    return names;
}

bool isScript(const QString &name)
{
    return name.endsWith(QLatin1String(".per"), Qt::CaseInsensitive);
}

QString parentOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash <= 0 ? QStringLiteral("/") : path.left(slash);
}
} // namespace

// What one building of an AI keeps: folder listings, the loads of every
// script met, and which scripts reach which.
class Ai::Reading
{
public:
    explicit Reading(Ai &ai) : m_ai(ai) {}

    // The same name from the same folder, met in many places, is resolved once.
    QString resolve(const QString &folder, QStringView name)
    {
        const QString key = folder + QLatin1Char('\n') + name.toString();
        auto it = m_resolved.constFind(key);
        if (it == m_resolved.constEnd())
            it = m_resolved.insert(key, resolveNow(folder, name));
        return *it;
    }

    QString resolveNow(const QString &folder, QStringView name)
    {
        QString path = name.toString();
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (parts.isEmpty())
            return {};
        QString dir = folder;
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const Listing &l = listing(dir);
            const QString lower = parts[i].toLower();
            if (i + 1 < parts.size()) {
                const auto it = l.folders.constFind(lower);
                if (it == l.folders.constEnd())
                    return {};
                dir += QLatin1Char('/') + *it;
                continue;
            }
            // the game adds ".per" to a name without extension
            const QString withExtension = lower.contains(QLatin1Char('.')) ? QString() : lower + QStringLiteral(".per");
            auto it = withExtension.isEmpty() ? l.files.constEnd() : l.files.constFind(withExtension);
            if (it == l.files.constEnd())
                it = l.files.constFind(lower);
            if (it == l.files.constEnd())
                return {};
            return canonical(dir + QLatin1Char('/') + *it);
        }
        return {};
    }

    // The AI folder and entry scripts of the script at path.
    std::pair<QString, QStringList> entriesOf(const QString &path)
    {
        QString folder = parentOf(path);
        for (int level = 0; level < 4; ++level) {
            QStringList scripts;
            for (const QString &name : listing(folder).files)
                if (isScript(name))
                    scripts << canonical(folder + QLatin1Char('/') + name);
            scripts.sort();
            QStringList reaching;
            for (const QString &s : scripts)
                if (s != path && closure(s, folder).contains(path))
                    reaching << s;
            if (!reaching.isEmpty()) {
                // the entries: scripts no other script of the folder loads
                QStringList roots;
                for (const QString &e : reaching) {
                    const bool loaded = std::any_of(scripts.begin(), scripts.end(), [&](const QString &other) {
                        return other != e && closure(other, folder).contains(e) && !closure(e, folder).contains(other);
                    });
                    if (!loaded)
                        roots << e;
                }
                return {folder, roots.isEmpty() ? reaching : roots};
            }
            if (folder == QLatin1String("/"))
                break;
            folder = parentOf(folder);
        }
        return {parentOf(path), {path}};
    }

    // Reads entry and the scripts it loads into rows, on every core, a
    // round of loads at a time: reading rows is most of an AI's reading.
    void readAhead(const QString &entry, const QString &folder)
    {
        std::vector<QString> round{entry};
        QSet<QString> met{entry};
        while (!round.empty()) {
            std::vector<File> read(round.size());
            for (size_t i = 0; i < round.size(); ++i) {
                read[i].path = round[i];
                m_pending.insert(round[i], m_bytes.take(round[i])); // bytes already read, taken on this thread
            }
            std::atomic<size_t> next = 0;
            const auto work = [&] {
                for (size_t i = next++; i < read.size(); i = next++)
                    readRows(read[i], m_pending.value(read[i].path));
            };
            std::vector<std::thread> threads(std::min<size_t>(std::max(1u, std::thread::hardware_concurrency()), read.size()) - 1);
            for (std::thread &t : threads)
                t = std::thread(work);
            work();
            for (std::thread &t : threads)
                t.join();
            m_pending.clear();
            round.clear();
            for (File &f : read) {
                for (const ScriptLine &row : f.rows) {
                    if (row.kind != LineKind::Load && row.kind != LineKind::RLoad)
                        continue;
                    const QStringList names = row.kind == LineKind::Load ? QStringList{row.text} : filesOf(row.text);
                    for (const QString &n : names) {
                        const QString target = resolve(folder, n);
                        if (!target.isEmpty() && !met.contains(target) && !m_ai.m_index.contains(target)
                            && !m_ahead.contains(target)) {
                            met.insert(target);
                            round.push_back(target);
                        }
                    }
                }
                m_ahead.insert(f.path, std::move(f));
            }
        }
    }

    static QStringList filesOf(const QString &randomLoad)
    {
        QStringList files;
        for (const LineText::Possibility &p : LineText::randomLoadPossibilities(randomLoad))
            files << p.file;
        return files;
    }

    // The file at path in the AI, read into rows on first use.
    int file(const QString &path, const QString &folder)
    {
        const auto known = m_ai.m_index.constFind(path);
        if (known != m_ai.m_index.constEnd())
            return *known;
        File f;
        if (m_ahead.contains(path)) {
            f = m_ahead.take(path);
        } else {
            f.path = path;
            readRows(f, m_bytes.take(path));
        }
        f.folder = folder;
        const int index = int(m_ai.m_files.size());
        m_ai.m_files.push_back(std::move(f));
        m_ai.m_reached.push_back({-1, {}, 0, 0});
        m_ai.m_loads.emplace_back();
        m_ai.m_entries.emplace_back();
        m_ai.m_index.insert(path, index);
        return index;
    }

    // Reads the AI of entry: every file it loads, in every branch. A file
    // holds under the symbols common to every load that brings it in (none
    // when one load does so unconditionally).
    void read(int entry, int first)
    {
        struct Load {
            int loader;
            QString condition; // around the load, in the loader
        };
        std::vector<int> order; // first reading first
        QHash<int, std::vector<Load>> loads;
        std::vector<std::pair<int, int>> pending{{first, 0}}; // file, depth
        QSet<int> seen{first};
        while (!pending.empty()) {
            const auto [f, depth] = pending.back();
            pending.pop_back();
            order.push_back(f);
            m_ai.m_entries[size_t(f)].push_back(entry);
            const bool home = m_ai.m_reached[size_t(f)].entry < 0;
            if (home)
                m_ai.m_reached[size_t(f)].entry = entry;
            const QString folder = m_ai.m_files[size_t(f)].folder;
            const size_t count = m_ai.m_files[size_t(f)].rows.size();
            Problems::Condition within;
            std::vector<int> next;
            for (size_t pos = 0; pos < count; ++pos) {
                const ScriptLine row = m_ai.m_files[size_t(f)].rows[pos]; // the files grow as loads are read
                within.step(row);
                const QStringList names = row.kind == LineKind::Load    ? QStringList{row.text}
                                          : row.kind == LineKind::RLoad ? filesOf(row.text)
                                                                        : QStringList();
                for (const QString &n : names) {
                    const QString target = resolve(folder, n);
                    if (target.isEmpty())
                        continue;
                    const int t = file(target, folder);
                    if (home && std::find(m_ai.m_loads[size_t(f)].begin(), m_ai.m_loads[size_t(f)].end(), t)
                                    == m_ai.m_loads[size_t(f)].end())
                        m_ai.m_loads[size_t(f)].push_back(t);
                    loads[t].push_back({f, within.key()});
                    if (!seen.contains(t) && depth < 64) {
                        seen.insert(t);
                        next.push_back(t);
                    }
                }
            }
            // depth first, in the order the loads stand
            for (auto it = next.rbegin(); it != next.rend(); ++it)
                pending.emplace_back(*it, depth + 1);
        }

        // The symbols each file certainly holds under, to a fixed point.
        QHash<int, QStringList> holds{{first, {}}};
        for (size_t round = 0; round <= order.size(); ++round) {
            bool changed = false;
            for (int f : order) {
                if (f == first)
                    continue;
                std::optional<QStringList> common;
                for (const Load &l : loads.value(f)) {
                    const auto loader = holds.constFind(l.loader);
                    if (loader == holds.constEnd())
                        continue;
                    QStringList set = *loader + l.condition.split(QLatin1Char(' '), Qt::SkipEmptyParts);
                    if (!common) {
                        common = set;
                    } else {
                        common->removeIf([&](const QString &symbol) { return !set.contains(symbol); });
                    }
                }
                if (!common)
                    continue;
                common->sort();
                common->removeDuplicates();
                if (holds.value(f) != *common || !holds.contains(f)) {
                    holds.insert(f, *common);
                    changed = true;
                }
            }
            if (!changed)
                break;
        }

        for (int f : order) {
            const QString condition = holds.value(f).join(QLatin1Char(' '));
            Reached &reached = m_ai.m_reached[size_t(f)];
            const bool home = reached.entry == entry && !m_done.contains(f);
            if (home) {
                m_done.insert(f);
                reached.condition = condition;
                reached.from = m_order;
            }
            const QString path = m_ai.m_files[size_t(f)].path;
            Problems::Condition within;
            for (const ScriptLine &row : m_ai.m_files[size_t(f)].rows) {
                within.step(row);
                QString name, value;
                if (Problems::constantOf(row, &name, &value)) {
                    m_ai.m_byName[Vocabulary::fold(name)].push_back(int(m_ai.m_defined.size()));
                    m_ai.m_defined.push_back({f, {name, value, path, row.line, within.key(condition), entry, m_order}, m_order, entry});
                    ++m_order;
                }
            }
            if (home)
                reached.to = m_order;
        }
    }

private:
    // Reads f's rows, from bytes when they were read already.
    static void readRows(File &f, QByteArray bytes)
    {
        const QFileInfo info(f.path);
        f.modified = info.lastModified();
        f.size = info.size();
        if (bytes.isNull() && !FileServices::readFileBytes(f.path, bytes, f.error))
            return;
        std::vector<ScriptLine> rows = SaveOpen::readScriptBytes(std::move(bytes), false).rows;
        for (ScriptLine &row : rows)
            if (tellsTheAi(row.kind))
                f.rows.push_back(std::move(row));
    }
    static bool tellsTheAi(LineKind kind)
    {
        return kind == LineKind::Const || kind == LineKind::Load || kind == LineKind::RLoad || kind == LineKind::Prep;
    }

    const Listing &listing(const QString &folder)
    {
        auto it = m_listings.find(folder);
        if (it != m_listings.end())
            return *it;
        Listing l;
        const QDir dir(folder);
        for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden))
            l.files.insert(name.toLower(), name);
        for (const QString &name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
            l.folders.insert(name.toLower(), name);
        return *m_listings.insert(folder, std::move(l));
    }

    // The scripts entry loads, directly or not, itself included, as read
    // from folder.
    const QSet<QString> &closure(const QString &entry, const QString &folder)
    {
        const QString key = folder + QLatin1Char('\n') + entry;
        auto it = m_closures.find(key);
        if (it != m_closures.end())
            return *it;
        QSet<QString> reached{entry};
        std::vector<QString> pending{entry};
        while (!pending.empty()) {
            const QString next = std::move(pending.back());
            pending.pop_back();
            for (const QString &name : loadsOf(next)) {
                const QString target = resolve(folder, name);
                if (!target.isEmpty() && !reached.contains(target)) {
                    reached.insert(target);
                    pending.push_back(target);
                }
            }
        }
        return *m_closures.insert(key, std::move(reached));
    }

    const QStringList &loadsOf(const QString &path)
    {
        auto it = m_loads.find(path);
        if (it != m_loads.end())
            return *it;
        QByteArray bytes;
        QString error;
        QStringList names;
        if (FileServices::readFileBytes(path, bytes, error)) {
            names = loadsIn(bytes);
            m_bytes.insert(path, bytes); // for its rows, if it is in the AI
        }
        return *m_loads.insert(path, names);
    }

    Ai &m_ai;
    int m_order = 0;
    QSet<int> m_done; // files whose home reading is done
    QHash<QString, Listing> m_listings;
    QHash<QString, QSet<QString>> m_closures;
    QHash<QString, QStringList> m_loads;
    QHash<QString, QString> m_resolved;
    QHash<QString, QByteArray> m_bytes; // read for their loads, not yet into rows
    QHash<QString, QByteArray> m_pending; // given to the threads of readAhead
    QHash<QString, File> m_ahead; // read into rows, not yet in the AI
};

QString Ai::canonical(const QString &path)
{
    const QFileInfo info(path);
    const QString real = info.canonicalFilePath();
    return real.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : real;
}

QString Ai::resolve(const QString &folder, QStringView name)
{
    Ai ai;
    return Reading(ai).resolve(folder, name);
}

std::shared_ptr<const Ai> Ai::of(const QStringList &paths)
{
    auto ai = std::make_shared<Ai>();
    Reading reading(*ai);
    std::vector<std::pair<QString, QString>> entries; // folder, entry
    for (const QString &p : paths) {
        const auto [folder, roots] = reading.entriesOf(canonical(p));
        for (const QString &r : roots)
            if (std::find(entries.begin(), entries.end(), std::pair(folder, r)) == entries.end())
                entries.emplace_back(folder, r);
    }
    for (const auto &[folder, entry] : entries)
        reading.readAhead(entry, folder);
    for (size_t e = 0; e < entries.size(); ++e)
        reading.read(int(e), reading.file(entries[e].second, entries[e].first));
    auto table = std::make_shared<Problems::Definitions>();
    for (const Defined &d : ai->m_defined)
        (*table)[Vocabulary::fold(d.definition.name)].push_back(d.definition);
    ai->m_table = std::move(table);
    return ai;
}

bool Ai::unchangedOnDisk() const
{
    return std::all_of(m_files.begin(), m_files.end(), [](const File &f) {
        const QFileInfo info(f.path);
        return info.lastModified() == f.modified && info.size() == f.size;
    });
}

int Ai::indexOf(const QString &path) const
{
    return m_index.value(canonical(path), -1);
}

std::vector<int> Ai::reached(const QStringList &paths) const
{
    std::vector<int> out;
    QSet<int> seen;
    for (const QString &p : paths) {
        std::vector<int> pending;
        if (const int i = indexOf(p); i >= 0)
            pending.push_back(i);
        // depth first, in the order the loads stand
        while (!pending.empty()) {
            const int f = pending.back();
            pending.pop_back();
            if (seen.contains(f))
                continue;
            seen.insert(f);
            out.push_back(f);
            const std::vector<int> &loads = m_loads[size_t(f)];
            for (auto it = loads.rbegin(); it != loads.rend(); ++it)
                pending.push_back(*it);
        }
    }
    return out;
}

Problems::Context Ai::context(int i, const Vocabulary *vocabulary) const
{
    auto around = std::make_shared<Problems::Surroundings>();
    around->constants = m_table;
    around->file = m_files[size_t(i)].path;
    around->condition = m_reached[size_t(i)].condition;
    around->entries = m_entries[size_t(i)];
    around->from = m_reached[size_t(i)].from;
    return {vocabulary, m_files[size_t(i)].folder, std::move(around)};
}

std::vector<Problems::Definition> Ai::definitions(QStringView name) const
{
    std::vector<Problems::Definition> out;
    for (int d : m_byName.value(Vocabulary::fold(name)))
        if (std::none_of(out.begin(), out.end(), [&](const Problems::Definition &o) {
                return o.file == m_defined[size_t(d)].definition.file && o.line == m_defined[size_t(d)].definition.line;
            }))
            out.push_back(m_defined[size_t(d)].definition);
    return out;
}
