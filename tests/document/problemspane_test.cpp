// The script's problems through the real window: the pane, F8 and Maj+F8,
// the counts in the status bar, and the vocabulary turned off.
#include "document/plugfrm.h"
#include "document/problemspane.h"
#include "document/scriptdocument.h"
#include "document/scriptlistview.h"
#include "document/scriptstatusbar.h"
#include "shell/optfrm.h"
#include "testsupport.h"

#include <QTreeView>

using namespace TestSupport;

namespace {
using ProblemsPaneTest = EditorTest;

QStringList listed(PlugFrm &f)
{
    QApplication::processEvents();
    QStringList out;
    const QAbstractItemModel *m = f.ProblemsDock->List1->model();
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->index(r, 0).data().toString() + " " + m->index(r, 1).data().toString();
    return out;
}
} // namespace

TEST_F(ProblemsPaneTest, ThePaneTheKeysAndTheCountsFollowTheScript)
{
    PlugFrm &f = open("(defrule\r\n(stok ble < 200)\r\n=>\r\n(construire moulin)\r\n)\r\n"
                      "#load-if-defined INCONNU\r\n#end-if\r\n");
    f.show();
    EXPECT_EQ(listed(f), (QStringList{"2 fait inconnu « stok »: vouliez-vous dire « stock » ?",
                                      "6 symbole « INCONNU » absent du catalogue des symboles"}));
    EXPECT_EQ(f.StatusBar1->Problems->text(), "1 erreur, 1 avertissement");
    EXPECT_TRUE(f.ShowProblems->isChecked());

    // F8 and Maj+F8 from the selected row, round the ends
    activate(&f);
    const std::pair<Qt::KeyboardModifiers, int> steps[] = {
        {Qt::NoModifier, 2}, {Qt::NoModifier, 5}, {Qt::NoModifier, 2}, {Qt::ShiftModifier, 5}};
    for (const auto &[modifiers, row] : steps) {
        QTest::keyClick(f.ListView1, Qt::Key_F8, modifiers);
        EXPECT_EQ(f.ListView1->selectedPosition(), row);
    }

    // Entrée on an entry of the pane selects its row; a mended row leaves it
    QTreeView *list = f.ProblemsDock->List1;
    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(f.ListView1->selectedPosition(), 2);
    f.ListView1->rows().setText(2, "stock ble < 200");
    EXPECT_EQ(listed(f).size(), 1);
    EXPECT_EQ(f.StatusBar1->Problems->text(), "1 avertissement");

    // the vocabulary off in the options: the pane says so in one line
    trigger(f.ShowOpts, [](OptFrm &d) {
        EXPECT_TRUE(d.Check1->isChecked());
        d.Check1->setChecked(false);
    });
    EXPECT_EQ(listed(f), QStringList{});
    EXPECT_TRUE(f.ProblemsDock->Label1->text().contains("les options l'ont désactivé"));
    EXPECT_EQ(f.StatusBar1->Problems->text(), "");
}
