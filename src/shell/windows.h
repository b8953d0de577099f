#pragma once

// The orders in which the plug-in's windows are unloaded. Windows that are
// not loaded are skipped.
namespace Windows {
// The host destroys the control.
void unloadAtTerminate();
// The editor window closes.
void unloadAtEditorClose();
} // namespace Windows
