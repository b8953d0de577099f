// The editor window's quick ways to open a script: "Fichiers récents" in
// "Fichier", and a ".per" file dropped on the window.
#include "document/plugfrm.h"

#include "files/recentfiles.h"
#include "shell/messages.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace {
QString shownName(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

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

void PlugFrm::fillRecentMenu()
{
    // The entries are made once and then only changed: an entry's own
    // command refills the menu, and must not delete it while it runs.
    if (RecentMnu->actions().isEmpty()) {
        for (int i = 0; i < RecentFiles::Max; ++i) {
            QAction *entry = RecentMnu->addAction(QString());
            connect(entry, &QAction::triggered, this, [this, entry] { openRecent(entry->data().toString()); });
        }
    }
    const QStringList paths = RecentFiles::list();
    const QList<QAction *> entries = RecentMnu->actions();
    for (int i = 0; i < entries.size(); ++i) {
        QAction *entry = entries[i];
        const QString path = paths.value(i);
        entry->setVisible(!path.isEmpty());
        entry->setData(path);
        // The number is the entry's mnemonic; an "&" of the path is doubled
        // so that it shows as itself.
        entry->setText(QStringLiteral("&%1 ").arg(i + 1) + shownName(path).replace(QLatin1Char('&'), QStringLiteral("&&")));
    }
    RecentMnu->setEnabled(!paths.isEmpty());
}

void PlugFrm::openRecent(const QString &path)
{
    if (!QFileInfo(path).isFile()) {
        RecentFiles::remove(path);
        fillRecentMenu();
        Messages::error(this, QStringLiteral("Le fichier « %1 » n'existe plus : il est retiré de la liste des fichiers récents.")
                                  .arg(shownName(path)));
        return;
    }
    if (maybeSave())
        openScript(path);
}

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
    QTimer::singleShot(0, this, [this, paths] { openDropped(paths); });
}

void PlugFrm::openDropped(const QStringList &paths)
{
    if (paths.size() != 1) {
        Messages::error(this, QStringLiteral("Déposez un seul fichier .per à la fois."));
        return;
    }
    const QString &path = paths.first();
    if (QFileInfo(path).suffix().compare(QLatin1String("per"), Qt::CaseInsensitive) != 0) {
        Messages::error(this, QStringLiteral("Seuls les fichiers .per s'ouvrent dans l'éditeur : « %1 » n'en est pas un.")
                                  .arg(QFileInfo(path).fileName()));
        return;
    }
    if (maybeSave())
        openScript(path);
}
