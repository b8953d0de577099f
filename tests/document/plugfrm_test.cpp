#include "document/plugfrm.h"
#include "document/publicvars.h"
#include "document/scriptlistview.h"
#include "testsupport.h"

#include <QStatusBar>

using namespace TestSupport;

namespace {
// A list of n rows with distinct texts, made through the model.
void fill(PlugFrm &f, int n)
{
    for (int i = 1; i <= n; ++i)
        f.insertRow(0, QString("r%1").arg(i), qRgb(0, 0, 0), LineKind::Act);
}
} // namespace

// (Without a selected row the row commands are disabled: the placement tests.)
TEST(PlugFrm, BlankLinesAppendAsSpaceInsertAsEmptyAndRowsWithoutAnEditorStay)
{
    PlugFrm &f = openEditor();
    add(f, "Ligne blanche");
    ASSERT_EQ(rows(f), QStringList{"BL| "});
    EXPECT_EQ(colourOf(f, 1), qRgb(255, 255, 255));
    EXPECT_EQ(drawnAs(f, 1).palette.color(QPalette::Text).rgb(), qRgb(255, 255, 255));
    EXPECT_EQ(f.ListView1->selectedPosition(), 1); // the new last row
    fill(f, 2);
    clickRow(f, 1);
    insert(f, "Ligne blanche");
    EXPECT_EQ(rows(f), (QStringList{"BL|", "BL| ", "Act|r1", "Act|r2"}));
    // the new row went before the selection, which stays on the old first row
    EXPECT_EQ(f.ListView1->selectedPosition(), 2);
    add(f, "Ligne blanche");
    EXPECT_EQ(f.ListView1->selectedPosition(), 5);
    f.Combo1->setEditable(true);
    f.Combo1->setEditText("Tableau"); // a kind it does not know
    click(f.Ajouter);
    EXPECT_EQ(f.ListView1->count(), 5);

    // rows without an editor say so where the window shows its state
    f.insertRow(0, "Fin de règle", qRgb(128, 0, 128), LineKind::FactE);
    for (int pos : {1, 6})
        edit(f, pos);
    EXPECT_TRUE(f.statusBar()->currentMessage().startsWith("Cette ligne n'a pas d'éditeur"));
    EXPECT_EQ(rows(f), (QStringList{"BL|", "BL| ", "Act|r1", "Act|r2", "BL| ", "FactE|Fin de règle"}));
    EXPECT_FALSE(EditMod::EditingLine);
    // Supprimer removes the selected row only; the selection moves to the row that took its place
    clickRow(f, 3);
    click(f.Command4);
    EXPECT_EQ(rows(f), (QStringList{"BL|", "BL| ", "Act|r2", "BL| ", "FactE|Fin de règle"}));
    EXPECT_EQ(f.ListView1->selectedPosition(), 3);
}

TEST(PlugFrm, OneWindowClosingAsksDestroysItAndTheNextOpeningStartsEmpty)
{
    PlugFrm &f = openEditor();
    fill(f, 3);
    EXPECT_EQ(&openEditor(), &f);
    EXPECT_EQ(f.ListView1->count(), 3);
    EXPECT_EQ(messageDuring([&f] { f.close(); }, "Non"), UnsavedQuestion);
    EXPECT_EQ(PlugFrm::loaded(), nullptr);
    EXPECT_FALSE(PublicVars::EditorClosing);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    PlugFrm &again = openEditor();
    EXPECT_EQ(again.ListView1->count(), 0);
    EXPECT_EQ(again.Combo1->currentIndex(), 0);
}
