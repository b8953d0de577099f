// The bars above the list and the status bar's word, as the user sees and
// answers them; what they stand for is tested on the file commands.
#include "filetests.h"
#include "document/scriptdocument.h"
#include "document/scriptstatusbar.h"
#include "editors/addconst.h"
#include "files/filebars.h"
#include "files/leftbehindfrm.h"
#include "files/recovery.h"

#include <QMenu>
#include <QTreeWidget>
#include <gmock/gmock.h>

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
    // said in a bar of its own until closed
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown(f.WarningBar1).startsWith("Copie de secours des modifications "
                                                                            "impossible: "); }, 3000));
    EXPECT_TRUE(shown(f.WarningBar1).endsWith("enregistrez dès que possible. [Fermer]")) << shown(f.WarningBar1).toStdString();
    click(f.WarningBar1->Command2);
    EXPECT_EQ(shown(f.WarningBar1), "");
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

// Saving writes the list to the file again: a bar about what another
// program did to that file goes, in the editor that saved.
TEST_F(Bars, ABarGoesWhenSavingRemovesItsCause)
{
    PlugFrm &f = open("(defconst a 1)\r\n");
    const auto barShows = [&] { return QTest::qWaitFor([&] { return !f.DiskBar1->isHidden(); }, 3000); };
    const auto save = [&] {
        activate(&f);
        press(&f, Qt::Key_S, Qt::ControlModifier);
    };
    QFile::remove(path);
    ASSERT_TRUE(barShows());
    save(); // a removed file is written again
    EXPECT_EQ(contents(path), "(defconst a 1)\r\n");
    EXPECT_EQ(shown(f.DiskBar1), "");

    f.document().rows().setText(1, "Constante: a = 2");
    writeFile(path, "(defconst b 3)\r\n");
    ASSERT_TRUE(barShows());
    EXPECT_TRUE(shown(f.DiskBar1).endsWith("[Recharger] [Ignorer]")) << shown(f.DiskBar1).toStdString();
    EXPECT_THAT(messageDuring(save, "Oui").toStdString(), testing::HasSubstr("L'écraser ?"));
    EXPECT_EQ(contents(path), "(defconst a 2)\r\n");
    QTest::qWait(300); // the watcher's word on our own writing, if any
    EXPECT_EQ(shown(f.DiskBar1), "");
}

// Another program writes the script while a row's dialog is open: the edit
// goes to the row the dialog was opened on, and the change is said once it
// closes; nothing is read again under the dialog.
TEST_F(Bars, AScriptChangedUnderARowsDialogIsSaidOnceItCloses)
{
    PlugFrm &f = open("(defconst a 1)\r\n(defconst b 2)\r\n");
    edit(f, 2, [&](AddConst &d) {
        writeFile(path, "; un\r\n; deux\r\n(defconst a 1)\r\n(defconst b 2)\r\n");
        QTest::qWait(800);
        d.Text2->clear();
        typeText(d.Text2, "999");
    });
    EXPECT_EQ(rows(f), (QStringList{"Const|Constante: a = 1", "Const|Constante: b = 999"}));
    EXPECT_EQ(f.StatusBar1->Modified->text(), "Modifié");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !f.DiskBar1->isHidden(); }, 3000));
    EXPECT_TRUE(shown(f.DiskBar1).endsWith("[Recharger] [Ignorer]")) << shown(f.DiskBar1).toStdString();
}

// A message of the status bar shows in the file name's place while it
// lasts, at the window's own width: permanent sections leave it no room.
TEST_F(Bars, AStatusBarMessageHasRoomToBeDrawn)
{
    PlugFrm &f = open("(defconst a 1)\r\n\r\n");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
    edit(f, 2); // a blank line has no editor
    QCoreApplication::processEvents();
    EXPECT_TRUE(f.StatusBar1->currentMessage().startsWith("Cette ligne n'a pas d'éditeur"));
    int room = f.StatusBar1->width();
    for (const QLabel *l : f.StatusBar1->findChildren<QLabel *>())
        if (l->isVisible())
            room = qMin(room, l->x());
    EXPECT_GT(room, f.StatusBar1->width() / 2);
}

// "Fichier" > "Travail non enregistré...": the work of any script, even one
// moved away since, listed to take back or to drop.
TEST_F(Bars, TravailNonEnregistreListsWorkLeftBehindToRecoverOrRemove)
{
    QDir(Recovery::folder()).removeRecursively(); // what earlier cases left
    PlugFrm &f = editor();
    const QString moved = dir.filePath("parti.per");
    QString error;
    ASSERT_TRUE(Recovery::write(Recovery::fileFor(moved, 999999998), {moved, QDateTime(QDate(2026, 12, 8), QTime(10, 15, 30)),
                                                                      TextEncoding::Windows1252, "(defconst b 2)\r\n"}, error));
    ASSERT_TRUE(Recovery::write(Recovery::fileFor(dir.filePath("autre.per"), 999999997),
                                {dir.filePath("autre.per"), QDateTime(QDate(2026, 12, 7), QTime(9, 0)),
                                 TextEncoding::Windows1252, "(defconst c 3)\r\n"}, error));
    QAction *command = nullptr;
    for (QAction *a : f.File->actions())
        if (a->text() == "Travail non enregistré...")
            command = a;
    ASSERT_NE(command, nullptr);
    QStringList listed, afterRemoval;
    onNextModal([&](QWidget *w) {
        auto *d = qobject_cast<LeftBehindFrm *>(w);
        ASSERT_NE(d, nullptr);
        const auto list = [d] {
            QStringList l;
            for (int i = 0; i < d->List1->topLevelItemCount(); ++i)
                for (int c = 0; c < 3; ++c)
                    l << d->List1->topLevelItem(i)->text(c);
            return l;
        };
        listed = list();
        d->List1->setCurrentItem(d->List1->topLevelItem(1));
        EXPECT_EQ(messageAfter(d->Command2, "Oui"), "Supprimer définitivement ce travail non enregistré ?");
        afterRemoval = list();
        d->List1->setCurrentItem(d->List1->topLevelItem(0));
        click(d->Command1);
    });
    command->trigger();
    EXPECT_EQ(listed, (QStringList{QDir::toNativeSeparators(moved), "08/12/2026 10:15:30", "16 octets",
                                   QDir::toNativeSeparators(dir.filePath("autre.per")), "07/12/2026 09:00:00",
                                   "16 octets"}));
    EXPECT_EQ(afterRemoval, listed.mid(0, 3));
    EXPECT_EQ(rows(f), QStringList{"Const|Constante: b = 2"});
    EXPECT_EQ(std::tuple(f.document().currentFile(), f.StatusBar1->Modified->text()), std::tuple(moved, QString("Modifié")));
}
