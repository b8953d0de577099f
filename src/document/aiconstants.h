#pragma once

#include "catalogues/vocabulary.h"
#include "scriptline.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

class Ai;

// The constants of a script's AI as its editing sees them: offered in the
// value fields, and renamed in every file that names them.
namespace AiConstants {

struct Constant {
    QString name;  // as its first definition writes it
    QString value; // the value it ends up with, followed through the constants it names
};
// The constants the script may use: those its rows define (the truth for
// its own file, ownFile) and those the other files of ai define, each once,
// by name in any letter case.
std::vector<Constant> known(const std::vector<ScriptLine> &rows, const Ai *ai, const QString &ownFile);
// The list entries of those whose value type allows: "name (constante: value)".
QStringList offered(const std::vector<Constant> &constants, const Vocabulary::Type &type);

// Where a constant's name stands in a row's text: the name of its
// definition, or a value (of a fact, an action or another constant) naming it.
struct Place {
    int row = 0; // 1-based
    qsizetype at = 0;
    qsizetype length = 0;
};
std::vector<Place> places(const std::vector<ScriptLine> &rows, QStringView name);
// The rows holding places, each with its text renamed: (row, new text).
std::vector<std::pair<int, QString>> renamed(const std::vector<ScriptLine> &rows, const std::vector<Place> &places,
                                             const QString &newName);

// Why newName cannot name a constant ("" when it can).
QString nameProblem(const QString &newName);

// A constant renamed in the open script and in the other files of its AI:
// found and made before anything is written, each file then written with its
// untouched parts byte for byte.
class Rename
{
public:
    struct File {
        QString path;
        int places = 0;
        QByteArray before; // the file as read
        QByteArray after;  // as it is to be written
    };

    // Finds the places of name in rows (the open script, of file ownFile)
    // and in the other files of ai, read from disk. False with a French
    // message when the rename cannot be made: a name already taken, a file
    // that cannot be read, a place in a part kept as read.
    bool prepare(const std::vector<ScriptLine> &rows, const QString &ownFile, const Ai *ai, const QString &name,
                 const QString &newName, QString &error);

    // The open script's rows to change, and how many places they hold.
    const std::vector<std::pair<int, QString>> &ownRows() const { return m_ownRows; }
    int ownPlaces() const { return m_ownPlaces; }
    // The other files to write.
    const std::vector<File> &files() const { return m_files; }
    // "3 endroits dans ce script, 2 dans « b.per »": for the question.
    QString summary(const QString &folder) const;

    // Writes the other files. A file changed on disk since it was read, or
    // one that cannot be written, stops it: those already written get
    // their bytes back, and error says why (in French, naming the file).
    bool write(QString &error) const;

private:
    std::vector<std::pair<int, QString>> m_ownRows;
    int m_ownPlaces = 0;
    std::vector<File> m_files;
};

} // namespace AiConstants
