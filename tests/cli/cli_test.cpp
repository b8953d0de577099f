// The command-line tool as a process, over the corpus of realistic scripts in
// tests/data: each NAME.per has its expected rows (NAME.rows) and fidelity
// report (NAME.check): which parts of it formatting would change.
#include "files/saveopen.h"
#include "shell/fileservices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QPluginLoader>
#include <QProcess>
#include <QRegularExpression>
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
        // a script in the editor's conventions formats as its rows are written,
        // unless some part of it is left as it is
        const bool faithful = vardelo({QStringLiteral("check"), script}).status == 0;
        if (faithful && original.contains("\r\n") && original.endsWith("\r\n") && !original.startsWith("\xEF\xBB\xBF")) {
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
        // formatting never changes the content: the parts the check named are
        // left as they were, and named again
        EXPECT_EQ(vardelo({QStringLiteral("check"), out}).status == 0, faithful);
        const auto reread = SaveOpen::readScriptBytes(once.out);
        EXPECT_TRUE(SaveOpen::sameContent(SaveOpen::readScriptBytes(original).source.text, reread.source.text));
    }
}

TEST(Cli, ErrorsGoToStandardErrorWithStatusTwo)
{
    const Outcome missing = vardelo({QStringLiteral("rows"), QStringLiteral("absent.per")});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(QString::fromUtf8(missing.err).contains(QStringLiteral("absent.per"))) << missing.err.constData();

    EXPECT_EQ(vardelo({QStringLiteral("write"), QStringLiteral("-")}, "Inconnu\tx\n").status, 2);

    // a failed -o leaves nothing behind and says why
    const Outcome unwritable = vardelo({QStringLiteral("format"), QStringLiteral("economie.per"), QStringLiteral("-o"),
                                    QStringLiteral("/dossier-absent/x.per")});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_FALSE(unwritable.err.isEmpty());
}

TEST(Cli, BadArgumentsAreRefusedInFrenchWithStatusTwo)
{
    const struct {
        QStringList args;
        const char *message;
    } cases[] = {
        {{}, "Il manque la commande."},
        {{"tourner", "x.per"}, "Commande inconnue: tourner"},
        {{"rows"}, "rows demande un fichier."},
        {{"check", "economie.per", "perdu.per"}, "check demande un fichier."},
        {{"format", "economie.per", "-o"}, "L'option -o demande un nom de fichier."},
        {{"format", "-o"}, "L'option -o demande un nom de fichier."},
        {{"rows", "economie.per", "-o", "x.per"}, "L'option -o ne vaut que pour format."},
        {{"--inconnue", "rows", "economie.per"}, "Option inconnue: --inconnue"},
        {{"rows", "-z", "economie.per"}, "Option inconnue: -z"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const Outcome o = vardelo(c.args);
        EXPECT_EQ(o.status, 2);
        EXPECT_TRUE(o.out.isEmpty());
        const QString err = QString::fromUtf8(o.err);
        EXPECT_TRUE(err.startsWith(QString::fromUtf8(c.message))) << o.err.constData();
        EXPECT_TRUE(err.contains(QStringLiteral("Voir: vardelo --help"))) << o.err.constData();
    }
}

TEST(Cli, HelpAndVersion)
{
    for (const char *option : {"--help", "-h"}) {
        const Outcome help = vardelo({QString::fromLatin1(option)});
        EXPECT_EQ(help.status, 0) << option;
        EXPECT_TRUE(help.out.startsWith("Usage: vardelo COMMANDE")) << option;
        for (const char *line : {"rows FILE", "write ROWS", "format FILE [-o OUT]", "check FILE", "--version"})
            EXPECT_TRUE(help.out.contains(line)) << option << ": " << line;
    }

    const Outcome version = vardelo({QStringLiteral("--version")});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.err.isEmpty());
    EXPECT_EQ(vardelo({QStringLiteral("-v")}).out, version.out);
    ASSERT_TRUE(version.out.startsWith("vardelo ")) << version.out.constData();
    const QString number = QString::fromUtf8(version.out.mid(8)).trimmed();
    // the plug-in's identity says the same version (the plug-in lies beside the tool)
    QPluginLoader plugin(QFileInfo(QStringLiteral(VARDELO_CLI)).dir().filePath(QStringLiteral("plugins/Vardelo.so")));
    const QJsonObject identity = plugin.metaData().value(QStringLiteral("MetaData")).toObject();
    if (identity.isEmpty())
        GTEST_SKIP() << "plug-in not built";
    EXPECT_EQ(number, identity.value(QStringLiteral("Version")).toString());
}

TEST(Cli, OptionsStandAnywhereAndADashReadsStandardInput)
{
    QTemporaryDir dir;
    const QString before = dir.filePath(QStringLiteral("avant.per")), longName = dir.filePath(QStringLiteral("long.per"));
    ASSERT_EQ(vardelo({QStringLiteral("-o"), before, QStringLiteral("format"), QStringLiteral("economie.per")}).status, 0);
    ASSERT_EQ(vardelo({QStringLiteral("format"), QStringLiteral("--output"), longName, QStringLiteral("economie.per")}).status, 0);
    const QByteArray expected = vardelo({QStringLiteral("format"), QStringLiteral("economie.per")}).out;
    EXPECT_FALSE(expected.isEmpty());
    EXPECT_EQ(contents(before), expected);
    EXPECT_EQ(contents(longName), expected);

    const Outcome written = vardelo({QStringLiteral("write"), QStringLiteral("-")}, "BL\t\nComm N\t note\n");
    EXPECT_EQ(written.status, 0) << written.err.constData();
    EXPECT_EQ(written.out, "\r\n; note\r\n");
}

// Output that cannot be written (a full disk) is an error, whether it fails
// in the middle of a long answer or only at the final flush.
TEST(Cli, AFailedWriteToStandardOutputIsAnError)
{
    QTemporaryDir dir;
    const QString big = dir.filePath(QStringLiteral("grand.per"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        for (int i = 0; i < 8000; ++i)
            f.write(QStringLiteral("(defrule\r\n  (stock ble > %1)\r\n=>\r\n  (semer ble))\r\n").arg(i).toLatin1());
    }
    ASSERT_GT(QFileInfo(big).size(), 1 << 18); // several chunks of output
    const struct {
        QStringList args;
        QByteArray input;
    } cases[] = {
        {{"format", big}, {}},
        {{"format", "economie.per"}, {}},
        {{"rows", big}, {}},
        {{"rows", "economie.per"}, {}},
        {{"check", "economie.per"}, {}},
        {{"check", "perdu.per"}, {}}, // would exit 1
        {{"write", "-"}, "Comm N\t note\n"},
        {{"--version"}, {}},
        {{"--help"}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        QProcess p;
        p.setWorkingDirectory(QStringLiteral(VARDELO_TEST_DATA));
        p.setStandardOutputFile(QStringLiteral("/dev/full"));
        p.start(QStringLiteral(VARDELO_CLI), c.args);
        p.write(c.input);
        p.closeWriteChannel();
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 2);
        QString err = QString::fromUtf8(p.readAllStandardError());
        err.remove(QRegularExpression("^.*: attention: .*\n", QRegularExpression::MultilineOption)); // block warnings
        EXPECT_EQ(err, QStringLiteral("Impossible d'écrire sur la sortie standard: plus de place sur le disque\n")) << err.toStdString();
    }
}
