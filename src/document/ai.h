#pragma once

#include "problems.h"
#include "scriptline.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class Vocabulary;

// An AI as the game reads it: an entry script and every file it loads
// ("load", and each file of "load-random"), in every branch of the
// conditional blocks, recursively, resolved from the AI folder (the entry
// script's). A file loaded twice, or in a loop, is read once. The checks of
// one file take the constants of all of them. Of a file it keeps only what
// makes the AI, so that an AI of any size stays small.
class Ai
{
public:
    struct File {
        QString path;   // absolute, links resolved
        QString folder; // the AI folder its loads are resolved from
        // Its rows that make the AI: constants, loads and conditional rows,
        // each with its line; the checks of the file read it whole.
        std::vector<ScriptLine> rows;
        QString error;  // why it could not be read; "" when it was
        QDateTime modified; // as read
        qint64 size = -1;
        // moved, never copied, as the files grow
        File() = default;
        File(const File &) = default;
        File &operator=(const File &) = default;
        File(File &&) noexcept = default;
        File &operator=(File &&) noexcept = default;
    };

    // The AIs the scripts at paths belong to. For each, the scripts that
    // load it are looked for in its folder and up to three folders above it
    // (load paths start there); with none, it is an AI of its own. Every
    // file of those AIs is read from disk.
    static std::shared_ptr<const Ai> of(const QStringList &paths);

    const std::vector<File> &files() const { return m_files; }
    // The file at path, -1 when the AI has none.
    int indexOf(const QString &path) const;
    // The files at paths and every file they load, each once, in reading
    // order: what linting paths reports on.
    std::vector<int> reached(const QStringList &paths) const;
    // What the rest of the AI tells the checks of file i.
    Problems::Context context(int i, const Vocabulary *vocabulary) const;
    // Whether every file read still has the time and size it had.
    bool unchangedOnDisk() const;
    // Every definition of the constant name in the AI's files, in reading order.
    std::vector<Problems::Definition> definitions(QStringView name) const;

    // The file a load names, resolved from folder as the game does: "\\" or
    // "/" between folders, any letter case, ".per" added to a name without
    // extension; "" when there is none.
    static QString resolve(const QString &folder, QStringView name);
    // The path files are known by: absolute, cleaned, links resolved.
    static QString canonical(const QString &path);

    class Reading;

private:
    friend class Reading;
    struct Defined {
        int file = 0;
        Problems::Definition definition;
        int order = 0; // in the reading of its entry
        int entry = 0;
    };
    struct Reached {
        int entry = 0;       // the first entry that reads the file
        QString condition;   // under which it reads it
        int from = 0, to = 0; // the reading order of its first and last definition
    };
    std::vector<File> m_files;
    QHash<QString, int> m_index;
    std::vector<Reached> m_reached; // per file
    std::vector<std::vector<int>> m_loads;   // per file: the files it loads
    std::vector<std::vector<int>> m_entries; // per file: the entries that read it
    std::vector<Defined> m_defined;
    QHash<QString, std::vector<int>> m_byName; // folded name: indexes into m_defined
    std::shared_ptr<const Problems::Definitions> m_table; // every definition, for the checks
};
