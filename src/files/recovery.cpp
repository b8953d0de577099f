#include "recovery.h"

#include "shell/fileservices.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <memory>

#ifdef Q_OS_UNIX
#include <cstdio>
#include <pwd.h>
#include <unistd.h>
#endif

namespace Recovery {

namespace {
const QString Untitled = QStringLiteral("sans-titre");
const QString Suffix = QStringLiteral(".recup");

QString key(const QString &script)
{
    if (script.isEmpty())
        return Untitled;
    // Through links: the same script opened by another path is the same
    // key; one removed is reached through its folder.
    const QFileInfo info(script);
    QString path = info.canonicalFilePath();
    if (path.isEmpty()) {
        const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
        path = folder.isEmpty() ? info.absoluteFilePath() : QDir(folder).filePath(info.fileName());
    }
    path = QDir::cleanPath(path);
#ifdef Q_OS_WIN
    path = path.toLower();
#endif
    return QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

// Named after the script (for whoever looks in the folder) and its key.
QString stem(const QString &script)
{
    return script.isEmpty() ? Untitled : QFileInfo(script).fileName() + QLatin1Char('.') + key(script);
}

QString processLock(qint64 pid)
{
    return QDir(folder()).filePath(QStringLiteral("editeur.%1.lock").arg(pid));
}

// The key and the process of a recovery file's name, "<stem>.<pid>.recup".
bool parseName(const QString &name, QString &fileKey, qint64 &pid)
{
    if (!name.endsWith(Suffix))
        return false;
    const QStringList parts = name.chopped(Suffix.size()).split(QLatin1Char('.'));
    bool ok = false;
    pid = parts.size() >= 2 ? parts.last().toLongLong(&ok) : 0;
    if (!ok || pid <= 0)
        return false;
    fileKey = parts[parts.size() - 2];
    return true;
}

QSet<QString> &writing()
{
    static QSet<QString> files;
    return files;
}

// Whether a running recovery writer, here or in another editor, writes file.
bool written(const QString &file, qint64 pid)
{
    if (pid == QCoreApplication::applicationPid())
        return writing().contains(file);
    return heldBy(processLock(pid)).has_value();
}

const QString Magic = QStringLiteral("recuperation-vardelo");
const QString NoFolder = QStringLiteral("aucun dossier de l'utilisateur n'est connu pour ses données (ni XDG_DATA_HOME "
                                        "ni HOME)");

QString encodingName(TextEncoding e)
{
    return e == TextEncoding::Utf8 ? QStringLiteral("UTF-8") : QStringLiteral("Windows-1252");
}

// An encoding's name as written; false when it is none of them.
bool encodingNamed(const QString &name, TextEncoding &e)
{
    if (name != encodingName(TextEncoding::Utf8) && name != encodingName(TextEncoding::Windows1252))
        return false;
    e = name == encodingName(TextEncoding::Utf8) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
    return true;
}
} // namespace

namespace {
// The user's data folder; "" when none is known.
QString dataHome()
{
#ifdef Q_OS_UNIX
    // A relative XDG_DATA_HOME is ignored, as its rule says; without HOME,
    // the home the system's accounts give the user (never "/").
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (QDir::isAbsolutePath(xdg))
        return xdg;
    QString home = qEnvironmentVariable("HOME");
    if (!QDir::isAbsolutePath(home)) {
        static const QString account = [] {
            const passwd *pw = ::getpwuid(::getuid());
            return pw && pw->pw_dir ? QFile::decodeName(pw->pw_dir) : QString();
        }();
        home = account;
    }
    if (!QDir::isAbsolutePath(home) || QDir::cleanPath(home) == QLatin1String("/"))
        return {};
    return QDir(home).filePath(QStringLiteral(".local/share"));
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
#endif
}
} // namespace

QString folder()
{
    const QString data = dataHome();
    return data.isEmpty() ? QString() : QDir(data).filePath(QStringLiteral("vardelo/recuperation"));
}

QString asideFolder()
{
    return QDir(folder()).filePath(QStringLiteral("illisibles"));
}

QByteArray encode(const Saved &saved)
{
    const QJsonObject header{
        {QStringLiteral("format"), Magic},
        {QStringLiteral("version"), 1},
        {QStringLiteral("script"), saved.script},
        {QStringLiteral("heure"), saved.time.toUTC().toString(Qt::ISODateWithMs)},
        {QStringLiteral("encodage"), encodingName(saved.encoding)},
        {QStringLiteral("encodageScript"), encodingName(saved.scriptEncoding)},
        {QStringLiteral("octets"), double(saved.bytes.size())},
    };
    QByteArray out = QJsonDocument(header).toJson(QJsonDocument::Compact);
    out.reserve(out.size() + 1 + saved.bytes.size());
    out += '\n';
    out += saved.bytes;
    return out;
}

bool decode(QByteArrayView file, Saved &saved, QString &why)
{
    const qsizetype end = file.indexOf('\n');
    const QJsonObject header =
        end > 0 ? QJsonDocument::fromJson(file.first(end).toByteArray()).object() : QJsonObject();
    if (header.value(QStringLiteral("format")).toString() != Magic) {
        why = QStringLiteral("ce n'est pas un fichier de récupération de Vardelo");
        return false;
    }
    TextEncoding encoding{}, scriptEncoding{};
    const QString scriptEncodingName = header.value(QStringLiteral("encodageScript")).toString();
    const QDateTime time = QDateTime::fromString(header.value(QStringLiteral("heure")).toString(), Qt::ISODateWithMs);
    const double size = header.value(QStringLiteral("octets")).toDouble(-1);
    // Compared as doubles: a size beyond any integer never converts.
    const QByteArrayView bytes = file.sliced(end + 1);
    if (header.value(QStringLiteral("version")).toInt() != 1 || !time.isValid() || !(size >= 0)
        || !encodingNamed(header.value(QStringLiteral("encodage")).toString(), encoding)
        || (!scriptEncodingName.isEmpty() && !encodingNamed(scriptEncodingName, scriptEncoding))) {
        why = QStringLiteral("son en-tête est incomplet ou d'une autre version");
        return false;
    }
    if (double(bytes.size()) != size) {
        why = QStringLiteral("il est tronqué (%1 octets sur %2)")
                  .arg(QString::number(bytes.size()), QString::number(size, 'g', 16));
        return false;
    }
    saved.script = header.value(QStringLiteral("script")).toString();
    saved.time = time;
    saved.encoding = encoding;
    saved.scriptEncoding = scriptEncodingName.isEmpty() ? encoding : scriptEncoding;
    saved.bytes = bytes.toByteArray();
    return true;
}

bool read(const QString &file, Saved &saved, QString &error)
{
    QByteArray bytes;
    if (!FileServices::readFileBytes(file, bytes, error))
        return false;
    QString why;
    if (decode(bytes, saved, why))
        return true;
    error = QStringLiteral("Le fichier de récupération \"%1\" est illisible: %2").arg(QDir::toNativeSeparators(file), why);
    return false;
}

bool write(const QString &file, const Saved &saved, QString &error)
{
    if (QDir::isRelativePath(file)) {
        error = NoFolder;
        return false;
    }
    QDir().mkpath(QFileInfo(file).absolutePath());
#ifdef Q_OS_UNIX
    // Written aside, then renamed over its name: a link someone put there
    // is replaced, never followed (a save file would write its target).
    const auto failed = [&](const QString &path, int code) {
        error = QStringLiteral("Impossible d'écrire le fichier \"%1\": %2")
                    .arg(QDir::toNativeSeparators(path), FileServices::reasonInFrench(QString(), code));
        return false;
    };
    QTemporaryFile f(file + QStringLiteral(".XXXXXX"));
    if (!f.open())
        return failed(file, errno);
    const QByteArray bytes = encode(saved);
    errno = 0;
    if (f.write(bytes) != bytes.size() || !f.flush() || ::fsync(f.handle()) != 0)
        return failed(file, errno ? errno : EIO);
    if (::rename(QFile::encodeName(f.fileName()).constData(), QFile::encodeName(file).constData()) != 0)
        return failed(file, errno);
    f.setAutoRemove(false);
    return true;
#else
    return FileServices::saveFile(file, encode(saved), error);
#endif
}

QString fileFor(const QString &script, qint64 pid)
{
    return QDir(folder()).filePath(stem(script) + QLatin1Char('.') + QString::number(pid) + Suffix);
}

QString lockFor(const QString &script)
{
    return QDir(folder()).filePath(stem(script) + QStringLiteral(".lock"));
}

namespace {
// Recovery files of scripts keyed wanted (any, when all) no running editor
// writes.
QList<Left> scan(const QString &wanted, bool all)
{
    QList<Left> found;
    if (folder().isEmpty())
        return found;
    const QDir dir(folder());
    for (const QString &name : dir.entryList({QLatin1Char('*') + Suffix}, QDir::Files)) {
        QString fileKey;
        qint64 pid = 0;
        const QString file = dir.filePath(name);
        if (!parseName(name, fileKey, pid) || (!all && fileKey != wanted) || written(file, pid))
            continue;
        Left left{file, {}, {}, {}, 0};
        Saved saved;
        if (read(file, saved, left.unreadable)) {
            left.time = saved.time;
            left.script = saved.script;
            left.size = saved.bytes.size();
        }
        found << left;
    }
    std::sort(found.begin(), found.end(), [](const Left &a, const Left &b) {
        if (a.unreadable.isEmpty() != b.unreadable.isEmpty())
            return a.unreadable.isEmpty();
        return a.time > b.time;
    });
    return found;
}
} // namespace

QList<Left> leftBehind(const QString &script)
{
    return scan(key(script), false);
}

QList<Left> allLeftBehind()
{
    return scan(QString(), true);
}

void clearStaleTemporaries()
{
    if (folder().isEmpty())
        return;
    const QDir dir(folder());
    const QDateTime old = QDateTime::currentDateTime().addSecs(-600);
    for (const QFileInfo &info : dir.entryInfoList({QLatin1Char('*') + Suffix + QStringLiteral(".*")}, QDir::Files))
        if (info.lastModified() < old)
            QFile::remove(info.filePath());
}

bool setAside(const QString &file, QString &aside, QString &error)
{
    const QDir dir(asideFolder());
    dir.mkpath(QStringLiteral("."));
    const QString name = QFileInfo(file).fileName();
    aside = dir.filePath(name);
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = dir.filePath(QStringLiteral("%1-%2").arg(name, QString::number(n)));
    QFile f(file);
    if (f.rename(aside))
        return true;
    error = QStringLiteral("Impossible de mettre de côté le fichier \"%1\": %2")
                .arg(QDir::toNativeSeparators(file), FileServices::reasonInFrench(f.errorString(), errno));
    return false;
}

namespace {
int s_holders = 0;
std::unique_ptr<QLockFile> &processLockFile()
{
    static std::unique_ptr<QLockFile> lock;
    return lock;
}
} // namespace

void holdProcess()
{
    if (s_holders++ > 0 || folder().isEmpty())
        return;
    QDir().mkpath(folder());
    clearStaleTemporaries();
    auto &lock = processLockFile();
    lock = std::make_unique<QLockFile>(processLock(QCoreApplication::applicationPid()));
    takeLock(*lock);
}

void releaseProcess()
{
    if (--s_holders == 0)
        processLockFile().reset();
}

void noteWriting(const QString &file, bool on)
{
    if (on)
        writing().insert(file);
    else
        writing().remove(file);
}

namespace {
// A lock file with nothing readable in it (a power cut while it was
// written) is taken for stale once it is old enough not to be one being
// written now: the system's lock never takes it over by itself.
void removeUnreadable(const QString &lockFile)
{
    const QFileInfo info(lockFile);
    qint64 pid = 0;
    QString host, program;
    if (info.exists() && !QLockFile(lockFile).getLockInfo(&pid, &host, &program)
        && qAbs(info.lastModified().secsTo(QDateTime::currentDateTime())) >= 5)
        QFile::remove(lockFile);
}
} // namespace

bool takeLock(QLockFile &lock)
{
    lock.setStaleLockTime(0); // stale only when its process is gone
    if (lock.tryLock(0))
        return true;
    removeUnreadable(lock.fileName());
    return lock.tryLock(0);
}

bool makeFolder(QString &error)
{
    if (folder().isEmpty()) {
        error = NoFolder;
        return false;
    }
    errno = 0;
    if (QDir().mkpath(folder()))
        return true;
    error = QStringLiteral("Impossible de créer le dossier \"%1\": %2")
                .arg(QDir::toNativeSeparators(folder()), FileServices::reasonInFrench(QString(), errno));
    return false;
}

std::optional<Holder> heldBy(const QString &lockFile)
{
    if (QDir::isRelativePath(lockFile)) // no folder for locks
        return std::nullopt;
    removeUnreadable(lockFile);
    QLockFile probe(lockFile);
    probe.setStaleLockTime(0);
    if (probe.tryLock(0)) {
        probe.unlock();
        return std::nullopt;
    }
    if (probe.error() != QLockFile::LockFailedError)
        return std::nullopt;
    Holder holder;
    QString host;
    if (!probe.getLockInfo(&holder.pid, &host, &holder.program))
        return std::nullopt;
    return holder;
}

} // namespace Recovery
