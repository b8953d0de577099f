#include "shell/pluginfolder.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings go to a private folder, never to the user's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QDir(config.path()).absolutePath().toUtf8());
    QApplication app(argc, argv);
    // The plug-in's own folder is the shipped data: catalogues and help pages.
    PluginFolder::setPath(QStringLiteral(VARDELO_DATA_DIR));
    // No real Wine prefix is read.
    qputenv("WINEPREFIX", QDir(config.path()).filePath(QStringLiteral("wine")).toUtf8());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
