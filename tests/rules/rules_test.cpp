// The rule composer, the fact editor and the action editor, driven through
// the real windows with small catalogues of their own.
#include "catalogues/records.h"
#include "document/plugfrm.h"
#include "document/publicvars.h"
#include "document/scriptlistview.h"
#include "rules/addact.h"
#include "rules/addfact.h"
#include "rules/addfactmain.h"
#include "testsupport.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QPlainTextEdit>

using namespace TestSupport;

namespace {
class Rules : public ::testing::Test
{
protected:
    Rules()
    {
        folder.write("Facts.txt", "|||---|||stock <ressource> <quantite>\r\nRéserve d'une ressource.\r\n"
                                  "|||---|||vrai (toujours vrai)\r\n|||---|||dit <texte>\r\n"
                                  "|||---|||quatre <ressource> <plage> <texte> <ressource>\r\n"
                                  "|||---|||trou <absent> <ressource>\r\n");
        folder.write("Acts.txt", "||--||lever <unite> <texte>\r\nLève des troupes.\r\n||--||attendre\r\n"
                                 "||--||sonner-tocsin (tous aux remparts)\r\n"
                                 "||--||trois <plage> <unite> <texte> <unite>\r\n");
        folder.write("Params.txt", "<ressource>\r\nble (blé)\r\nbois\r\n\r\npierre\r\n<quantite>\r\nNum 1 5\r\n<texte>\r\n"
                                   "textbox\r\n<unite>\r\npiquier\r\narcher (tireur)\r\n<plage>\r\nNum 0 9\r\n");
        folder.write("prepross.txt", "");
    }
    CatalogueFolder folder;
};
} // namespace

TEST_F(Rules, ComposerAppendsARuleRowByRow)
{
    PlugFrm &f = openEditor();
    AddFactMain &c = openComposer(f);

    compose(c.Option1, c.Command1);
    compose(c.Option2, c.Command1, [](AddFact &d) {
        EXPECT_EQ(d.Text2->toPlainText(), "Réserve d'une ressource."); // the first fact is chosen
        choose(d.combo_param_1, "bois");
        choose(d.combo_param_2, "3");
    });
    EXPECT_EQ(f.ListView1->selectedPosition(), 1); // a fact moves no selection
    compose(c.Option3, c.Command1);
    compose(c.Option2, c.Command1, [](AddFact &d) { choose(d.Combo1, "vrai (toujours vrai)"); });
    answerDialog<AddFact>([](AddFact &d) { // for the first option of the loop
        choose(d.Combo1, "dit <texte>");
        typeText(d.text_combo_1, "\"bonjour à tous\"");
        tick(d.Check1);
    });
    for (QRadioButton *option : {c.Option2, c.Option4, c.Option6, c.Option7, c.Option8, c.Option9, c.Option10,
                                 c.Option11, c.Option5})
        compose(option, c.Command1);

    EXPECT_EQ(rows(f), (QStringList{"FactB|Début de règle", "Fact|stock bois 3", "FactOB|Ou", "Fact|vrai",
                                    "Fact|Inverse de dit \"bonjour à tous\"", "FactOE|Fin de ou", "FactAB|Et pas",
                                    "FactAE|Fin de et pas", "FactTB|Tous", "FactTE|Fin de tous", "FactNB|Ni",
                                    "FactNE|Fin de ni", "FactE|Fin de règle"}));
    EXPECT_EQ(f.ListView1->selectedPosition(), 13);
    EXPECT_TRUE(c.isVisible()); // the composer stays open beside the list
}

TEST_F(Rules, ComposerInsertsBeforeTheSelectedRowAndFollowsTheSelection)
{
    PlugFrm &f = openEditor();
    AddFactMain &c = openComposer(f);
    // "Insérer" with no selected row adds nothing, whatever the option; no fact editor opens
    for (QRadioButton *option : {c.Option6, c.Option2})
        compose(option, c.Command3);
    EXPECT_EQ(f.ListView1->count(), 0);

    compose(c.Option1, c.Command1);
    compose(c.Option5, c.Command1);
    clickRow(f, 2); // R: "Fin de règle"
    compose(c.Option6, c.Command3);
    compose(c.Option7, c.Command3);
    compose(c.Option2, c.Command3, [](AddFact &d) { choose(d.combo_param_1, "ble (blé)"); });
    EXPECT_EQ(rows(f), (QStringList{"FactB|Début de règle", "FactAB|Et", "FactAE|Fin de et", "Fact|stock ble 1",
                                    "FactE|Fin de règle"}));
    EXPECT_EQ(f.ListView1->selectedPosition(), 5);

    // the user works in the main window meanwhile: the next click uses the new selection
    clickRow(f, 1);
    compose(c.Option3, c.Command3);
    EXPECT_EQ(rows(f).first(), "FactOB|Ou");
    EXPECT_EQ(f.ListView1->selectedPosition(), 2);
}

