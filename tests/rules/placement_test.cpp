// Dialogs out of the way: the choosers' filter box, fields that keep their
// place, the rule composer beside the editor and the dialogs centred over it.
#include "document/plugfrm.h"
#include "document/scriptlistview.h"
#include "editors/addconst.h"
#include "editors/addload.h"
#include "rules/addact.h"
#include "rules/addfact.h"
#include "rules/addfactmain.h"
#include "shell/dialogplacement.h"
#include "testsupport.h"

#include <QPlainTextEdit>
#include <QScreen>

using namespace TestSupport;

namespace {
class Placement : public ::testing::Test
{
protected:
    Placement()
    {
        folder.write("Facts.txt", "|||---|||marche-ouvert\r\n"
                                  "|||---|||Reserve-Grain <denree> <nombre> <mot> <denree>\r\n"
                                  "|||---|||reserve-bois <denree>\r\n");
        folder.write("Acts.txt", "||--||Bâtir-Grenier <nombre>\r\n||--||sonner-cloche\r\n||--||bâtir-moulin\r\n"
                                 "||--||vendre <denree> <mot>\r\n");
        folder.write("Params.txt", "<denree>\r\nseigle\r\navoine\r\n<nombre>\r\nNum 1 9\r\n<mot>\r\ntextbox\r\n");
        folder.write("prepross.txt", "");
    }
    CatalogueFolder folder;
};

QStringList entries(const QComboBox *chooser)
{
    QStringList out;
    for (int i = 0; i < chooser->count(); ++i)
        out << chooser->itemText(i);
    return out;
}
} // namespace

TEST_F(Placement, TypingInTheFilterNarrowsTheChooser)
{
    PlugFrm &f = openEditor();
    add(f, "Action", [](AddAct &d) {
        EXPECT_EQ(d.focusWidget(), d.FilterBox);
        type(&d, "TIR");
        EXPECT_EQ(entries(d.Combo1), (QStringList{"Bâtir-Grenier <nombre>", "bâtir-moulin"}));
        EXPECT_EQ(d.Combo1->currentText(), "Bâtir-Grenier <nombre>");
        EXPECT_FALSE(d.combo_param_1->isHidden());
        // the arrows step through what is left; the choice stays while shown
        press(&d, Qt::Key_Down);
        EXPECT_EQ(d.Combo1->currentText(), "bâtir-moulin");
        EXPECT_TRUE(d.combo_param_1->isHidden());
        type(&d, "-M");
        EXPECT_EQ(entries(d.Combo1), QStringList{"bâtir-moulin"});
        type(&d, "x");
        EXPECT_EQ(d.Combo1->count(), 0);
        EXPECT_TRUE(messageDuring([&d] { press(&d, Qt::Key_Return); }).startsWith("Aucune entrée"));
        press(&d, Qt::Key_Backspace);
        EXPECT_EQ(d.Combo1->currentText(), "bâtir-moulin");
        press(&d, Qt::Key_Return);
    });
    EXPECT_EQ(rows(f), QStringList{"Act|bâtir-moulin"});

    // The next opening shows the whole catalogue again.
    click(f.Ajouter, [](AddAct &d) {
        EXPECT_TRUE(d.FilterBox->text().isEmpty());
        EXPECT_EQ(d.Combo1->count(), 4);
        d.reject();
    });
}

TEST_F(Placement, FactFieldsKeepTheirPlaceWhateverTheParameters)
{
    PlugFrm &f = openEditor();
    AddFactMain &composer = openComposer(f);
    click(composer.Command1, [](AddFact &d) {
        const auto layout = [&d](const QString &entry) {
            choose(d.Combo1, entry);
            QCoreApplication::processEvents();
            QList<QRect> where{QRect(QPoint(), d.size()), d.Text2->geometry(), d.Check1->geometry(),
                               d.Command1->geometry()};
            for (int n = 1; n <= 4; ++n)
                where << d.listField(n)->geometry() << d.textField(n)->geometry();
            return where;
        };
        const QList<QRect> none = layout("marche-ouvert");
        EXPECT_EQ(layout("Reserve-Grain <denree> <nombre> <mot> <denree>"), none);
        EXPECT_EQ(layout("reserve-bois <denree>"), none);
        d.reject();
    });
    composer.close();
}

