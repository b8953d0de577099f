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
#include <algorithm>
#include <memory>

namespace Recovery {

namespace {
const QString Untitled = QStringLiteral("sans-titre");
const QString Suffix = QStringLiteral(".recup");

QString key(const QString &script)
{
    if (script.isEmpty())
        return Untitled;
    QString path = QDir::cleanPath(QFileInfo(script).absoluteFilePath());
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
} // namespace

QString folder()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("vardelo/recuperation"));
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
        {QStringLiteral("encodage"), saved.encoding == TextEncoding::Utf8 ? QStringLiteral("UTF-8")
                                                                           : QStringLiteral("Windows-1252")},
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
    const QString encoding = header.value(QStringLiteral("encodage")).toString();
    const QDateTime time = QDateTime::fromString(header.value(QStringLiteral("heure")).toString(), Qt::ISODateWithMs);
    const double size = header.value(QStringLiteral("octets")).toDouble(-1);
    if (header.value(QStringLiteral("version")).toInt() != 1 || !time.isValid() || size < 0
        || (encoding != QLatin1String("UTF-8") && encoding != QLatin1String("Windows-1252"))) {
        why = QStringLiteral("son en-tête est incomplet ou d'une autre version");
        return false;
    }
    const QByteArrayView bytes = file.sliced(end + 1);
    if (double(bytes.size()) != size) {
        why = QStringLiteral("il est tronqué (%1 octets sur %2)").arg(bytes.size()).arg(qint64(size));
        return false;
    }
    saved.script = header.value(QStringLiteral("script")).toString();
    saved.time = time;
    saved.encoding = encoding == QLatin1String("UTF-8") ? TextEncoding::Utf8 : TextEncoding::Windows1252;
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
    QDir().mkpath(QFileInfo(file).absolutePath());
    return FileServices::saveFile(file, encode(saved), error);
}

QString fileFor(const QString &script, qint64 pid)
{
    return QDir(folder()).filePath(stem(script) + QLatin1Char('.') + QString::number(pid) + Suffix);
}

QString lockFor(const QString &script)
{
    return QDir(folder()).filePath(stem(script) + QStringLiteral(".lock"));
}

QList<Left> leftBehind(const QString &script)
{
    const QString wanted = key(script);
    QList<Left> found;
    const QDir dir(folder());
    for (const QString &name : dir.entryList({QLatin1Char('*') + Suffix}, QDir::Files)) {
        QString fileKey;
        qint64 pid = 0;
        const QString file = dir.filePath(name);
        if (!parseName(name, fileKey, pid) || fileKey != wanted || written(file, pid))
            continue;
        Left left{file, {}, {}};
        Saved saved;
        if (read(file, saved, left.unreadable))
            left.time = saved.time;
        found << left;
    }
    std::sort(found.begin(), found.end(), [](const Left &a, const Left &b) {
        if (a.unreadable.isEmpty() != b.unreadable.isEmpty())
            return a.unreadable.isEmpty();
        return a.time > b.time;
    });
    return found;
}

bool setAside(const QString &file, QString &aside, QString &error)
{
    const QDir dir(asideFolder());
    dir.mkpath(QStringLiteral("."));
    const QString name = QFileInfo(file).fileName();
    aside = dir.filePath(name);
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = dir.filePath(QStringLiteral("%1-%2").arg(name).arg(n));
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
    if (s_holders++ > 0)
        return;
    QDir().mkpath(folder());
    auto &lock = processLockFile();
    lock = std::make_unique<QLockFile>(processLock(QCoreApplication::applicationPid()));
    lock->setStaleLockTime(0); // stale only when its process is gone
    lock->tryLock(0);
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

std::optional<Holder> heldBy(const QString &lockFile)
{
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
