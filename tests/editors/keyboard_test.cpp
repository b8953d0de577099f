// The editor from the keyboard alone: keys go through the window system to
// the focused widget and the shortcuts, as a user's do; and Qt's own dialogs
// speak French while a control lives.
#include "document/plugfrm.h"
#include "document/scriptdocument.h"
#include "document/scriptlistview.h"
#include "editors/addcomm.h"
#include "editors/addconst.h"
#include "editors/addload.h"
#include "editors/addrandomload.h"
#include "shell/plg.h"
#include "testsupport.h"

#include <QDialogButtonBox>
#include <QMenu>

using namespace TestSupport;

namespace {
// A key to the editor window, active.
void command(PlugFrm &f, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    activate(&f);
    press(&f, key, modifiers);
}

using Keyboard = EditorTest;
} // namespace

TEST_F(Keyboard, MenusOpenWithAltAndFileCommandsHaveTheirShortcuts)
{
    PlugFrm &f = editor();

    command(f, Qt::Key_F, Qt::AltModifier);
    EXPECT_TRUE(f.File->isVisible());
    press(f.File, Qt::Key_Escape);
    press(f.File, Qt::Key_Escape);
    EXPECT_FALSE(f.File->isVisible());

    add(f, "Ligne blanche");
    chooseFile(path);
    command(f, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(contents(path), "\r\n");

    QTest::mouseClick(f.Ajouter, Qt::LeftButton);
    command(f, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(contents(path), "\r\n\r\n");

    command(f, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(f.ListView1->count(), 0);

    chooseFile(path);
    command(f, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(f.ListView1->count(), 2);
}

TEST_F(Keyboard, ListKeysDeleteEditAndInsert)
{
    PlugFrm &f = open("(defconst a 1)\r\n(defconst b 2)\r\n(defconst c 3)\r\n");
    clickRow(f, 2);
    command(f, Qt::Key_Delete);
    EXPECT_EQ(rows(f), (QStringList{"Const|Constante: a = 1", "Const|Constante: c = 3"}));

    // Entrée opens the row's editor, answered from the keyboard: the name
    // takes the typing, Tab goes to the value, Entrée confirms.
    clickRow(f, 1);
    answerDialog<AddConst>([](AddConst &d) {
        activate(&d);
        EXPECT_EQ(d.focusWidget(), d.Text1);
        press(&d, Qt::Key_Tab);
        press(&d, Qt::Key_Backspace);
        type(&d, "7");
        press(&d, Qt::Key_Return);
    });
    command(f, Qt::Key_Return);
    EXPECT_EQ(rows(f).value(0), "Const|Constante: a = 7");

    choose(f.Combo1, "Ligne blanche");
    clickRow(f, 2);
    command(f, Qt::Key_Insert);
    EXPECT_EQ(rows(f), (QStringList{"Const|Constante: a = 7", "BL|", "Const|Constante: c = 3"}));

    answerDialog<AddConst>([](AddConst &d) { d.Text2->setText("9"); });
    const QModelIndex third = f.ListView1->rows().index(2);
    QTest::mouseDClick(f.ListView1->viewport(), Qt::LeftButton, {}, f.ListView1->visualRect(third).center());
    EXPECT_EQ(rows(f).value(2), "Const|Constante: c = 9");
}

TEST_F(Keyboard, DialogsGiveTheFocusWhereTheTypingBelongs)
{
    PlugFrm &f = editor();

    // The comment box takes the typing at each opening, also after the
    // first was confirmed with the mouse.
    for (const char *comment : {"premier", "second"}) {
        add(f, "Commentaire", [comment](AddComm &d) {
            activate(&d);
            EXPECT_EQ(d.focusWidget(), d.Text1) << comment;
            type(&d, comment);
            click(d.Command1);
        });
    }
    EXPECT_EQ(rows(f), (QStringList{"Comm N|premier", "Comm N|second"}));

    // After "...", Entrée confirms the chosen file.
    const QString chosen = dir.filePath("strategie.per");
    writeFile(chosen, "");
    add(f, "Chargement", [&](AddLoad &d) {
        activate(&d);
        EXPECT_EQ(d.focusWidget(), d.Text1);
        press(&d, Qt::Key_Tab);
        EXPECT_EQ(d.focusWidget(), d.Command1);
        chooseFile(chosen);
        press(&d, Qt::Key_Space);
        activate(&d);
        EXPECT_EQ(d.focusWidget(), d.Command2);
        press(&d, Qt::Key_Return);
    });
    EXPECT_EQ(rows(f).value(2), "Load|strategie");

    // The arrows step the possibility on view, within 1 and the number of
    // possibilities.
    add(f, "Chargement aléatoire", [](AddRandomLoad &d) {
        activate(&d);
        EXPECT_EQ(d.focusWidget(), d.Text1);
        type(&d, "3");
        QTest::mouseClick(d.Text3, Qt::LeftButton);
        for (const char *file : {"a", "b", "c"}) {
            type(&d, file);
            press(&d, Qt::Key_Up);
        }
        EXPECT_EQ(d.Text2->text(), "3");
        press(&d, Qt::Key_Down);
        EXPECT_EQ(d.Text3->text(), "b");
        press(&d, Qt::Key_Down);
        press(&d, Qt::Key_Down);
        EXPECT_EQ(d.Text2->text(), "1");
        press(&d, Qt::Key_Return);
    });
    EXPECT_EQ(rows(f).value(3), "RLoad|a   b   c   ");
}

TEST_F(Keyboard, QtDialogsSpeakFrenchWhileAControlLives)
{
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    ASSERT_EQ(cancel(), "Cancel");
    auto *first = new Plg;
    delete new Plg;
    EXPECT_EQ(cancel(), "Annuler");

    QTest::mouseClick(first->Command1, Qt::LeftButton);
    QString button, lookIn;
    onNextModal([&](QWidget *w) {
        auto *chooser = qobject_cast<QFileDialog *>(w);
        ASSERT_TRUE(chooser);
        button = chooser->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->text();
        lookIn = chooser->findChild<QLabel *>("lookInLabel")->text();
        chooser->reject();
    });
    PlugFrm::instance().OpenFile->trigger();
    EXPECT_EQ(button, "Annuler");
    EXPECT_EQ(lookIn, "Voir dans :");

    delete first;
    EXPECT_EQ(cancel(), "Cancel");
}
