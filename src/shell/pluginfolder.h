#pragma once

#include <QString>

namespace PluginFolder {
// The folder of the library this code was loaded from (the plug-in's own
// folder, not the current one), where its catalogues and help lie.
QString path();
// Points the plug-in at another folder (the command line and the tests use
// their own catalogues); an empty folder goes back to the library's.
void setPath(const QString &folder);
} // namespace PluginFolder
