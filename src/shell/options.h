#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The plug-in's settings, stored under application "Quorrin", section
// "Lumbrel": nothing else reads or writes them.
namespace Options {
// The folder the file choosers start in; may be empty.
inline QString DefaultFolder;
// What saving does about the companion ".ai" file: 1 always, 2 ask, 3 never.
inline quint8 CompanionFilePolicy = 2;

// Reads both settings (called each time the host shows the control). A
// missing "AI", or one that is not 1, 2 or 3, means 2 (ask). With no "Path",
// the folder is derived from the game's installation entry.
void LoadSettings();
// Stores both settings.
void StoreSettings();
// The folder a chooser opens in: DefaultFolder, or off Windows, for a drive
// path such as "C:\Jeux\AI", the matching folder of the Wine prefix.
QString chooserFolder();

// The scripts last opened or saved, as stored (RecentFiles keeps the list).
QStringList recentFiles();
void storeRecentFiles(const QStringList &paths);
// A boolean option of the menu "Affichage" by its key ("IndentRows"...);
// byDefault when it was never stored.
bool viewOption(const QString &key, bool byDefault);
void storeViewOption(const QString &key, bool on);
// Where the editor window's panes stand (QMainWindow::saveState).
QByteArray windowState();
void storeWindowState(const QByteArray &state);
} // namespace Options
