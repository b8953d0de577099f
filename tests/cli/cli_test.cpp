// The command-line tool as a process, over the corpus of realistic scripts in
// tests/data: each NAME.per has its expected rows (NAME.rows) and fidelity
// report (NAME.check): which parts of it formatting would change.
#include "files/saveopen.h"
#include "coresupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QPluginLoader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using TestSupport::contents;

namespace {
struct Outcome {
    int status = -1;
    QByteArray out, err;
};

// The tool run in the corpus folder; out names a file for its standard output.
Outcome vardelo(const QStringList &args, const QByteArray &input = {}, const QString &out = {})
{
    QProcess p;
    p.setWorkingDirectory(VARDELO_TEST_DATA);
    if (!out.isEmpty())
        p.setStandardOutputFile(out);
    p.start(VARDELO_CLI, args);
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(30000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

QByteArray dataFile(const QString &name) { return contents(QDir(VARDELO_TEST_DATA).filePath(name)); }
} // namespace

TEST(Corpus, EveryScriptGivesItsRowsAndReportAndFormatsStablyInItsConventions)
{
    const QStringList corpus = QDir(VARDELO_TEST_DATA).entryList({"*.per"}, QDir::Files, QDir::Name);
    ASSERT_GE(corpus.size(), 6);
    QTemporaryDir dir;
    for (const QString &script : corpus) {
        SCOPED_TRACE(script.toStdString());
        const QString base = script.chopped(4);
        const Outcome rows = vardelo({"rows", script});
        EXPECT_EQ(rows.status, 0);
        EXPECT_EQ(QString::fromUtf8(rows.out), QString::fromUtf8(dataFile(base + ".rows")));
        const QByteArray report = dataFile(base + ".check");
        const Outcome check = vardelo({"check", script});
        EXPECT_EQ(QString::fromUtf8(check.out), QString::fromUtf8(report));
        EXPECT_EQ(check.status, report.contains("conserve le contenu") ? 0 : 1);

        const QByteArray original = dataFile(script);
        const Outcome once = vardelo({"format", script});
        ASSERT_EQ(once.status, 0);
        // its encoding and line ends (a file of mixed line ends takes its first line's)
        EXPECT_EQ(once.out.startsWith("\xEF\xBB\xBF"), original.startsWith("\xEF\xBB\xBF"));
        auto firstLineEnd = [](const QByteArray &b) {
            const qsizetype i = b.indexOf('\n'), j = b.indexOf('\r');
            return j >= 0 && (i < 0 || j < i) ? (i == j + 1 ? "\r\n" : "\r") : i >= 0 ? "\n" : "";
        };
        EXPECT_STREQ(firstLineEnd(once.out), firstLineEnd(original));
        // a script formats into its own rows, unless some part of it is left
        // as it is; and its rows as the editor writes them are formatted already
        const bool faithful = check.status == 0;
        if (faithful && original.contains("\r\n") && original.endsWith("\r\n") && !original.startsWith("\xEF\xBB\xBF")) {
            const QString formatted = dir.filePath("formate.per");
            TestSupport::writeFile(formatted, once.out);
            EXPECT_EQ(QString::fromUtf8(vardelo({"rows", formatted}).out), QString::fromUtf8(rows.out));
            const Outcome written = vardelo({"write", "-"}, dataFile(base + ".rows"));
            EXPECT_EQ(written.status, 0) << written.err.constData();
            TestSupport::writeFile(formatted, written.out);
            EXPECT_EQ(vardelo({"format", formatted}).out, written.out);
        }
        // formatting a formatted script changes nothing, and -o writes the same bytes
        const QString out = dir.filePath(script);
        ASSERT_EQ(vardelo({"format", script, "-o", out}).status, 0);
        EXPECT_EQ(contents(out), once.out);
        EXPECT_EQ(vardelo({"format", out}).out, once.out);
        // formatting never changes the content: the parts the check named are
        // left as they were, and named again
        EXPECT_EQ(vardelo({"check", out}).status == 0, faithful);
        EXPECT_TRUE(SaveOpen::sameContent(SaveOpen::readScriptBytes(original).source.text,
                                          SaveOpen::readScriptBytes(once.out).source.text));
    }
}

TEST(Cli, ErrorsAndBadArgumentsGoToStandardErrorInFrenchWithStatusTwo)
{
    const std::pair<QStringList, const char *> cases[] = {
        {{}, "Il manque la commande."},
        {{"tourner", "x.per"}, "Commande inconnue: tourner"},
        {{"rows"}, "rows demande un fichier."},
        {{"check", "economie.per", "perdu.per"}, "check demande un fichier."},
        {{"format", "economie.per", "-o"}, "L'option -o demande un nom de fichier."},
        {{"format", "-o"}, "L'option -o demande un nom de fichier."},
        {{"rows", "economie.per", "-o", "x.per"}, "L'option -o ne vaut que pour format."},
        {{"--inconnue", "rows", "economie.per"}, "Option inconnue: --inconnue"},
        {{"rows", "-z", "economie.per"}, "Option inconnue: -z"},
        {{"lsp", "economie.per"}, "lsp ne prend aucun fichier: le client les envoie."},
        {{"rows", "economie.per", "--catalogues", "."}, "L'option --catalogues ne vaut que pour lint et lsp."},
    };
    for (const auto &[args, message] : cases) {
        const Outcome o = vardelo(args);
        EXPECT_EQ(o.status, 2) << message;
        EXPECT_TRUE(o.out.isEmpty());
        const QString err = QString::fromUtf8(o.err);
        EXPECT_TRUE(err.startsWith(QString::fromUtf8(message)) && err.contains("Voir: vardelo --help"))
            << o.err.constData();
    }
    const Outcome missing = vardelo({"rows", "absent.per"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_TRUE(missing.out.isEmpty());
    EXPECT_TRUE(missing.err.contains("absent.per")) << missing.err.constData();
    EXPECT_EQ(vardelo({"write", "-"}, "Inconnu\tx\n").status, 2);
    // a failed -o leaves nothing behind and says why
    const Outcome unwritable = vardelo({"format", "economie.per", "-o", "/dossier-absent/x.per"});
    EXPECT_EQ(unwritable.status, 2);
    EXPECT_FALSE(unwritable.err.isEmpty());
}

TEST(Cli, HelpVersionOptionsAnywhereAndADashForStandardInput)
{
    for (const char *option : {"--help", "-h"}) {
        const Outcome help = vardelo({option});
        EXPECT_EQ(help.status, 0) << option;
        EXPECT_TRUE(help.out.startsWith("Usage: vardelo COMMANDE")) << option;
    }
    QTemporaryDir dir;
    const QString before = dir.filePath("avant.per"), longName = dir.filePath("long.per");
    ASSERT_EQ(vardelo({"-o", before, "format", "economie.per"}).status, 0);
    ASSERT_EQ(vardelo({"format", "--output", longName, "economie.per"}).status, 0);
    const QByteArray expected = vardelo({"format", "economie.per"}).out;
    EXPECT_FALSE(expected.isEmpty());
    EXPECT_EQ(contents(before), expected);
    EXPECT_EQ(contents(longName), expected);
    const Outcome written = vardelo({"write", "-"}, "BL\t\nComm N\t note\n");
    EXPECT_EQ(written.status, 0) << written.err.constData();
    EXPECT_EQ(written.out, "\r\n; note\r\n");

    const Outcome version = vardelo({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(version.err.isEmpty());
    EXPECT_EQ(vardelo({"-v"}).out, version.out);
    ASSERT_TRUE(version.out.startsWith("vardelo ")) << version.out.constData();
    // the plug-in's identity says the same version (the plug-in lies beside the tool)
    QPluginLoader plugin(QFileInfo(VARDELO_CLI).dir().filePath("plugins/Vardelo.so"));
    const QJsonObject identity = plugin.metaData().value("MetaData").toObject();
    if (identity.isEmpty())
        GTEST_SKIP() << "plug-in not built";
    EXPECT_EQ(QString::fromUtf8(version.out.mid(8)).trimmed(), identity.value("Version").toString());
}

// Output that cannot be written (a full disk) is an error, whether it fails
// in the middle of a long answer or only at the final flush.
TEST(Cli, AFailedWriteToStandardOutputIsAnError)
{
    QTemporaryDir dir;
    const QString big = dir.filePath("grand.per");
    QByteArray bytes;
    for (int i = 0; i < 8000; ++i)
        bytes += "(defrule\r\n  (stock ble > " + QByteArray::number(i) + ")\r\n=>\r\n  (semer ble))\r\n";
    TestSupport::writeFile(big, bytes);
    ASSERT_GT(bytes.size(), 1 << 18); // several chunks of output
    const std::pair<QStringList, QByteArray> cases[] = {
        {{"format", big}, {}}, {{"format", "economie.per"}, {}}, {{"rows", big}, {}}, {{"rows", "economie.per"}, {}},
        {{"check", "economie.per"}, {}}, {{"check", "perdu.per"}, {}}, // would exit 1
        {{"write", "-"}, "Comm N\t note\n"}, {{"--version"}, {}}, {{"--help"}, {}},
    };
    for (const auto &[args, input] : cases) {
        const Outcome o = vardelo(args, input, "/dev/full");
        EXPECT_EQ(o.status, 2) << args.join(' ').toStdString();
        QString err = QString::fromUtf8(o.err);
        err.remove(QRegularExpression("^.*: attention: .*\n", QRegularExpression::MultilineOption)); // block warnings
        EXPECT_EQ(err, "Impossible d'écrire sur la sortie standard: plus de place sur le disque\n");
    }
}

TEST(Cli, CheckWarnsOfBlocksAndLintPrintsEachProblemAsCompilersDoFilesInOrder)
{
    QTemporaryDir dir;
    const auto script = [&dir](const char *name, const QByteArray &bytes) {
        TestSupport::writeFile(dir.filePath(name), bytes);
        return dir.filePath(name);
    };
    const QString clean = script("propre.per", "(defrule\r\n(stock ble < 200)\r\n=>\r\n(construire moulin)\r\n)\r\n");
    const QString warned = script("averti.per", "#load-if-defined INCONNU\r\n#end-if\r\n");
    const QString wrong = script("faux.per", "(defrule\r\n(stok ble < 200)\r\n=>\r\n(construire)\r\n)\r\n");
    const QString catalogues = "--catalogues=" VARDELO_DATA_DIR;

    // check warns of unbalanced blocks on standard error, by file line (the
    // comment and the blank line make more rows); its status stays about the content
    const QString blocks =
        script("blocs.per", "#else ; seul\r\n\r\n(defconst a 1) ; un\r\n#load-if-defined CARTE\r\n(load \"x\")\r\n");
    Outcome o = vardelo({"check", blocks});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(QString::fromUtf8(o.err), QString("%1:1: attention: « Sinon » sans son « Si »\n"
                                                 "%1:4: attention: Bloc « Si » non fermé (il manque « Fin de si »)\n")
                                             .arg(blocks));

    o = vardelo({"lint", catalogues, clean, warned});
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(QString::fromUtf8(o.out), warned + ":1: attention: symbole « INCONNU » absent du catalogue des symboles\n");
    EXPECT_EQ(QString::fromUtf8(o.err), "1 avertissement\n");

    // the files in the order given, whatever thread checked them; an
    // unreadable one is said and the others still checked
    o = vardelo({"lint", wrong, dir.filePath("absent.per"), clean, warned, catalogues});
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(QString::fromUtf8(o.out),
              wrong + ":2: erreur: fait inconnu « stok »: vouliez-vous dire « stock » ?\n" + wrong
                  + ":4: erreur: « construire » attend 1 paramètre (batiment); la ligne en donne 0\n" + warned
                  + ":1: attention: symbole « INCONNU » absent du catalogue des symboles\n");
    EXPECT_TRUE(o.err.contains("absent.per")) << o.err.toStdString();
    EXPECT_TRUE(o.err.endsWith("2 erreurs, 1 avertissement, 1 fichier illisible\n")) << o.err.toStdString();
    EXPECT_EQ(vardelo({"lint", catalogues, wrong}).status, 1);

    EXPECT_EQ(vardelo({"lint"}).status, 2);
}

// lint refuses what it cannot read with status 2 and says why, whatever it
// could check besides: catalogues missing or in the way, a folder or a pipe
// given as a script; a malformed catalogue line is an attention at its line.
TEST(Cli, LintSaysWhatItCouldNotReadAndNeverCallsItClean)
{
    QTemporaryDir dir;
    const QString script = dir.filePath("ia%2b%1.per"); // no message takes a file name for a place holder
    TestSupport::writeFile(script, "(defrule\r\n(stok ble < 200)\r\n=>\r\n(construire moulin)\r\n)\r\n");
    QDir(dir.path()).mkpath("vide");
    QDir(dir.path()).mkpath("sans-actes");
    QDir(dir.path()).mkpath("dossier-en-travers/Params.txt");
    for (const QString name : {"Facts.txt", "Params.txt", "prepross.txt"})
        QFile::copy(QDir(VARDELO_DATA_DIR).filePath(name), dir.filePath("sans-actes/" + name));
    for (const QString name : {"Facts.txt", "Acts.txt", "prepross.txt"})
        QFile::copy(QDir(VARDELO_DATA_DIR).filePath(name), dir.filePath("dossier-en-travers/" + name));
    const std::pair<QString, QString> unreadable[] = {
        {dir.filePath("absent"), "est introuvable"},
        {dir.filePath("vide"), "Facts.txt »: fichier introuvable"},
        {dir.filePath("sans-actes"), "Acts.txt »: fichier introuvable"},
        {dir.filePath("dossier-en-travers"), "Params.txt »: c'est un dossier"},
    };
    for (const auto &[catalogues, why] : unreadable) {
        const Outcome o = vardelo({"lint", "--catalogues", catalogues, script});
        EXPECT_EQ(o.status, 2) << catalogues.toStdString();
        EXPECT_TRUE(QString::fromUtf8(o.err).contains(why)) << o.err.toStdString();
        EXPECT_EQ(o.out, QByteArray());
    }

    QDir(dir.path()).mkpath("abime");
    for (const QString name : {"Facts.txt", "Acts.txt", "prepross.txt"})
        QFile::copy(QDir(VARDELO_DATA_DIR).filePath(name), dir.filePath("abime/" + name));
    TestSupport::writeFile(dir.filePath("abime/Params.txt"), "<quantite>\r\nNum a b\r\nNum 5\r\nNum 0 99999\r\n<petit-nombre>\r\n"
                                                            "Num 0 20\r\n");
    Outcome o = vardelo({"lint", "--catalogues", dir.filePath("abime"), script, "--", dir.path()});
    EXPECT_EQ(o.status, 2);
    const QString params = dir.filePath("abime/Params.txt");
    EXPECT_EQ(QString::fromUtf8(o.out),
              QString(params + ":2: attention: intervalle mal formé « Num a b »: il faut « Num BAS HAUT », deux nombres "
                                "entiers de -32768 à 32767; la ligne est ignorée\n"
                       + params + ":3: attention: intervalle mal formé « Num 5 »: il faut « Num BAS HAUT », deux nombres "
                                  "entiers de -32768 à 32767; la ligne est ignorée\n"
                       + params + ":4: attention: intervalle mal formé « Num 0 99999 »: il faut « Num BAS HAUT », deux "
                                  "nombres entiers de -32768 à 32767; la ligne est ignorée\n"
                       + script + ":2: erreur: fait inconnu « stok »: vouliez-vous dire « stock » ?\n"));
    EXPECT_TRUE(QString::fromUtf8(o.err).endsWith(QString("Impossible de lire le fichier \"%1\": c'est un dossier\n"
                                                          "1 erreur, 3 avertissements, 1 fichier illisible\n")
                                                      .arg(dir.path())))
        << o.err.toStdString();
    // a type left without a usable value accepts any: never an empty "(attendu: )"
    TestSupport::writeFile(script, "(defrule\r\n(stock ble < 12345)\r\n=>\r\n(construire moulin)\r\n)\r\n");
    o = vardelo({"lint", "--catalogues", dir.filePath("abime"), script});
    EXPECT_EQ(o.status, 0);
    EXPECT_FALSE(o.out.contains("attendu: )")) << o.out.toStdString();
}

// What is not a regular file, or holds more than 1 GB, is refused by every
// command at once, never read without end nor waited on; a file's name is
// printed as it is, whatever "%" it holds.
TEST(Cli, SpecialAndHugeFilesAreRefusedAndNamesPrintedAsTheyAre)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("tube.per"), huge = dir.filePath("enorme.per");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    QFile big(huge);
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize((qint64(1) << 30) + 1)); // sparse
    big.close();
    const std::pair<QString, const char *> refused[] = {
        {"/dev/zero", "ce n'est pas un fichier ordinaire"},
        {fifo, "ce n'est pas un fichier ordinaire"},
        {dir.path(), "c'est un dossier"},
        {huge, "le fichier est trop gros (plus de 1 Go)"},
    };
    for (const auto &[path, why] : refused)
        for (const char *command : {"rows", "format", "check", "write", "lint"}) {
            const Outcome o = vardelo({command, path});
            EXPECT_EQ(o.status, 2) << command << " " << path.toStdString();
            EXPECT_TRUE(o.err.contains(why) && o.err.contains(path.toUtf8())) << command << ": " << o.err.constData();
        }

    const QString odd = dir.filePath("a%2b%1.per");
    TestSupport::writeFile(odd, "(defrule\r\n");
    EXPECT_TRUE(vardelo({"check", odd}).err.startsWith((odd + ":1: attention: ").toUtf8()));
    TestSupport::writeFile(odd, "Inconnu\tx\n");
    EXPECT_EQ(vardelo({"write", odd}).err, (odd + ", ligne 1: type de ligne inconnu \"Inconnu\".\n").toUtf8());

    // a name beyond ASCII, taken from the command line as the system gives it
    const QString accented = dir.filePath("défense à l'est.per");
    TestSupport::writeFile(accented, "(defrule\r\n");
    EXPECT_TRUE(vardelo({"check", accented}).err.startsWith((accented + ":1: attention: ").toUtf8()));
    EXPECT_TRUE(vardelo({"lint", accented}).out.startsWith((accented + ":1:").toUtf8()));
    const Outcome formatted = vardelo({"format", accented});
    EXPECT_EQ(formatted.status, 0) << formatted.err.constData();
    EXPECT_EQ(formatted.out, "(defrule\r\n");
}