TEST_F(Rules, FactEditorLaysOutItsFieldsFromTheCatalogues)
{
    PlugFrm &f = openEditor();
    AddFactMain &c = openComposer(f);
    compose(c.Option2, c.Command1, [](AddFact &d) {
        // each field as shown: a list with its count, a text box, or nothing
        auto fields = [&d] {
            QStringList out;
            const QComboBox *lists[] = {d.combo_param_1, d.combo_param_2, d.combo_param_3, d.combo_param_4};
            const QLineEdit *texts[] = {d.text_combo_1, d.text_combo_2, d.text_combo_3, d.text_combo_4};
            for (int i = 0; i < 4; ++i)
                out << (!lists[i]->isHidden() ? QString::number(lists[i]->count()) : !texts[i]->isHidden() ? "T" : "-");
            return out.join(' ');
        };
        choose(d.Combo1, "quatre <ressource> <plage> <texte> <ressource>");
        EXPECT_EQ(fields(), "4 10 T 4"); // ble, bois, separator, pierre; 0 to 9; the fourth included
        // a separator entry moves the choice to the entry above
        d.combo_param_4->setCurrentIndex(2);
        EXPECT_EQ(d.combo_param_4->currentText(), "bois");
        // a shown text field left empty: a message, and the editor stays
        EXPECT_EQ(messageAfter(d.Command1), "Veuillez compléter tous les champs");
        EXPECT_TRUE(d.isVisible());
        typeText(d.text_combo_3, "x");
        choose(d.combo_param_2, "7");
        // another entry leaves nothing of the first's lists; a type missing from the catalogue gives no field
        choose(d.Combo1, "trou <absent> <ressource>");
        EXPECT_EQ(fields(), "- 4 - -");
        EXPECT_EQ(d.combo_param_3->count() + d.combo_param_4->count(), 0);
        EXPECT_EQ(d.combo_param_2->currentText(), "bois"); // the chosen ressource, kept
        choose(d.combo_param_2, "pierre");
    });
    EXPECT_EQ(rows(f), QStringList{"Fact|trou pierre"});
}

TEST_F(Rules, NumericRangesOfferEachNumberOnceAndFillBackFromEditedLines)
{
    // A type repeating the full 16-bit range, overlapping ranges, and listed
    // values after them.
    folder.write("Params.txt", "<entier>\r\n" + QString("Num -32768 32767\r\n").repeated(3)
                                   + "Num 0 5\r\naucun (rien)\r\n\r\ntous\r\n"
                                     "<recouvre>\r\nNum 1 5\r\nNum 3 8\r\nNum 10 12\r\nNum 0 11\r\nfin\r\n");
    folder.write("Facts.txt", "|||---|||plein <entier> <recouvre>\r\n");
    PlugFrm &f = openEditor();
    for (const char *row : {"plein aucun 9", "plein 32767 fin", "plein -32768 11", "plein 007 12"})
        f.insertRow(0, row, qRgb(128, 0, 128), LineKind::Fact);
    // each case: the edited row, then the entry each list shows at its position
    const std::tuple<int, const char *, const char *> cases[] = {
        {1, "aucun (rien)@65536", "9@12"},
        {2, "32767@65535", "fin@13"},
        {3, "-32768@0", "11@9"},
        {4, "007@-1", "12@10"}, // "007" is not how the list writes 7: it stays as written
    };
    for (const auto &[row, first, second] : cases) {
        edit(f, row, [first, second](AddFact &d) {
            EXPECT_EQ(d.combo_param_1->count(), 65536 + 3); // the numbers, "aucun", separator, "tous"
            auto at = [](QComboBox *c) { return c->currentText() + '@' + QString::number(c->currentIndex()); };
            EXPECT_EQ(at(d.combo_param_1), first);
            EXPECT_EQ(at(d.combo_param_2), second);
        });
    }
    EXPECT_EQ(f.ListView1->rows().text(4), "plein 007 12");

    // choosing as a user does: the separator moves to the entry above, and the
    // line reads the value part of the chosen entries
    AddFactMain &c = openComposer(f);
    compose(c.Option2, c.Command1, [](AddFact &d) {
        d.combo_param_1->setCurrentIndex(65537);
        EXPECT_EQ(d.combo_param_1->currentText(), "aucun (rien)");
        choose(d.combo_param_1, "-1");
        choose(d.combo_param_2, "fin");
    });
    EXPECT_TRUE(rows(f).contains("Fact|plein -1 fin")) << rows(f).join(" / ").toStdString();
}

