#include "dialogplacement.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace DialogPlacement {

QRect beside(const QRect &window, const QSize &dialog, const QRect &screen)
{
    int x;
    if (window.right() + dialog.width() <= screen.right())
        x = window.right() + 1;
    else if (window.left() - dialog.width() >= screen.left())
        x = window.left() - dialog.width();
    else
        x = screen.left();
    const int y = std::max(screen.top(), std::min(window.top(), screen.bottom() + 1 - dialog.height()));
    return QRect(QPoint(x, y), dialog);
}

QRect givingRoom(const QRect &window, const QSize &dialog, const QRect &screen, int narrowest)
{
    if (window.right() + dialog.width() <= screen.right() || window.left() - dialog.width() >= screen.left())
        return window;
    const int width = std::max(narrowest, screen.width() - dialog.width());
    return QRect(screen.left(), window.top(), std::min(width, window.width()), window.height());
}

void placeBeside(QWidget *dialog, const QWidget *owner)
{
    if (!owner)
        return;
    QWidget *window = owner->window();
    dialog->adjustSize();
    // The dialog has no frame before it shows: it will get one like the
    // window's.
    QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    const QSize margins(frame.width() - inner.width(), frame.height() - inner.height());
    const QScreen *screen = window->screen();
    const QRect free = screen ? screen->availableGeometry() : frame;
    const QSize outer = dialog->size() + margins;
    // The list gives room rather than the dialog hiding the buttons beside it.
    const QRect room = givingRoom(frame, outer, free, window->minimumSizeHint().width() + margins.width());
    if (room != frame) {
        if (window->isMaximized() || window->isFullScreen())
            window->showNormal();
        window->move(room.topLeft());
        window->resize(room.size() - margins);
        frame = room;
    }
    dialog->move(beside(frame, outer, free).topLeft());
}

} // namespace DialogPlacement
