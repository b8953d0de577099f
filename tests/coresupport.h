#pragma once

// What every test program shares, the core's own included: files read and
// written whole, and readable texts and bytes in failure messages. No
// widget here: the core's tests link the core alone.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <gtest/gtest.h>
#include <ostream>

namespace TestSupport {

inline QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

inline const QString UnsavedQuestion = "Le script a été modifié. Voulez-vous enregistrer les modifications ?";

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

} // namespace TestSupport

// Readable QStrings in test failure messages.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

// Readable bytes in test failure messages: line ends and bytes outside ASCII
// written as escapes.
inline void PrintTo(const QByteArray &bytes, std::ostream *os)
{
    *os << '"';
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r' || c == '\n' || c == '\t')
            *os << '\\' << (c == '\r' ? 'r' : c == '\n' ? 'n' : 't');
        else if (u < 0x20 || u >= 0x7f)
            *os << "\\x" << "0123456789ABCDEF"[u >> 4] << "0123456789ABCDEF"[u & 15];
        else
            *os << c;
    }
    *os << '"';
}
