// The editor window's surroundings: its status bar, and a size and place
// that keep it whole on its screen.
#include "plugfrm.h"

#include "scriptstatusbar.h"
#include "files/recentfiles.h"

#include <QApplication>
#include <QMenu>
#include <QScreen>

namespace {
// What the window system adds around the window (title bar, borders), which
// is not known before the window first shows.
constexpr QSize FrameAllowance(16, 40);

// The screen the user works on: the one of the window that opened the
// editor (the host's), else the main one.
QScreen *workingScreen()
{
    if (const QWidget *active = QApplication::activeWindow())
        return active->screen();
    return QGuiApplication::primaryScreen();
}
} // namespace

void PlugFrm::buildWindowExtras()
{
    StatusBar1 = new ScriptStatusBar(this);
    setStatusBar(StatusBar1);
    RecentMnu = new QMenu(QStringLiteral("Fichiers récents"), File);
    File->insertMenu(sep, RecentMnu);
    connect(RecentMnu, &QMenu::aboutToShow, this, &PlugFrm::fillRecentMenu);
    fillRecentMenu();
    setAcceptDrops(true);

    if (QScreen *screen = workingScreen()) {
        const QRect room = screen->availableGeometry();
        const QSize fitted = size().boundedTo(room.size() - FrameAllowance);
        resize(fitted);
        const QSize whole = fitted + FrameAllowance;
        move(room.x() + qMax(0, (room.width() - whole.width()) / 2),
             room.y() + qMax(0, (room.height() - whole.height()) / 2));
    }
}

void PlugFrm::currentFileChanged()
{
    if (!CurrentFile.isEmpty()) {
        RecentFiles::add(CurrentFile);
        fillRecentMenu();
    }
    StatusBar1->refresh();
}
