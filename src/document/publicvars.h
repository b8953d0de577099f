#pragma once

#include <QString>

// Flags shared by every window of the plug-in.
namespace PublicVars {
// Set for good when the host destroys the control.
inline bool PlugInClosing = false;
// Set while the editor window closes.
inline bool EditorClosing = false;

// A close request on a hidden-between-uses window is a real unload only then.
inline bool closing() { return PlugInClosing || EditorClosing; }
} // namespace PublicVars

// The editing pair: set while "Editer" runs; the new text of the edited row.
namespace EditMod {
inline bool EditingLine = false;
inline QString EditedLineText;
} // namespace EditMod
