#pragma once

#include <QString>

namespace PluginFolder {
// The folder of the plug-in's data (catalogues, help, Qt's French texts),
// found from the library this code was loaded from, never from the current
// folder: beside the library in the build tree, or in the install tree's
// data folder, as far from the library as the install layout puts it.
QString path();
// The data folder for a program or library in folder: folder itself when the
// catalogues lie there, else folder/installed when that is a folder, else
// folder.
QString dataFolder(const QString &folder, const QString &installed);
// Points the plug-in at another folder (the command line and the tests use
// their own catalogues); an empty folder goes back to the library's.
void setPath(const QString &folder);
} // namespace PluginFolder
