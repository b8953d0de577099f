#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

class QPluginLoader;
class QuorrinCloseQuery;
class QuorrinFileOpener;
class QuorrinPlugin;

// One library of the plug-ins folder, loaded or not.
struct LoadedPlugin {
    QString file;
    QJsonObject identity; // the plug-in's own metadata
    QuorrinPlugin *plugin = nullptr;
    QuorrinCloseQuery *closeQuery = nullptr; // when the plug-in answers it
    QuorrinFileOpener *fileOpener = nullptr; // when the plug-in opens files
    QString error; // why it could not be loaded
};

namespace PluginHost {
// The plug-ins folder beside the host ("plugins", the build tree), else the
// install tree's, found from the host's own folder (e.g. "../lib/quorrin/plugins").
QString defaultFolder();
// Loads every library of the folder, in name order. Libraries stay loaded for
// the life of the process: the controls they make must outlive the scan.
QList<LoadedPlugin> loadFolder(const QString &folder);
// The caption the host shows for a plug-in: its help string, else its file.
QString caption(const LoadedPlugin &p);
} // namespace PluginHost
