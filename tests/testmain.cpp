#include "shell/pluginfolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#ifdef QT_WIDGETS_LIB
#include <QApplication>
using Application = QApplication;
#else
// The core's tests run without a window system: a plain QCoreApplication.
#include <QCoreApplication>
using Application = QCoreApplication;
#endif

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Settings and recovery files go to a private folder, never to the
    // user's own; no real Wine prefix is read.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QDir(config.path()).absolutePath().toUtf8());
    qputenv("XDG_DATA_HOME", QDir(config.path()).filePath(QStringLiteral("data")).toUtf8());
    qputenv("WINEPREFIX", QDir(config.path()).filePath(QStringLiteral("wine")).toUtf8());
    Application app(argc, argv);
    // The plug-in's own folder is the shipped data: catalogues and help pages.
    PluginFolder::setPath(QStringLiteral(VARDELO_DATA_DIR));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
