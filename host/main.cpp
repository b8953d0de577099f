#include "hostwindow.h"
#include "pluginhost.h"

#include <QApplication>
#include <QCommandLineParser>

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
    parser.process(app);

    HostWindow w(PluginHost::loadFolder(parser.value(folder)));
    w.show();
    return app.exec();
}
