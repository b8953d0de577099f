// vardelo check warns about unbalanced blocks on standard error; its status
// stays about the content.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(CliBlocks, CheckWarnsAboutUnbalancedBlocksWithTheirRows)
{
    QTemporaryDir dir;
    QFile f(dir.filePath("blocs.per"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#else\r\n(defconst a 1)\r\n#load-if-defined CARTE\r\n(load \"x\")\r\n");
    f.close();
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start(QStringLiteral(VARDELO_CLI), {"check", "blocs.per"});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()),
              "blocs.per, ligne 1: attention: « Sinon » sans son « Si »\n"
              "blocs.per, ligne 3: attention: Bloc « Si » non fermé (il manque « Fin de si »)\n");
    EXPECT_EQ(QString::fromUtf8(p.readAllStandardOutput()),
              "blocs.per: le formatage conserve le contenu de chaque partie du script.\n");
}
