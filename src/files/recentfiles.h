#pragma once

#include <QStringList>

// The scripts last opened or saved, most recent first, kept in the settings
// beside the plug-in's two options.
namespace RecentFiles {
constexpr int Max = 8;
// The list as stored, at most Max full paths.
QStringList list();
// Puts path first (moving it up when it is already there) and keeps Max.
void add(const QString &path);
// Takes path out of the list.
void remove(const QString &path);
} // namespace RecentFiles
