#include "document/plugfrm.h"
#include "document/publicvars.h"
#include "document/scriptlistview.h"
#include "testsupport.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace TestSupport;

namespace {
void addBlank(PlugFrm &f)
{
    chooseKind(f, "Ligne blanche");
    QTest::mouseClick(f.Ajouter, Qt::LeftButton);
}
void insertBlank(PlugFrm &f)
{
    chooseKind(f, "Ligne blanche");
    QTest::mouseClick(f.Command1, Qt::LeftButton);
}
// A list of n rows with distinct texts, made through the model.
void fill(PlugFrm &f, int n)
{
    for (int i = 1; i <= n; ++i)
        f.insertRow(0, QString("r%1").arg(i), qRgb(0, 0, 0), LineKind::Act);
}
} // namespace

TEST(PlugFrm, ShowsItsCaptionsControlsAndMenus)
{
    PlugFrm &f = openEditor();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.windowTitle(), "Editeur de fichiers PER & AI pur Kelvarra");
    EXPECT_EQ(f.Label1->text(), "Ajouter");
    EXPECT_EQ(f.Ajouter->text(), "Ajouter");
    EXPECT_EQ(f.Command1->text(), "Insérer");
    EXPECT_EQ(f.Command3->text(), "Editer");
    EXPECT_EQ(f.Command4->text(), "Supprimer");
    EXPECT_EQ(f.Command2->text(), "Prévisualiser");
    QStringList kinds;
    for (int i = 0; i < f.Combo1->count(); ++i)
        kinds << f.Combo1->itemText(i);
    EXPECT_EQ(kinds, (QStringList{"Chargement conditionnel", "Règle", "Action", "Constante", "Commentaire",
                                  "Chargement", "Chargement aléatoire", "Ligne blanche"}));
    EXPECT_EQ(f.Combo1->currentIndex(), 0);

    QStringList bar;
    for (QAction *a : f.menuBar()->actions())
        bar << a->text();
    EXPECT_EQ(bar, (QStringList{"Fichier", "Edition", "Affichage", "Options", "Aide"}));
    QStringList file;
    for (QAction *a : f.File->actions())
        file << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(file, (QStringList{"Nouveau", "Ouvrir", "-", "Enregistrer", "Enregistrer sous...", "-", "Quitter"}));
    QStringList help;
    for (QAction *a : f.HelpMnu->actions())
        help << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(help, (QStringList{"Aide", "-", "A propos de..."}));
    EXPECT_EQ(f.ShowHelp->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(f.ListView1->count(), 0);
}

TEST(PlugFrm, BlankLinesAppendAsSpaceAndInsertAsEmpty)
{
    PlugFrm &f = openEditor();
    addBlank(f);
    ASSERT_EQ(rows(f), QStringList{"BL| "});
    EXPECT_EQ(f.ListView1->rows().line(1).colour, qRgb(255, 255, 255));
    EXPECT_EQ(f.ListView1->selectedPosition(), 1); // the new last row
    fill(f, 2);
    clickRow(f, 1);
    insertBlank(f);
    EXPECT_EQ(rows(f), (QStringList{"BL|", "BL| ", "Act|r1", "Act|r2"}));
    // the new row went before the selection, which stays on the old first row
    EXPECT_EQ(f.ListView1->selectedPosition(), 2);
    EXPECT_FALSE(f.ins);
    EXPECT_FALSE(f.add);
    addBlank(f);
    EXPECT_TRUE(f.add);
    EXPECT_EQ(f.ListView1->selectedPosition(), 5);
}

TEST(PlugFrm, InsertWithoutSelectionAddsNothingForEveryKind)
{
    PlugFrm &f = openEditor();
    fill(f, 2);
    for (const QString &kind : PlugFrm::lineKindCaptions()) {
        chooseKind(f, kind);
        QTest::mouseClick(f.Command1, Qt::LeftButton);
        EXPECT_EQ(f.ListView1->count(), 2) << kind.toStdString();
    }
}

