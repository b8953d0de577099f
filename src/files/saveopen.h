#pragma once

#include "document/scriptline.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

// Script text <-> script lines.
namespace SaveOpen {

// The complete ".per" text of the rows: one line per row, CR LF between
// lines, none at the end.
QString BuildScriptText(const std::vector<ScriptLine> &rows);

// The rows read from a script text.
std::vector<ScriptLine> readScriptText(QStringView text);

// Where saving would not keep a script's content: the file's lines whose
// tokens or comments the written text would lose or change.
struct FidelityReport {
    struct Line {
        int number = 0; // 1-based line number in the file
        QString text;
    };
    QList<Line> lines; // in file order
    bool faithful() const { return lines.isEmpty(); }
    // The French message naming the first lines and how many in all.
    QString message(int shown = 10) const;
};
// Compares the content (tokens outside comments, and the non-empty comment
// texts) of the original text with the text saving would write.
FidelityReport compareContent(QStringView original, QStringView written);

// Reads a script file. error is empty on success, else a French message
// naming the file and the reason; then rows is empty.
struct ReadResult {
    std::vector<ScriptLine> rows;
    QString text; // the file's decoded text
    QString error;
};
ReadResult ReadScriptFile(const QString &path);

// The companion file's name: the script's name with its extension replaced
// by ".ai" (appended when it has none).
QString companionFileName(const QString &scriptPath);
// Creates the companion file when it is missing; an existing one is left as
// it is. "" or a French message.
QString ensureCompanionFile(const QString &companionPath);

// "" when text can be saved, else a French message naming the first line
// holding a character Windows-1252 cannot hold.
QString checkEncodable(QStringView text);

} // namespace SaveOpen
