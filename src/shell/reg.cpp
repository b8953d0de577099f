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

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// A string of a .reg file, from just after its opening quote; stops at the
// closing quote. Wine writes a character outside ASCII as "\x" and up to four
// hexadecimal digits (one UTF-16 code unit; a pair for characters beyond), and
// a control character as a C escape or up to three octal digits.
QString unescape(QStringView s)
{
    QString out = QStringLiteral(""); // an empty string is a value, not a missing one
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('"'))
            break;
        if (c != QLatin1Char('\\') || i + 1 == s.size()) {
            out += c;
            continue;
        }
        const QChar n = s[++i];
        if (n == QLatin1Char('x') && i + 1 < s.size() && hexDigit(s[i + 1]) >= 0) {
            char16_t unit = 0;
            for (int digits = 0; digits < 4 && i + 1 < s.size() && hexDigit(s[i + 1]) >= 0; ++digits)
                unit = char16_t(unit * 16 + hexDigit(s[++i]));
            out += QChar(unit);
        } else if (n >= QLatin1Char('0') && n <= QLatin1Char('7')) {
            char16_t unit = char16_t(n.unicode() - '0');
            for (int digits = 1; digits < 3 && i + 1 < s.size() && s[i + 1] >= QLatin1Char('0')
                                 && s[i + 1] <= QLatin1Char('7');
                 ++digits)
                unit = char16_t(unit * 8 + (s[++i].unicode() - '0'));
            out += QChar(unit);
        } else if (n == QLatin1Char('n')) {
            out += QLatin1Char('\n');
        } else if (n == QLatin1Char('t')) {
            out += QLatin1Char('\t');
        } else if (n == QLatin1Char('r')) {
            out += QLatin1Char('\r');
        } else {
            out += n; // a quote, a backslash, or a letter kept as itself
        }
    }
    return out;
}

// The text of a value's data (what follows "="): a string, an expandable
// string as written, a dword as its decimal number. Binary values ("hex:",
// "hex(n):") and anything unknown give a null string.
QString valueText(QStringView data)
{
    if (data.startsWith(QLatin1Char('"')))
        return unescape(data.mid(1));
    if (data.startsWith(QLatin1String("str("))) {
        const qsizetype quote = data.indexOf(QLatin1String("):\""));
        return quote < 0 ? QString() : unescape(data.mid(quote + 3));
    }
    if (data.startsWith(QLatin1String("dword:"))) {
        bool ok = false;
        const uint n = data.mid(6).trimmed().toUInt(&ok, 16);
        return ok ? QString::number(n) : QString();
    }
    return {};
}

// The value `name` of key `key` in a Wine .reg file, or a null string.
QString readRegFile(const QString &file, const QString &key, const QString &name)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(f.readAll());
    bool inKey = false;
    bool continued = false; // the line before ended a binary value's line with "\"
    for (QStringView line : FileServices::splitLines(text)) {
        // A binary value goes on over the lines after one ending with "\".
        const bool continuation = continued;
        continued = line.endsWith(QLatin1Char('\\'));
        if (continuation)
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype end = line.lastIndexOf(QLatin1Char(']'));
            QString k = line.mid(1, end > 0 ? end - 1 : line.size() - 1).toString();
            k.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
            inKey = k.compare(key, Qt::CaseInsensitive) == 0;
            continued = false;
            continue;
        }
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
        const QStringView data = eq < 0 ? QStringView() : line.mid(eq + 1);
        // Only binary values are written over several lines; a string's own
        // trailing backslash is escaped, so it never ends the line alone.
        continued = continued && data.startsWith(QLatin1String("hex"));
        if (!inKey || eq < 0 || valueName.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        return valueText(data);
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

bool ReadRegistryValue(int root, const QString &path, QString &result, QString &error)
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
    if (value.isNull()) {
        error = QStringLiteral("le registre n'a pas de valeur %1").arg(full);
        return false;
    }
    result = value;
    return true;
}

} // namespace Reg
