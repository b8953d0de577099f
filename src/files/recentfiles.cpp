#include "recentfiles.h"

#include "shell/options.h"

#include <QDir>
#include <QFileInfo>

namespace RecentFiles {

namespace {
QString normalized(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// Windows file names do not tell case apart.
bool samePath(const QString &a, const QString &b)
{
#ifdef Q_OS_WIN
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

void removeFrom(QStringList &paths, const QString &path)
{
    paths.removeIf([&](const QString &p) { return samePath(p, path); });
}

} // namespace

QStringList list()
{
    QStringList paths = Options::recentFiles();
    paths.removeAll(QString());
    return paths.mid(0, Max);
}

void add(const QString &path)
{
    const QString p = normalized(path);
    QStringList paths = list();
    // Writing the settings costs a disk sync: none when nothing changes, as
    // when the file saved is already the latest.
    if (!paths.isEmpty() && paths.first() == p)
        return;
    removeFrom(paths, p);
    paths.prepend(p);
    Options::storeRecentFiles(paths.mid(0, Max));
}

void remove(const QString &path)
{
    QStringList paths = list();
    removeFrom(paths, normalized(path));
    Options::storeRecentFiles(paths);
}

} // namespace RecentFiles
