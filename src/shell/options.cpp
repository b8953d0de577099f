#include "options.h"

#include "fileservices.h"
#include "reg.h"

#include <QDir>
#include <QRegularExpression>
#include <QSettings>

namespace Options {

namespace {
const QString InstallEntry =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelvarra\\UninstallString");
const QString RecentFilesKey = QStringLiteral("RecentFiles");

// The plug-in's section of the host's settings.
class Settings : public QSettings
{
public:
    Settings() : QSettings(QSettings::UserScope, QStringLiteral("Quorrin"), QStringLiteral("Quorrin"))
    {
        beginGroup(QStringLiteral("Lumbrel"));
    }
};

} // namespace

void LoadSettings()
{
    Settings s;
    const QString ai = s.value(QStringLiteral("AI")).toString();
    CompanionFilePolicy = (ai == QLatin1String("1") || ai == QLatin1String("3")) ? quint8(ai.toInt()) : 2;
    DefaultFolder = s.value(QStringLiteral("Path")).toString();
    if (!DefaultFolder.isEmpty())
        return;
    // without a known installation the choosers start where the platform likes
    QString entry, error;
    if (!Reg::ReadRegistryValue(1, InstallEntry, entry, error))
        return;
    const qsizetype quote = entry.indexOf(QLatin1Char('"'), 2);
    if (quote < 0)
        return;
    const QString uninstaller = entry.mid(1, quote - 1);
    DefaultFolder = FileServices::GetParentFolderName(uninstaller) + QStringLiteral("\\AI");
}

void StoreSettings()
{
    Settings s;
    s.setValue(QStringLiteral("AI"), QString::number(CompanionFilePolicy));
    s.setValue(QStringLiteral("Path"), DefaultFolder);
}

QString chooserFolder()
{
#ifndef Q_OS_WIN
    static const QRegularExpression drive(QStringLiteral("^([A-Za-z]):([\\\\/].*)?$"));
    const QRegularExpressionMatch m = drive.match(DefaultFolder);
    if (m.hasMatch()) {
        QString rest = m.captured(2);
        rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString mapped = QDir(Reg::winePrefix())
                                   .filePath(QStringLiteral("dosdevices/") + m.captured(1).toLower()
                                             + QStringLiteral(":") + rest);
        if (QDir(mapped).exists())
            return mapped;
    }
#endif
    return DefaultFolder;
}

QStringList recentFiles()
{
    return Settings().value(RecentFilesKey).toStringList();
}

void storeRecentFiles(const QStringList &paths)
{
    Settings().setValue(RecentFilesKey, paths);
}

bool viewOption(const QString &key, bool byDefault)
{
    return Settings().value(key, byDefault).toBool();
}

void storeViewOption(const QString &key, bool on)
{
    Settings().setValue(key, on);
}

} // namespace Options

namespace Options {

QByteArray windowState()
{
    return Settings().value(QStringLiteral("EditorWindowState")).toByteArray();
}

void storeWindowState(const QByteArray &state)
{
    Settings().setValue(QStringLiteral("EditorWindowState"), state);
}

} // namespace Options