TEST_F(Placement, TheComposerOpensBesideTheEditorAndDialogsCentredOverIt)
{
    // Right when there is room, else left, else against the screen's left
    // edge, over the list rather than the buttons; always on the screen.
    const QRect screen(0, 0, 1000, 700);
    const std::pair<QRect, QPoint> cases[] = { // the editor; where a 200 by 300 composer goes
        {{10, 20, 600, 500}, {610, 20}}, {{390, 20, 600, 500}, {190, 20}},
        {{50, 0, 900, 500}, {0, 0}},     {{10, 550, 600, 500}, {610, 400}},
    };
    for (const auto &[window, expected] : cases)
        EXPECT_EQ(DialogPlacement::beside(window, QSize(200, 300), screen).topLeft(), expected) << window.x();
    // a window with no room beside it is narrowed from the right, down to its narrowest
    EXPECT_EQ(DialogPlacement::givingRoom({0, 0, 1000, 700}, {200, 300}, screen, 300), QRect(0, 0, 800, 700));
    EXPECT_EQ(DialogPlacement::givingRoom({50, 0, 900, 500}, {200, 300}, screen, 850), QRect(0, 0, 850, 500));
    EXPECT_EQ(DialogPlacement::givingRoom({10, 20, 600, 500}, {200, 300}, screen, 300), QRect(10, 20, 600, 500));

    PlugFrm &f = openEditor();
    const QRect free = f.screen()->availableGeometry();
    f.setGeometry(free.x(), free.y(), free.width() / 2, free.height() / 2);
    AddFactMain &composer = openComposer(f);
    EXPECT_FALSE(composer.frameGeometry().intersects(f.frameGeometry()));
    EXPECT_TRUE(free.contains(composer.frameGeometry()));
    composer.close();

    // Maximised, the editor gives room: the composer hides none of its
    // commands (the side panel the actions are added from).
    f.showMaximized();
    QTest::qWait(50);
    AddFactMain &beside = openComposer(f);
    const QRect panel(f.Ajouter->mapToGlobal(QPoint(0, 0)), f.Command2->mapToGlobal(QPoint(f.Command2->width(), f.Command2->height())));
    EXPECT_FALSE(beside.frameGeometry().intersects(panel)) << "composer over the side panel";
    EXPECT_FALSE(beside.frameGeometry().intersects(f.frameGeometry()));
    EXPECT_TRUE(free.contains(beside.frameGeometry()));
    beside.close();

    const auto expectCentred = [&f](QWidget *w) {
        EXPECT_LE((w->frameGeometry().center() - f.frameGeometry().center()).manhattanLength(), 4) << w->windowTitle().toStdString();
        w->close();
    };
    // The editor moved between two openings of the same dialog.
    for (const QPoint &at : {free.topLeft(), free.topLeft() + QPoint(40, 30)}) {
        f.setGeometry(QRect(at, free.size() - QSize(60, 60)));
        for (const char *kind : {"Constante", "Action", "Chargement"}) {
            onNextModal(expectCentred);
            add(f, kind);
        }
        onNextModal(expectCentred);
        f.Command2->click(); // Prévisualiser
    }
}

TEST_F(Placement, PlacedRowsShowAndTheFocusGoesBackToWhoOpenedTheDialog)
{
    PlugFrm &f = openEditor();
    // Insérer, Editer and Supprimer wait for a selected row
    const auto rowCommands = [&f] {
        return QString("%1%2%3").arg(f.Command1->isEnabled()).arg(f.Command3->isEnabled()).arg(f.Command4->isEnabled());
    };
    EXPECT_EQ(rowCommands(), "000");
    for (int i = 0; i < 500; ++i)
        f.ListView1->rows().addRow("ligne");
    EXPECT_EQ(rowCommands(), "000");

    // a row appended far below is selected and scrolled into view
    add(f, "Constante", [](AddConst &) {});
    EXPECT_EQ(f.ListView1->selectedPosition(), 501);
    EXPECT_TRUE(f.ListView1->viewport()->rect().intersects(f.ListView1->visualRect(f.ListView1->rows().index(500))));
    EXPECT_EQ(rowCommands(), "111");
    f.ListView1->rows().clear();
    EXPECT_EQ(rowCommands(), "000");

    // after a fact, the composer has the focus for the next one
    AddFactMain &composer = openComposer(f);
    activate(&composer);
    compose(composer.Option2, composer.Command1, [](AddFact &) {});
    EXPECT_TRUE(QTest::qWaitForWindowActive(&composer));
    EXPECT_EQ(QApplication::activeWindow(), &composer);
}