TEST_F(Rules, CancelledFactsAddNothingAndTheComposerReleasesTheEditor)
{
    PlugFrm &f = openEditor();
    AddFactMain &c = openComposer(f);
    compose(c.Option2, c.Command1, [](AddFact &d) {
        tick(d.Check1);
        click(d.Command2); // Annuler
    });
    compose(c.Option2, c.Command1, [](AddFact &d) {
        EXPECT_FALSE(d.Check1->isChecked()); // a new fact starts plain
        d.close();                            // the close box counts as Annuler too
    });
    EXPECT_EQ(f.ListView1->count(), 0);
    AddFact *editor = AddFact::loaded();
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->Orderload);
    AddFact::unload(); // refused while held
    EXPECT_EQ(AddFact::loaded(), editor);

    // the composer's close box acts as "Femer": the editor is released
    c.close();
    QApplication::processEvents();
    EXPECT_FALSE(AddFactMain::loaded());
    EXPECT_FALSE(editor->Orderload);
    AddFact::unload();
    EXPECT_FALSE(AddFact::loaded());

    // held again, it goes with the editor window
    AddFactMain &again = openComposer(f);
    compose(again.Option2, again.Command1, [](AddFact &d) { d.close(); });
    ASSERT_TRUE(AddFact::loaded() && AddFact::loaded()->Orderload);
    f.close();
    QApplication::processEvents();
    EXPECT_FALSE(AddFact::loaded() || AddFactMain::loaded() || AddAct::loaded());
}

TEST_F(Rules, EditingAFactLineFillsTheEditorBack)
{
    PlugFrm &f = openEditor();
    for (const char *row : {"Inverse de quatre pierre 5 \"deux mots\" bois", "stock bois 2"})
        f.insertRow(0, row, qRgb(128, 0, 128), LineKind::Fact);

    edit(f, 1, [](AddFact &d) {
        EXPECT_TRUE(d.Check1->isChecked());
        EXPECT_EQ(d.Combo1->currentIndex(), 3);
        EXPECT_EQ(QStringList({d.combo_param_1->currentText(), d.combo_param_2->currentText(), d.text_combo_3->text(),
                               d.combo_param_4->currentText()}), (QStringList{"pierre", "5", "\"deux mots\"", "bois"}));
    });
    EXPECT_EQ(f.ListView1->rows().text(1), "Inverse de quatre pierre 5 \"deux mots\" bois"); // unchanged when confirmed as is
    EXPECT_FALSE(EditMod::EditingLine);

    edit(f, 2, [](AddFact &d) {
        EXPECT_FALSE(d.Check1->isChecked());
        EXPECT_EQ(d.combo_param_1->currentText() + ' ' + d.combo_param_2->currentText(), "bois 2");
        choose(d.combo_param_2, "4");
    });
    EXPECT_EQ(rows(f).value(1), "Fact|stock bois 4");
    EXPECT_FALSE(AddFact::loaded()->Orderload); // held by no composer
}

