#pragma once

// The settings (recent files, options) and the recovery files a benchmark's
// editor writes go to a private folder for the run, never to the user's own.
// Called before the application object is made: the folder then outlives
// the editor's own statics, whose locks are let go at exit.
#include <QDir>
#include <QTemporaryDir>

inline void usePrivateFolders()
{
    static const QTemporaryDir dir;
    qputenv("XDG_CONFIG_HOME", QDir(dir.path()).filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", QDir(dir.path()).filePath(QStringLiteral("data")).toUtf8());
}
