// The bars above the list and the status bar's word, as the user sees and
// answers them; what they stand for is tested on the file commands.
#include "filetests.h"
#include "document/scriptdocument.h"
#include "document/scriptstatusbar.h"
#include "files/filebars.h"
#include "files/recovery.h"

using namespace TestSupport;
using Bars = EditorTest;

namespace {
// A bar's text and buttons; "" when hidden.
QString shown(const FileBar *bar)
{
    QStringList parts{bar->Label1->text()};
    for (const QPushButton *b : {bar->Command1, bar->Command2})
        if (!b->isHidden())
            parts << "[" + b->text() + "]";
    return bar->isHidden() ? QString() : parts.join(' ');
}
} // namespace

TEST_F(Bars, WorkLeftBehindIsOfferedAtStartAndRecoveredByItsButton)
{
    QString error;
    ASSERT_TRUE(Recovery::write(Recovery::fileFor("", 999999999), {"", QDateTime(QDate(2026, 12, 8), QTime(10, 15, 30)),
                                                                 TextEncoding::Windows1252, "(defconst a 1)\r\n"}, error));
    PlugFrm &f = editor();
    EXPECT_EQ(shown(f.RecoveryBar1), "Un script sans titre jamais enregistré a été retrouvé (copie de secours du "
                                     "8 décembre 2026 à 10:15:30): l'éditeur s'est arrêté sans l'enregistrer. "
                                     "[Récupérer] [Ignorer]");
    // taken as this editor's own, in a data folder where nothing can be written
    const QByteArray data = qgetenv("XDG_DATA_HOME");
    writeFile(dir.filePath("fichier"), "");
    qputenv("XDG_DATA_HOME", dir.filePath("fichier").toUtf8());
    click(f.RecoveryBar1->Command1);
    EXPECT_EQ(shown(f.RecoveryBar1), "");
    EXPECT_EQ(rows(f), QStringList{"Const|Constante: a = 1"});
    EXPECT_EQ(f.StatusBar1->Modified->text(), "Modifié");
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.StatusBar1->currentMessage().startsWith("Copie de secours des modifications "
                                                                                      "impossible: "); }, 3000));
    qputenv("XDG_DATA_HOME", data);
}

TEST_F(Bars, AScriptChangedOrRemovedOutsideIsSaidAndRecharger)
{
    PlugFrm &f = open("(defconst a 1)\r\n");
    f.document().rows().setText(1, "Constante: a = 2");
    const auto barShows = [&] { return QTest::qWaitFor([&] { return !f.DiskBar1->isHidden(); }, 3000); };
    writeFile(path, "(defconst b 3)\r\n");
    ASSERT_TRUE(barShows());
    EXPECT_TRUE(shown(f.DiskBar1).endsWith("[Recharger] [Ignorer]")) << shown(f.DiskBar1).toStdString();
    EXPECT_TRUE(messageAfter(f.DiskBar1->Command1, "Oui").startsWith("Relire le fichier abandonnera les modifications"));
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
