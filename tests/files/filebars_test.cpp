// The bars above the list, as the user sees and answers them; what they
// stand for is tested on the file commands in core_tests.
#include "filetests.h"
#include "document/scriptdocument.h"
#include "document/scriptstatusbar.h"
#include "files/filebars.h"
#include "files/recovery.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

using namespace TestSupport;

using Bars = EditorTest;

namespace {
// What a bar shows: its text and its buttons, "" when hidden.
QString shown(const FileBar *bar)
{
    if (bar->isHidden())
        return {};
    QStringList parts{bar->Label1->text()};
    for (const QPushButton *b : {bar->Command1, bar->Command2})
        if (!b->isHidden())
            parts << "[" + b->text() + "]";
    return parts.join(' ');
}
} // namespace

TEST_F(Bars, WorkLeftBehindIsOfferedAtStartAndRecoveredByItsButton)
{
    // an untitled script's work, left by an editor that no longer runs
    QString error;
    ASSERT_TRUE(Recovery::write(Recovery::fileFor("", 999999999), {"", QDateTime(QDate(2026, 12, 8), QTime(10, 15, 30)),
                                                                 TextEncoding::Windows1252, "(defconst a 1)\r\n"}, error));
    PlugFrm &f = editor();
    EXPECT_EQ(shown(f.RecoveryBar1), "Un script sans titre jamais enregistré a été retrouvé (copie de secours du "
                                     "8 décembre 2026 à 10:15:30): l'éditeur s'est arrêté sans l'enregistrer. "
                                     "[Récupérer] [Ignorer]");
    click(f.RecoveryBar1->Command1);
    EXPECT_EQ(shown(f.RecoveryBar1), "");
    EXPECT_EQ(rows(f), QStringList{"Const|Constante: a = 1"});
    EXPECT_EQ(f.StatusBar1->Modified->text(), "Modifié");
}

TEST_F(Bars, AScriptChangedOrRemovedOutsideIsSaidAndRecharger)
{
    PlugFrm &f = open("(defconst a 1)\r\n");
    f.document().rows().setText(1, "Constante: a = 2");
    const auto barShows = [&] { return QTest::qWaitFor([&] { return !f.DiskBar1->isHidden(); }, 3000); };
    writeFile(path, "(defconst b 3)\r\n");
    ASSERT_TRUE(barShows());
    EXPECT_TRUE(shown(f.DiskBar1).endsWith("[Recharger] [Ignorer]")) << shown(f.DiskBar1).toStdString();
    QString text;
    answerNextMessage(nullptr, &text, "Oui");
    click(f.DiskBar1->Command1);
    EXPECT_TRUE(text.startsWith("Relire le fichier abandonnera les modifications"));
    EXPECT_EQ(shown(f.DiskBar1), "");
    EXPECT_EQ(rows(f), QStringList{"Const|Constante: b = 3"});

    QFile::remove(path);
    ASSERT_TRUE(barShows());
    EXPECT_EQ(shown(f.DiskBar1), "Le fichier « ia.per » a été supprimé ou déplacé par un autre programme: « Enregistrer » "
                                 "l'écrira de nouveau. [Ignorer]");
    EXPECT_EQ(f.StatusBar1->Modified->text(), "Modifié");
    click(f.DiskBar1->Command2);
    EXPECT_EQ(shown(f.DiskBar1), "");
}

TEST_F(Bars, ARecoveryFileThatCannotBeWrittenIsSaidInTheStatusBar)
{
    // the data folder is a file: nothing can be made in it
    writeFile(dir.filePath("pas-un-dossier"), "");
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir.filePath("pas-un-dossier").toUtf8());
    PlugFrm &f = open("(defconst a 1)\r\n");
    f.document().rows().setText(1, "Constante: a = 2");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.StatusBar1->currentMessage().isEmpty(); }, 6000));
    EXPECT_TRUE(f.StatusBar1->currentMessage().startsWith("Copie de secours des modifications impossible: "))
        << f.StatusBar1->currentMessage().toStdString();
    EXPECT_EQ(rows(f), QStringList{"Const|Constante: a = 2"});
    qputenv("XDG_DATA_HOME", data);
}