TEST_F(Rules, ActionsAreAddedAndEditedThroughTheActionEditor)
{
    PlugFrm &f = openEditor();
    add(f, "Action", [](AddAct &d) {
        EXPECT_EQ(d.Text1->toPlainText(), "Lève des troupes.");
        choose(d.combo_param_1, "archer (tireur)");
        // an empty typed value is refused as in the fact editor
        EXPECT_EQ(messageAfter(d.Command1), "Veuillez compléter tous les champs");
        typeText(d.text_combo_2, "deux mots"); // a text: written in double quotes
    });
    EXPECT_EQ(rows(f), QStringList{"Act|lever archer \"deux mots\""});
    f.setRowText(1, "lever archer deux mots"); // as a file may have it

    // inserted before the selected row; a header beyond three types keeps three
    clickRow(f, 1);
    click(f.Command1, [](AddAct &d) {
        choose(d.Combo1, "trois <plage> <unite> <texte> <unite>");
        choose(d.combo_param_1, "8");
        typeText(d.text_combo_3, "\"à l'aide\"");
    });
    EXPECT_EQ(rows(f), (QStringList{"Act|trois 8 piquier \"à l'aide\"", "Act|lever archer deux mots"}));
    EXPECT_EQ(f.ListView1->selectedPosition(), 2);

    // editing: the fields come back, a typed value with spaces only in quotes;
    // the value the header has no parameter for gets a field of its own,
    // which drops it when emptied
    click(f.Command3, [](AddAct &d) {
        EXPECT_EQ(QStringList({d.combo_param_1->currentText(), d.text_combo_2->text(), d.text_combo_3->text()}),
                  (QStringList{"archer (tireur)", "deux", "mots"}));
        d.text_combo_3->clear();
        d.text_combo_2->clear();
        d.text_combo_2->insert("\"deux\nmots\""); // a pasted line break becomes a blank
    });
    EXPECT_EQ(f.ListView1->rows().text(2), "lever archer \"deux mots\"");

    // an action whose header has a description but no parameter: the name alone
    click(f.Ajouter, [](AddAct &d) { choose(d.Combo1, "sonner-tocsin (tous aux remparts)"); });
    EXPECT_EQ(f.ListView1->rows().text(3), "sonner-tocsin");
}

TEST_F(Rules, UnreadableCataloguesAreNamedInOneMessage)
{
    for (const char *name : {"Facts.txt", "Params.txt", "prepross.txt"})
        QFile::remove(folder.dir.filePath(name));
    QString title, text;
    answerNextMessage(&title, &text);
    PlugFrm &f = openEditor();
    QTest::qWait(50);
    EXPECT_EQ(title, "Vardelo");
    EXPECT_TRUE(text.contains("« Facts.txt »") && text.contains("« Params.txt »") && text.contains("« prepross.txt »")
                && !text.contains("Acts.txt"))
        << text.toStdString();
    EXPECT_TRUE(f.isVisible());

    // the editors still open, empty: a fact with an empty catalogue is empty
    AddFactMain &c = openComposer(f);
    compose(c.Option2, c.Command1, [](AddFact &d) {
        EXPECT_EQ(d.Combo1->count(), 0);
        tick(d.Check1);
    });
    EXPECT_EQ(rows(f), QStringList{"Fact|Inverse de "});
}

TEST_F(Rules, TypedValuesNeverChangeTheLinesShape)
{
    PlugFrm &f = openEditor();
    AddFactMain &c = openComposer(f);
    compose(c.Option2, c.Command1, [](AddFact &d) {
        // a value with blanks in a list's parameter would count as several
        d.combo_param_2->setEditText("QUOTA INCONNUE");
        EXPECT_EQ(messageAfter(d.Command1), "La valeur «QUOTA INCONNUE» ne peut pas contenir d'espace: elle compterait "
                                            "pour plusieurs paramètres.");
        choose(d.Combo1, "dit <texte>");
        // the game has no way to write a double quote inside a text
        typeText(d.text_combo_1, "\"Avec \"guillemets\" dedans\"");
        EXPECT_EQ(messageAfter(d.Command1), "La valeur «\"Avec \"guillemets\" dedans\"» ne peut pas contenir de "
                                            "guillemets («\"») dans un texte: le jeu ne sait pas les écrire.");
        EXPECT_TRUE(d.isVisible());
        d.text_combo_1->clear();
        typeText(d.text_combo_1, "Bonjour a tous");
    });
    EXPECT_EQ(rows(f), QStringList{"Fact|dit \"Bonjour a tous\""});
}

