// The command-line tool as a process, over the corpus of realistic scripts in
// tests/data: each NAME.per has its expected rows (NAME.rows) and fidelity
// report (NAME.check): which parts of it formatting would change.
#include "files/saveopen.h"
#include "shell/fileservices.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
struct Outcome {
    int status = -1;
    QByteArray out, err;
};

Outcome vardelo(const QStringList &args, const QByteArray &input = {})
{
    QProcess p;
    p.setWorkingDirectory(QStringLiteral(VARDELO_TEST_DATA));
    p.start(QStringLiteral(VARDELO_CLI), args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(30000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList corpus()
{
    return QDir(QStringLiteral(VARDELO_TEST_DATA))
        .entryList({QStringLiteral("*.per")}, QDir::Files, QDir::Name);
}

QString dataFile(const QString &name)
{
    return QDir(QStringLiteral(VARDELO_TEST_DATA)).filePath(name);
}
} // namespace

TEST(Corpus, EveryScriptGivesItsExpectedRowsAndReport)
{
    ASSERT_GE(corpus().size(), 6);
    for (const QString &script : corpus()) {
        SCOPED_TRACE(script.toStdString());
        const QString base = script.chopped(4);

        const Outcome rows = vardelo({QStringLiteral("rows"), script});
        EXPECT_EQ(rows.status, 0);
        EXPECT_EQ(QString::fromUtf8(rows.out), QString::fromUtf8(contents(dataFile(base + ".rows"))));

        const QByteArray report = contents(dataFile(base + ".check"));
        const Outcome check = vardelo({QStringLiteral("check"), script});
        EXPECT_EQ(QString::fromUtf8(check.out), QString::fromUtf8(report));
        EXPECT_EQ(check.status, report.contains("conserve le contenu") ? 0 : 1);
    }
}

TEST(Corpus, FormattingIsStableAndKeepsTheFilesConventions)
{
    QTemporaryDir dir;
    for (const QString &script : corpus()) {
        SCOPED_TRACE(script.toStdString());
        const QByteArray original = contents(dataFile(script));
        const Outcome once = vardelo({QStringLiteral("format"), script});
        ASSERT_EQ(once.status, 0);
        // its encoding and line ends
        EXPECT_EQ(once.out.startsWith("\xEF\xBB\xBF"), original.startsWith("\xEF\xBB\xBF"));
        // (a file of mixed line ends takes its first line's)
        auto firstLineEnd = [](const QByteArray &b) {
            const qsizetype i = b.indexOf('\n'), j = b.indexOf('\r');
            return j >= 0 && (i < 0 || j < i) ? (i == j + 1 ? "\r\n" : "\r") : i >= 0 ? "\n" : "";
        };
        EXPECT_STREQ(firstLineEnd(once.out), firstLineEnd(original));
        // a script in the editor's conventions formats as its rows are written
        if (original.contains("\r\n") && original.endsWith("\r\n") && !original.startsWith("\xEF\xBB\xBF")) {
            const Outcome written = vardelo({QStringLiteral("write"), QStringLiteral("-")},
                                        contents(dataFile(script.chopped(4) + ".rows")));
            EXPECT_EQ(written.status, 0) << written.err.constData();
            EXPECT_EQ(written.out, once.out);
        }

        // formatting a formatted script changes nothing, and -o writes the same bytes
        const QString out = dir.filePath(script);
        ASSERT_EQ(vardelo({QStringLiteral("format"), script, QStringLiteral("-o"), out}).status, 0);
        EXPECT_EQ(contents(out), once.out);
        const Outcome twice = vardelo({QStringLiteral("format"), out});
        EXPECT_EQ(twice.out, once.out);
        // what the check named is what formatting changed
        EXPECT_EQ(vardelo({QStringLiteral("check"), out}).status, 0);
        const bool faithful = vardelo({QStringLiteral("check"), script}).status == 0;
        const auto reread = SaveOpen::readScriptBytes(once.out);
        EXPECT_EQ(SaveOpen::sameContent(SaveOpen::readScriptBytes(original).source.text, reread.source.text), faithful);
    }
}

TEST(Cli, ErrorsGoToStandardErrorWithStatusTwo)
{
    const Outcome missing = vardelo({QStringLiteral("rows"), QStringLiteral("absent.per")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(QString::fromUtf8(missing.err).contains(QStringLiteral("absent.per"))) << missing.err.constData();

    EXPECT_EQ(vardelo({}).status, 2);
    EXPECT_EQ(vardelo({QStringLiteral("tourner"), QStringLiteral("x.per")}).status, 2);
    EXPECT_EQ(vardelo({QStringLiteral("format"), QStringLiteral("economie.per"), QStringLiteral("-o")}).status, 2);
    EXPECT_EQ(vardelo({QStringLiteral("write"), QStringLiteral("-")}, "Inconnu\tx\n").status, 2);

    // a failed -o leaves nothing behind and says why
    const Outcome unwritable = vardelo({QStringLiteral("format"), QStringLiteral("economie.per"), QStringLiteral("-o"),
                                    QStringLiteral("/dossier-absent/x.per")});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_FALSE(unwritable.err.isEmpty());

    const Outcome help = vardelo({QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("rows FILE"));
}
