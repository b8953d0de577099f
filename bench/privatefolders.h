#pragma once

// The settings (recent files, options) and the recovery files a benchmark's
// editor writes go to a private folder for the run, never to the user's own.
// Made before the application object.
#include <QDir>
#include <QTemporaryDir>

class PrivateFolders
{
public:
    PrivateFolders()
    {
        qputenv("XDG_CONFIG_HOME", QDir(m_dir.path()).filePath(QStringLiteral("config")).toUtf8());
        qputenv("XDG_DATA_HOME", QDir(m_dir.path()).filePath(QStringLiteral("data")).toUtf8());
    }

private:
    QTemporaryDir m_dir;
};
