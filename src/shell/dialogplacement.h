#pragma once

#include <QRect>

class QWidget;

// Where the editor's windows open.
namespace DialogPlacement {
// The frame of a window of size dialog beside the window frame window on the
// screen's free area: right of it when there is room, else left of it, else
// against the screen's right edge (over the window's buttons rather than its
// list). Its top is the window's, moved down or up to stay on the screen.
QRect beside(const QRect &window, const QSize &dialog, const QRect &screen);
// Moves dialog, not yet shown, beside the window of owner.
void placeBeside(QWidget *dialog, const QWidget *owner);
} // namespace DialogPlacement
