// Shared by the fuzz targets: a folder of their own for the files the core
// reads, and an abort that says which property broke.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace FuzzSupport {

// Removed when the process ends normally; a crash leaves it in /tmp.
inline const QTemporaryDir &folder()
{
    static const QTemporaryDir dir(QStringLiteral("/tmp/vardelo-fuzz-XXXXXX"));
    if (!dir.isValid()) {
        std::fputs("vardelo fuzz: no temporary folder\n", stderr);
        std::abort();
    }
    return dir;
}

inline QString path(const QString &fileName)
{
    return folder().filePath(fileName);
}

inline void writeFile(const QString &fileName, QByteArrayView bytes)
{
    QFile f(path(fileName));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes.data(), bytes.size()) != bytes.size()) {
        std::fputs("vardelo fuzz: cannot write the input file\n", stderr);
        std::abort();
    }
}

// Prints both sides of a broken property and aborts, so libFuzzer keeps the
// input as a crash.
inline void violation(const char *what, const QByteArray &expected, const QByteArray &actual)
{
    std::fprintf(stderr, "vardelo fuzz: %s\n--- expected (%lld bytes)\n%s\n--- actual (%lld bytes)\n%s\n", what,
                 static_cast<long long>(expected.size()), expected.toPercentEncoding(" ;()\"=<>#").constData(),
                 static_cast<long long>(actual.size()), actual.toPercentEncoding(" ;()\"=<>#").constData());
    std::abort();
}

} // namespace FuzzSupport