// Choosing another entry keeps the values given whose parameter has the same
// type: at the same place, else the next of that type; the dialog says which
// it could not keep, and they come back with an entry that takes them.
TEST_F(Rules, AnotherEntryKeepsTheValuesOfTheSameType)
{
    PlugFrm &f = openEditor();
    AddFactMain &c = openComposer(f);
    compose(c.Option2, c.Command1, [](AddFact &d) {
        EXPECT_TRUE(d.LostValues->isHidden());
        choose(d.combo_param_1, "pierre");
        choose(d.combo_param_2, "3");
        choose(d.Combo1, "quatre <ressource> <plage> <texte> <ressource>");
        EXPECT_EQ(d.combo_param_1->currentText(), "pierre");
        EXPECT_EQ(d.combo_param_2->currentText(), "0"); // a plage is no quantite
        EXPECT_FALSE(d.LostValues->isHidden());
        EXPECT_EQ(d.LostValues->text(), "Valeurs que cette entrée ne peut pas reprendre: « 3 » (quantite).");
        typeText(d.text_combo_3, "x");
        choose(d.Combo1, "stock <ressource> <quantite>");
        EXPECT_EQ(d.combo_param_1->currentText() + ' ' + d.combo_param_2->currentText(), "pierre 3");
        EXPECT_EQ(d.LostValues->text(), "Valeurs que cette entrée ne peut pas reprendre: « x » (texte).");
        choose(d.Combo1, "trou <absent> <ressource>"); // the next ressource, in order
        EXPECT_EQ(d.combo_param_2->currentText(), "pierre");
    });
    EXPECT_EQ(rows(f), QStringList{"Fact|trou pierre"});

    // a misspelt name: the right entry found by the filter keeps every value
    f.insertRow(0, "Inverse de stok bois 4", qRgb(128, 0, 128), LineKind::Fact);
    edit(f, 2, [](AddFact &d) {
        typeText(d.FilterBox, "stock");
        EXPECT_EQ(d.Combo1->currentText(), "stock <ressource> <quantite>");
        EXPECT_EQ(d.combo_param_1->currentText() + ' ' + d.combo_param_2->currentText(), "bois 4");
        EXPECT_TRUE(d.LostValues->isHidden());
    });
    EXPECT_EQ(rows(f).value(1), "Fact|Inverse de stock bois 4");
}

// The fact editor from the keyboard: Tab passes the help it shows; Entrée
// chooses in a list's completion, and else confirms the dialog.
TEST_F(Rules, FactEditorKeysGoWhereTheUserExpects)
{
    PlugFrm &f = openEditor();
    AddFactMain &c = openComposer(f);
    compose(c.Option2, c.Command1, [](AddFact &d) {
        activate(&d);
        EXPECT_EQ(d.focusWidget(), d.FilterBox);
        press(&d, Qt::Key_Tab);
        EXPECT_EQ(d.focusWidget(), d.Combo1);
        press(&d, Qt::Key_Tab);
        EXPECT_NE(d.focusWidget(), d.Text2) << "Tab stops on the read-only help";
        EXPECT_TRUE(d.focusWidget() == d.combo_param_1 || d.focusWidget() == d.combo_param_1->lineEdit());
        // typing narrows the list; Entrée takes the completion, the next one confirms
        type(&d, "pie");
        QWidget *popup = d.combo_param_1->completer()->popup();
        ASSERT_TRUE(QTest::qWaitFor([popup] { return popup->isVisible(); }, 2000));
        press(&d, Qt::Key_Down);
        press(&d, Qt::Key_Return);
        EXPECT_FALSE(popup->isVisible());
        EXPECT_EQ(d.combo_param_1->currentText(), "pierre");
        EXPECT_TRUE(d.isVisible());
        press(&d, Qt::Key_Return);
        EXPECT_FALSE(d.isVisible()) << "the first Entrée after the choice did not confirm";
    });
    // a value typed whole, its completion still offered: Entrée confirms it
    compose(c.Option2, c.Command1, [](AddFact &d) {
        activate(&d);
        press(&d, Qt::Key_Tab);
        press(&d, Qt::Key_Tab);
        type(&d, "bois");
        QWidget *popup = d.combo_param_1->completer()->popup();
        ASSERT_TRUE(QTest::qWaitFor([popup] { return popup->isVisible(); }, 2000));
        press(&d, Qt::Key_Return);
        EXPECT_FALSE(d.isVisible()) << "the completion took the Entrée";
    });
    EXPECT_EQ(rows(f), (QStringList{"Fact|stock pierre 1", "Fact|stock bois 1"}));
}
