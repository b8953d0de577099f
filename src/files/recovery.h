#pragma once

#include "document/scriptsource.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <optional>

class QLockFile;

// Recovery files: the unsaved work of an editor, written aside while it
// edits, so that a crash, a kill or a power cut loses none of it. They live
// in the user's data folder with the scripts' locks; each is named after its
// script (or "sans-titre") and the process that writes it, so that two
// running editors never write the same file and one that no longer runs
// can be told from one that does.
namespace Recovery {

// <data folder>/vardelo/recuperation ("~/.local/share/vardelo/recuperation"
// on Linux, "%LOCALAPPDATA%\vardelo\recuperation" on Windows).
QString folder();
// Where unreadable recovery files are kept aside: "illisibles" in it.
QString asideFolder();

// What a recovery file holds.
struct Saved {
    QString script; // its script's path; "" for a script in no file
    QDateTime time; // when it was written
    TextEncoding encoding = TextEncoding::Windows1252; // of bytes
    QByteArray bytes; // what "Enregistrer" would have written
    // The script's own encoding: bytes are in UTF-8 when it could not hold
    // what the user typed.
    TextEncoding scriptEncoding = TextEncoding::Windows1252;
};
// A header line (JSON) and the bytes; decode checks both.
QByteArray encode(const Saved &saved);
bool decode(QByteArrayView file, Saved &saved, QString &why);
bool read(const QString &file, Saved &saved, QString &error);
// Written whole or not at all (the folder is made when missing); false with
// a French message naming the file and the reason.
bool write(const QString &file, const Saved &saved, QString &error);

// The recovery file of script ("" for a script in no file) that process
// pid writes, in folder().
QString fileFor(const QString &script, qint64 pid);
// The lock of script, in folder(), that the editor holding it takes.
QString lockFor(const QString &script);

// A recovery file of script that no running editor writes any more: work
// an editor left behind.
struct Left {
    QString file;
    QDateTime time; // as written in it; invalid when it cannot be read
    QString unreadable; // why it cannot be read; empty when it can
    QString script;     // its script's path, "" for one in no file
    qint64 size = 0;    // the bytes of the work
};
// Those of script ("" for scripts in no file), the newest first, the
// unreadable ones last.
QList<Left> leftBehind(const QString &script);
// Those of every script, in the same order.
QList<Left> allLeftBehind();
// Removes the temporary files of writes that never ended (their editor
// stopped in the middle), once older than any write takes.
void clearStaleTemporaries();
// Moves an unreadable recovery file into asideFolder(); its new path in
// aside, or false with a French message.
bool setAside(const QString &file, QString &aside, QString &error);

// While a recovery writer runs in this process, its recovery files are
// not left behind: the process holds a lock other editors see, and the
// files it writes now are noted.
void holdProcess();
void releaseProcess();
void noteWriting(const QString &file, bool writing);

// Who holds a lock: its process and program.
struct Holder {
    qint64 pid = 0;
    QString program;
};
// The running process that holds lockFile; none when it is free or stale
// (its process is gone, or it says nothing readable and is a few seconds
// old), which it then no longer is.
std::optional<Holder> heldBy(const QString &lockFile);
// Takes lockFile for this process when it is free or stale; false when
// another running process holds it.
bool takeLock(QLockFile &lock);
// Makes folder() when it is missing; false with a French message.
bool makeFolder(QString &error);

} // namespace Recovery
