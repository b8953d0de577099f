// Names through the real window: the name a problem proposes put in its
// place from the pane or with Ctrl+., a constant renamed in every file of
// its AI, and the AI's constants offered in the value fields.
#include "document/plugfrm.h"
#include "document/problemspane.h"
#include "document/scriptdocument.h"
#include "document/scriptlistview.h"
#include "document/scriptproblems.h"
#include "rules/addfact.h"
#include "rules/addfactmain.h"
#include "testsupport.h"

#include <QInputDialog>
#include <QMenu>
#include <QTreeView>

using namespace TestSupport;

namespace {
using Names = EditorTest;

// Opens the pane's context menu on its entry that contains text and
// triggers the action named choice.
void chooseInPaneMenu(PlugFrm &f, const QString &text, const QString &choice)
{
    QApplication::processEvents();
    QTreeView *list = f.ProblemsDock->List1;
    QModelIndex entry;
    for (int r = 0; r < list->model()->rowCount(); ++r)
        if (list->model()->index(r, 1).data().toString().contains(text))
            entry = list->model()->index(r, 1);
    ASSERT_TRUE(entry.isValid()) << text.toStdString();
    QStringList offered;
    QTimer::singleShot(0, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        for (QAction *a : menu->actions()) {
            offered << a->text();
            if (a->text() == choice)
                a->trigger();
        }
        menu->close();
    });
    emit list->customContextMenuRequested(list->visualRect(entry).center());
    EXPECT_TRUE(offered.contains(choice)) << offered.join(" / ").toStdString();
}
} // namespace

TEST_F(Names, AProposedNameIsPutInPlaceFromThePaneOrWithCtrlPointAndUndoneInOne)
{
    PlugFrm &f = open("(defconst seuil-ble 200)\r\n(defrule\r\n(batiment grenier < 1)\r\n(stock ble < seuil-bl)\r\n=>\r\n"
                      "(construire moulin)\r\n)\r\n");
    f.show();
    ASSERT_EQ(rows(f).value(2), "Fact|batiment grenier < 1");
    // the name only changes: the values stay as they are
    chooseInPaneMenu(f, "fait inconnu « batiment »", "Remplacer par « batiments »");
    EXPECT_EQ(rows(f).value(2), "Fact|batiments grenier < 1");

    clickRow(f, 4);
    activate(&f);
    press(&f, Qt::Key_Period, Qt::ControlModifier);
    EXPECT_EQ(rows(f).value(3), "Fact|stock ble < seuil-ble");
    QApplication::processEvents();
    EXPECT_EQ(f.document().problems().counts().errors, 0);

    // a row whose problems propose nothing says so
    clickRow(f, 1);
    EXPECT_EQ(messageDuring([&] { press(&f, Qt::Key_Period, Qt::ControlModifier); }),
              "Aucun problème de cette ligne ne propose de nom à la place.");

    f.UndoEdit->trigger();
    EXPECT_EQ(rows(f).value(3), "Fact|stock ble < seuil-bl");
    EXPECT_EQ(rows(f).value(2), "Fact|batiments grenier < 1");
    f.UndoEdit->trigger();
    EXPECT_EQ(rows(f).value(2), "Fact|batiment grenier < 1");
}

TEST_F(Names, AConstantIsRenamedInEveryFileOfItsAiOnceTheUserAgrees)
{
    const QString part = dir.filePath("consts.per");
    const QByteArray partBytes = "; les seuils\r\n(defconst   seuil 200) ; garde\r\n(defconst autre 5)\r\n";
    writeFile(part, partBytes);
    PlugFrm &f = open("(load \"consts\")\r\n(defrule\r\n(stock ble < seuil)\r\n=>\r\n(construire moulin)\r\n)\r\n");
    clickRow(f, 3);

    // declined: nothing anywhere
    const auto rename = [&](const QString &name, const QString &answer) {
        onNextModal([name](QWidget *w) {
            auto *d = qobject_cast<QInputDialog *>(w);
            ASSERT_TRUE(d);
            EXPECT_EQ(d->textValue(), "seuil");
            d->setTextValue(name);
            d->accept();
        });
        QString question;
        answerNextMessage(nullptr, &question, answer);
        f.RenameConstant->trigger();
        return question;
    };
    EXPECT_TRUE(rename("limite", "Non").startsWith("Renommer « seuil » en « limite »: 1 endroit dans ce script, 1 endroit "
                                                  "dans « consts.per »."));
    EXPECT_EQ(contents(part), partBytes);
    EXPECT_EQ(rows(f).value(2), "Fact|stock ble < seuil");

    rename("limite", "Oui");
    EXPECT_EQ(rows(f).value(2), "Fact|stock ble < limite");
    // the other file is written at once, its untouched lines byte for byte
    const QList<QByteArray> lines = contents(part).split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "; les seuils\r");
    EXPECT_TRUE(lines[1].contains("limite") && !lines[1].contains("seuil") && lines[1].contains("; garde")) << lines[1].toStdString();
    EXPECT_EQ(lines[2], "(defconst autre 5)\r");
    // once the AI is read again, the renamed constant is known
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.document().problems().findingAi(); }));
    QApplication::processEvents();
    EXPECT_EQ(f.document().problems().counts().errors, 0);

    // one step undoes the script's change
    f.UndoEdit->trigger();
    EXPECT_EQ(rows(f).value(2), "Fact|stock ble < seuil");
}

TEST_F(Names, ValueFieldsOfferTheAisConstantsTheTypeAllows)
{
    writeFile(dir.filePath("consts.per"), "(defconst peu 3)\r\n(defconst beaucoup 9000)\r\n(defconst nom \"x\")\r\n");
    PlugFrm &f = open("(load \"consts\")\r\n(defconst seuil-ble 200)\r\n");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !f.document().problems().findingAi(); }));
    AddFactMain &c = openComposer(f);
    compose(c.Option2, c.Command1, [](AddFact &d) {
        choose(d.Combo1, "batiments <batiment> <comparateur> <petit-nombre>");
        // after the type's numbers: the constants it allows, each with its value
        QComboBox *count = d.combo_param_3;
        QStringList tail;
        for (int i = 0; i < count->count(); ++i)
            if (count->itemText(i).contains("constante"))
                tail << count->itemText(i);
        EXPECT_EQ(tail, QStringList{"peu (constante: 3)"});
        EXPECT_EQ(count->itemText(count->count() - 1), "peu (constante: 3)");
        choose(count, "peu (constante: 3)");
        choose(d.combo_param_1, "grenier");
    });
    EXPECT_EQ(rows(f).value(2), "Fact|batiments grenier < peu");
}
