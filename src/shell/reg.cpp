#include "reg.h"

#include "fileservices.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace Reg {

namespace {
std::function<void(const QString &)> &messageHandler()
{
    static std::function<void(const QString &)> h;
    return h;
}

// A string of a .reg file, from just after its opening quote; stops at the
// closing quote.
QString unescape(QStringView s)
{
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('"'))
            break;
        if (c == QLatin1Char('\\') && i + 1 < s.size()) {
            const QChar n = s[++i];
            if (n == QLatin1Char('n'))
                out += QLatin1Char('\n');
            else if (n == QLatin1Char('t'))
                out += QLatin1Char('\t');
            else if (n == QLatin1Char('0'))
                out += QChar(0);
            else
                out += n;
        } else {
            out += c;
        }
    }
    return out;
}

// The value `name` of key `key` in a Wine .reg file, or a null string.
QString readRegFile(const QString &file, const QString &key, const QString &name)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(f.readAll());
    bool inKey = false;
    for (QStringView line : FileServices::splitLines(text)) {
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype end = line.lastIndexOf(QLatin1Char(']'));
            QString k = line.mid(1, end > 0 ? end - 1 : line.size() - 1).toString();
            k.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
            inKey = k.compare(key, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!inKey)
            continue;
        QString valueName;
        qsizetype eq = -1;
        if (line.startsWith(QLatin1String("@="))) {
            eq = 1;
        } else if (line.startsWith(QLatin1Char('"'))) {
            valueName = unescape(line.mid(1));
            // the closing quote of the name, skipping escaped characters
            qsizetype i = 1;
            while (i < line.size() && line[i] != QLatin1Char('"'))
                i += line[i] == QLatin1Char('\\') ? 2 : 1;
            eq = i + 1 < line.size() && line[i + 1] == QLatin1Char('=') ? i + 1 : -1;
        }
        if (eq < 0 || valueName.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        QStringView data = line.mid(eq + 1);
        if (data.startsWith(QLatin1Char('"')))
            return unescape(data.mid(1));
        if (data.startsWith(QLatin1String("str(")))
            return unescape(data.mid(data.indexOf(QLatin1Char('"')) + 1));
        if (data.startsWith(QLatin1String("dword:")))
            return QString::number(data.mid(6).toUInt(nullptr, 16));
        return data.toString();
    }
    return {};
}
} // namespace

void setMessageHandler(std::function<void(const QString &)> handler)
{
    messageHandler() = std::move(handler);
}

QString RootPrefix(int root)
{
    switch (root) {
    case 0:
        return QStringLiteral("HKCU\\");
    case 1:
        return QStringLiteral("HKLM\\");
    case 2:
        return QStringLiteral("HKCR\\");
    default:
        if (messageHandler())
            messageHandler()(QStringLiteral("La valeur de l'HKEY est incorrecte"));
        return QStringLiteral("IncorrectValue");
    }
}

QString winePrefix()
{
    const QString env = qEnvironmentVariable("WINEPREFIX");
    return env.isEmpty() ? QDir::home().filePath(QStringLiteral(".wine")) : env;
}

QString ReadRegistryValue(int root, const QString &path)
{
    const QString full = RootPrefix(root) + path;
    const qsizetype cut = full.lastIndexOf(QLatin1Char('\\'));
    const QString prefix = full.section(QLatin1Char('\\'), 0, 0);
    QString key = full.mid(prefix.size() + 1, cut - prefix.size() - 1);
    const QString name = full.mid(cut + 1);
    QString value;
#ifdef Q_OS_WIN
    QSettings reg(full.left(cut).replace(QStringLiteral("HKLM"), QStringLiteral("HKEY_LOCAL_MACHINE"))
                      .replace(QStringLiteral("HKCU"), QStringLiteral("HKEY_CURRENT_USER"))
                      .replace(QStringLiteral("HKCR"), QStringLiteral("HKEY_CLASSES_ROOT")),
                  QSettings::NativeFormat);
    if (reg.contains(name))
        value = reg.value(name).toString();
#else
    const QDir wine(winePrefix());
    if (prefix == QLatin1String("HKLM"))
        value = readRegFile(wine.filePath(QStringLiteral("system.reg")), key, name);
    else if (prefix == QLatin1String("HKCU"))
        value = readRegFile(wine.filePath(QStringLiteral("user.reg")), key, name);
    else if (prefix == QLatin1String("HKCR"))
        value = readRegFile(wine.filePath(QStringLiteral("system.reg")),
                            QStringLiteral("Software\\Classes\\") + key, name);
#endif
    if (value.isNull())
        throw ReadError(("no registry value " + full).toStdString());
    return value;
}

} // namespace Reg
