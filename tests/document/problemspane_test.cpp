// The script's problems through the real window: the pane, F8 and Maj+F8,
// the counts in the status bar, and the vocabulary turned off.
#include "document/plugfrm.h"
#include "document/problemspane.h"
#include "document/scriptdocument.h"
#include "document/scriptlistview.h"
#include "document/scriptstatusbar.h"
#include "shell/optfrm.h"
#include "testsupport.h"

#include <QDir>
#include <QFileInfo>
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

// A part of an AI opened alone: judged with the constants of the files its
// entry loads, its own faults only counted; F12 goes to a constant's row in
// the file that defines it, once the user agrees to open it.
TEST_F(ProblemsPaneTest, APartOpenedAloneIsJudgedInItsAiAndF12OpensTheDefinition)
{
    QDir(dir.path()).mkpath("MonIA");
    writeFile(dir.filePath("entree.per"), "(load \"MonIA\\\\constantes\")\r\n(load \"MonIA\\\\regles\")\r\n");
    writeFile(dir.filePath("MonIA/constantes.per"), "(defconst seuil-ble 200)\r\n(defconst enorme 9000)\r\n");
    const QString part = dir.filePath("MonIA/regles.per");
    writeFile(part, "(defrule\r\n(stock ble < seuil-ble)\r\n(stock ble < enorme)\r\n(stok ble < 3)\r\n=>\r\n"
                    "(construire moulin)\r\n)\r\n");
    PlugFrm &f = editor();
    f.show();
    chooseFile(part);
    f.OpenFile->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.StatusBar1->Problems->text() == "2 erreurs"; }));
    EXPECT_EQ(listed(f), (QStringList{"3 la constante « enorme » vaut 9000, que « quantite » ne permet pas (attendu: un "
                                      "nombre de 0 à 100 ou 150, 200, 250, 300, 400, 500, …); définie ligne 2 de "
                                      "« MonIA/constantes.per »",
                                      "4 fait inconnu « stok »: vouliez-vous dire « stock » ?"}));

    // another file of the AI saved meanwhile counts once the window is back
    QWidget elsewhere;
    elsewhere.show();
    activate(&elsewhere);
    writeFile(dir.filePath("MonIA/constantes.per"), "(defconst seuil-ble 200)\r\n(defconst enorme 90)\r\n");
    activate(&f);
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.StatusBar1->Problems->text() == "1 erreur"; }));

    f.ListView1->selectRow(2);
    const QString question = messageDuring([&] { QTest::keyClick(f.ListView1, Qt::Key_F12); }, "Oui");
    EXPECT_TRUE(question.startsWith("La constante « seuil-ble » est définie ligne 1 de ")) << question.toStdString();
    EXPECT_EQ(QFileInfo(f.document().currentFile()).fileName(), "constantes.per");
    EXPECT_EQ(f.ListView1->selectedPosition(), 1);
}