TEST(PlugFrm, AnUnknownKindAddsNothing)
{
    PlugFrm &f = openEditor();
    f.Combo1->setEditable(true);
    f.Combo1->setEditText("Tableau");
    QTest::mouseClick(f.Ajouter, Qt::LeftButton);
    EXPECT_EQ(f.ListView1->count(), 0);
}

TEST(PlugFrm, DeleteRemovesOnlyTheSelectedRow)
{
    PlugFrm &f = openEditor();
    fill(f, 3);
    QTest::mouseClick(f.Command4, Qt::LeftButton); // nothing selected: nothing happens
    EXPECT_EQ(f.ListView1->count(), 3);
    clickRow(f, 2);
    QTest::mouseClick(f.Command4, Qt::LeftButton);
    EXPECT_EQ(rows(f), (QStringList{"Act|r1", "Act|r3"}));
    // the selection moves to the row that took its place, ready for the next command
    EXPECT_EQ(f.ListView1->selectedPosition(), 2);
}

TEST(PlugFrm, SelectNewItemFollowsTheFlag)
{
    PlugFrm &f = openEditor();
    f.add = true;
    f.SelectNewItem(); // empty list: nothing
    EXPECT_EQ(f.ListView1->selectedPosition(), 0);
    fill(f, 4);
    f.SelectNewItem();
    EXPECT_EQ(f.ListView1->selectedPosition(), 4);
    clickRow(f, 2);
    f.add = false;
    f.SelectNewItem();
    EXPECT_EQ(f.ListView1->selectedPosition(), 2);
}

TEST(PlugFrm, PlaceRowFollowsThePlacementRule)
{
    PlugFrm &f = openEditor();
    fill(f, 2);
    RowSink &sink = f;
    EXPECT_EQ(sink.placeRow(false, "x", qRgb(1, 1, 1), LineKind::Const), 0); // no selection
    clickRow(f, 2);
    EXPECT_EQ(sink.placeRow(false, "x", qRgb(1, 1, 1), LineKind::Const), 2);
    EXPECT_EQ(rows(f), (QStringList{"Act|r1", "Const|x", "Act|r2"}));
    EXPECT_EQ(f.ListView1->selectedPosition(), 3);
    EXPECT_EQ(sink.placeRow(true, "y", qRgb(1, 1, 1), LineKind::Const), 4);
}

TEST(PlugFrm, EditDoesNothingOnStructureRowsOrWithoutSelection)
{
    PlugFrm &f = openEditor();
    QTest::mouseClick(f.Command3, Qt::LeftButton);
    f.insertRow(0, "Fin de règle", qRgb(128, 0, 128), LineKind::FactE);
    addBlank(f);
    for (int pos : {1, 2}) {
        clickRow(f, pos);
        QTest::mouseClick(f.Command3, Qt::LeftButton);
    }
    EXPECT_EQ(rows(f), (QStringList{"FactE|Fin de règle", "BL| "}));
    EXPECT_FALSE(EditMod::EditingLine);
}

TEST(PlugFrm, OneEditorWindowOnly)
{
    PlugFrm &first = openEditor();
    fill(first, 1);
    PlugFrm &second = openEditor();
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(second.ListView1->count(), 1);
}

TEST(PlugFrm, ClosingDestroysTheWindowAndTheNextOpeningStartsEmpty)
{
    PlugFrm &f = openEditor();
    fill(f, 3);
    QString question;
    answerNextMessage(nullptr, &question, "Non");
    f.close();
    EXPECT_EQ(question, "Le script a été modifié. Voulez-vous enregistrer les modifications ?");
    EXPECT_EQ(PlugFrm::loaded(), nullptr);
    EXPECT_FALSE(PublicVars::EditorClosing);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    PlugFrm &again = openEditor();
    EXPECT_EQ(again.ListView1->count(), 0);
    EXPECT_EQ(again.Combo1->currentIndex(), 0);
}
