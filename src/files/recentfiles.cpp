#include "recentfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace RecentFiles {

namespace {
const QString Key = QStringLiteral("Lumbrel/RecentFiles");

QSettings settings()
{
    return QSettings(QSettings::UserScope, QStringLiteral("Quorrin"), QStringLiteral("Quorrin"));
}

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

void store(const QStringList &paths)
{
    settings().setValue(Key, paths);
}
} // namespace

QStringList list()
{
    QStringList paths = settings().value(Key).toStringList();
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
    store(paths.mid(0, Max));
}

void remove(const QString &path)
{
    QStringList paths = list();
    removeFrom(paths, normalized(path));
    store(paths);
}

} // namespace RecentFiles
