#pragma once

#include <QString>

// The two settings of the plug-in.
namespace Options {
// The folder the file choosers start in; may be empty.
inline QString DefaultFolder;
// What saving does about the companion ".ai" file: 1 always, 2 ask, 3 never.
inline quint8 CompanionFilePolicy = 2;

// Reads both settings (called each time the host shows the control).
void LoadSettings();
} // namespace Options
