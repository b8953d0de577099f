#pragma once

#include <QRect>

class QWidget;

// Where the editor's windows open.
namespace DialogPlacement {
// The frame of a window of size dialog beside the window frame window on the
// screen's free area: right of it when there is room, else left of it, else
// against the screen's left edge (over the window's list rather than the
// buttons beside it). Its top is the window's, moved down or up to stay on
// the screen.
QRect beside(const QRect &window, const QSize &dialog, const QRect &screen);
// The window frame made room beside for dialog: window itself when there is
// room on either side, else narrowed to the screen's free width less the
// dialog's, from the screen's left edge; never narrower than narrowest.
QRect givingRoom(const QRect &window, const QSize &dialog, const QRect &screen, int narrowest);
// Moves dialog, not yet shown, beside the window of owner; a window that
// fills the screen (maximised) is made narrower to give it room.
void placeBeside(QWidget *dialog, const QWidget *owner);
} // namespace DialogPlacement
