// The editor window's surroundings: its status bar, its file commands
// (carried out by the file command class), dropped files, and a size and
// place that keep it whole on its screen.
#include "plugfrm.h"

#include "scriptdocument.h"
#include "scriptstatusbar.h"
#include "files/filecommands.h"
#include "files/leftbehindfrm.h"
#include "files/recentfilesmenu.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QTimer>
#include <QUrl>

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
    StatusBar1 = new ScriptStatusBar(*m_document, this);
    setStatusBar(StatusBar1);
    RecentMnu = new RecentFilesMenu(*m_document, File);
    File->insertMenu(sep, RecentMnu);
    connect(RecentMnu, &RecentFilesMenu::chosen, m_files, &FileCommands::openRecent);
    connect(m_files, &FileCommands::recentFilesChanged, RecentMnu, &RecentFilesMenu::refill);
    QAction *leftBehind = new QAction(QStringLiteral("Travail non enregistré..."), File);
    File->insertAction(sep2, leftBehind);
    connect(leftBehind, &QAction::triggered, this, [this] {
        LeftBehindFrm dialog(*m_files, this);
        dialog.exec();
    });
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

bool PlugFrm::mayClose()
{
    return m_files->maybeSave();
}

void PlugFrm::NewFile_Click()
{
    if (m_files->newFile())
        Combo1->setCurrentIndex(0);
}

void PlugFrm::OpenFile_Click()
{
    m_files->openChosen();
}

bool PlugFrm::SaveFile_Click()
{
    return m_files->save();
}

bool PlugFrm::SaveFileAs_Click()
{
    return m_files->saveAs();
}

void PlugFrm::Quit_Click()
{
    close();
}

namespace {
// The local files a drag carries; empty when it carries anything else.
QStringList localFiles(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        paths << url.toLocalFile();
    }
    return paths;
}
} // namespace

void PlugFrm::dragEnterEvent(QDragEnterEvent *event)
{
    // Any file is taken, so that the drop can say why it is not opened.
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void PlugFrm::dropEvent(QDropEvent *event)
{
    const QStringList paths = localFiles(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // The questions and messages wait until the drop is over: a dialog inside
    // the drop would hold the program the file came from.
    QTimer::singleShot(0, m_files, [files = m_files, paths] { files->openDropped(paths); });
}

void PlugFrm::openFile(const QString &path)
{
    m_files->openDropped({path});
}
