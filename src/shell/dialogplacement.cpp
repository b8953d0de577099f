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
        x = std::max(screen.left(), screen.right() + 1 - dialog.width());
    const int y = std::max(screen.top(), std::min(window.top(), screen.bottom() + 1 - dialog.height()));
    return QRect(QPoint(x, y), dialog);
}

void placeBeside(QWidget *dialog, const QWidget *owner)
{
    if (!owner)
        return;
    const QWidget *window = owner->window();
    dialog->adjustSize();
    // The dialog has no frame before it shows: it will get one like the
    // window's.
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    const QSize margins(frame.width() - inner.width(), frame.height() - inner.height());
    const QScreen *screen = window->screen();
    const QRect free = screen ? screen->availableGeometry() : frame;
    dialog->move(beside(frame, dialog->size() + margins, free).topLeft());
}

} // namespace DialogPlacement
