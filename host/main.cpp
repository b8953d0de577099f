#include "hostwindow.h"
#include "pluginhost.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorrin"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Hôte de démonstration: place les contrôles de ses plugins."));
    parser.addHelpOption();
    QCommandLineOption folder(QStringLiteral("plugins"), QStringLiteral("Dossier des plugins."),
                              QStringLiteral("dossier"), PluginHost::defaultFolder());
    parser.addOption(folder);
    parser.addPositionalArgument(QStringLiteral("fichier"),
                                 QStringLiteral("Fichier à ouvrir par le plugin qui sait l'ouvrir."),
                                 QStringLiteral("[fichier]"));
    parser.process(app);
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fputs("quorrin-host: un seul fichier à la fois.\n", stderr);
        return 2;
    }

    HostWindow w(PluginHost::loadFolder(parser.value(folder)));
    w.show();
    // Once the window is up, so that the plug-in's windows and messages come
    // over it.
    if (!files.isEmpty()) {
        const QString path = QFileInfo(files.first()).absoluteFilePath();
        QTimer::singleShot(0, &w, [&w, path] { w.openFile(path); });
    }
    return app.exec();
}
