#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <vector>

// Text files of the plug-in: Windows-1252, CR LF (LF and lone CR accepted
// when reading), and the path arithmetic on file names.
namespace FileServices {

// Windows-1252 <-> Unicode. Every byte value maps to one character and back.
QString decode1252(QByteArrayView bytes);
// The same into a buffer kept from call to call.
void decode1252(QByteArrayView bytes, QString &out);
// Appends text encoded; false, with out as it was, when a character cannot be
// held.
bool appendEncoded1252(QStringView text, QByteArray &out);
// Position of the first character Windows-1252 cannot hold, or -1.
qsizetype firstUnencodable(QStringView text);
// Encodes text; characters it cannot hold become '?' (check firstUnencodable
// first where that matters).
QByteArray encode1252(QStringView text);

// Splits text into lines at CR LF, LF or a lone CR; the line ends are not part
// of the lines. An empty text has no line; a final line end opens no line.
std::vector<QStringView> splitLines(QStringView text);
// The same into a vector kept from call to call.
void splitLines(QStringView text, std::vector<QStringView> &lines);

// File operations return whether they succeeded; on failure, error holds a
// French message naming the file and the reason.

// A whole text file, decoded.
bool readTextFile(const QString &path, QString &text, QString &error);

// The largest file read: positions in a script are 32-bit, far beyond any
// real script.
constexpr qint64 LargestFile = qint64(1) << 30;
// Opens path for reading, never waiting on it: only a regular file of at
// most LargestFile bytes is opened (a folder, a device, a named pipe or a
// socket is refused).
bool openForReading(QFile &file, const QString &path, QString &error);
// Appends what device holds to bytes: 0 once all is read, 1 when it holds
// more than LargestFile bytes (bytes then holds some of them), -1 when
// reading fails.
int readAtMost(QIODevice &device, QByteArray &bytes);
// Reads a whole file's bytes, as openForReading opens it; one that grows
// past LargestFile while it is read is refused too.
bool readFileBytes(const QString &path, QByteArray &bytes, QString &error);
// Writes bytes through a temporary file renamed over the target, so the old
// file stays whole until the new one is complete.
bool saveFile(const QString &path, const QByteArray &bytes, QString &error);
// Creates an empty file.
bool createEmptyFile(const QString &path, QString &error);

// The reason of a failed file operation in French, from the system's text
// of it (errorString) or, failing that, the error code (errno).
QString reasonInFrench(const QString &systemText, int code);

// Path helpers; "\" and "/" both separate components.
QString GetFileName(const QString &path);
QString GetExtensionName(const QString &path);
QString GetParentFolderName(const QString &path);
// The file name without folder and without its last extension (and its dot).
QString baseName(const QString &path);

} // namespace FileServices
