#include "shell/pluginfolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The core's tests run without a window system: a plain QCoreApplication.
int main(int argc, char **argv)
{
    // Settings go to a private folder, never to the user's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QDir(config.path()).absolutePath().toUtf8());
    QCoreApplication app(argc, argv);
    PluginFolder::setPath(QStringLiteral(VARDELO_DATA_DIR));
    qputenv("WINEPREFIX", QDir(config.path()).filePath(QStringLiteral("wine")).toUtf8());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
