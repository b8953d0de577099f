#include "pluginhost.h"

#include "quorrinplugin.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QPluginLoader>

namespace PluginHost {

QString defaultFolder()
{
    const QDir app(QCoreApplication::applicationDirPath());
    if (app.exists(QStringLiteral("plugins")))
        return app.filePath(QStringLiteral("plugins"));
    return QDir::cleanPath(app.filePath(QStringLiteral(QUORRIN_PLUGINS_FROM_BIN)));
}

QList<LoadedPlugin> loadFolder(const QString &folder)
{
    QList<LoadedPlugin> result;
    const QDir dir(folder);
    for (const QFileInfo &fi : dir.entryInfoList(QDir::Files, QDir::Name)) {
        if (!QLibrary::isLibrary(fi.fileName()))
            continue;
        LoadedPlugin p;
        p.file = fi.absoluteFilePath();
        // Kept as long as the application (see loadFolder's contract); its
        // deletion does not unload the library.
        auto *loader = new QPluginLoader(p.file, QCoreApplication::instance());
        p.identity = loader->metaData().value(QStringLiteral("MetaData")).toObject();
        QObject *root = loader->instance();
        p.plugin = qobject_cast<QuorrinPlugin *>(root);
        p.closeQuery = qobject_cast<QuorrinCloseQuery *>(root);
        p.fileOpener = qobject_cast<QuorrinFileOpener *>(root);
        if (!p.plugin)
            p.error = root ? QStringLiteral("ce n'est pas un plugin de Quorrin")
                           : loader->errorString();
        result.append(p);
    }
    return result;
}

QString caption(const LoadedPlugin &p)
{
    const QString help = p.identity.value(QStringLiteral("HelpString")).toString();
    return help.isEmpty() ? QFileInfo(p.file).fileName() : help;
}

} // namespace PluginHost
