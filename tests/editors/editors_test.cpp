// The line editors driven through the real windows: constants, comments,
// loads, random loads and conditional loads (with the shipped symbols).
#include "catalogues/prepross.h"
#include "document/plugfrm.h"
#include "document/scriptlistview.h"
#include "editors/addcomm.h"
#include "editors/addconst.h"
#include "editors/addload.h"
#include "editors/addprepross.h"
#include "editors/addrandomload.h"
#include "rules/addact.h"
#include "testsupport.h"

#include <QClipboard>
#include <gmock/gmock.h>
#include <QMenu>
#include <QToolButton>

using namespace TestSupport;

namespace {
void setText(QLineEdit *box, const QString &text)
{
    box->clear();
    typeText(box, text);
}
const QString Breaks = "il couperait la ligne du script.";
} // namespace

TEST(ConstantEditor, ChecksTheValueThenAddsOrRewrites)
{
    PlugFrm &f = openEditor();
    add(f, "Constante", [](AddConst &d) {
        setText(d.Text1, "x");
        click(d.Command2);
    });
    // a cancelled add leaves the defaults for the next
    add(f, "Constante", [](AddConst &d) {
        EXPECT_EQ(d.Text1->text() + " = " + d.Text2->text(), "Ma_constante = 0");
        // no letter is dropped: a blank is refused with its reason, an accent kept
        setText(d.Text1, "seuil ble");
        EXPECT_EQ(d.Text1->text(), "seuil ble");
        EXPECT_EQ(messageAfter(d.Command1), "Le nom de la constante ne peut pas contenir d'espace: " + Breaks);
        setText(d.Text1, "ÉLAN");
        EXPECT_EQ(d.Text1->text(), "ÉLAN");
        // the refused character is named, as the other editors name it
        const std::pair<const char *, const char *> refused[] = {
            {"abc", "La valeur entrée doit être une valeur numérique!"},
            {"32768", "La valeur entrée doit être comprise entre -32768 et 32767!"},
            {"(3)", "ne peut pas contenir le caractère «(»"},
            {"\"abc ; def", "ouvre des guillemets («\"») sans les fermer"},
            {"\"a \"b\" c\"", "ne peut pas contenir de guillemets"}};
        for (const auto &[value, message] : refused) {
            setText(d.Text2, value);
            EXPECT_THAT(messageAfter(d.Command1).toStdString(), testing::HasSubstr(message)) << value;
            EXPECT_TRUE(d.isVisible());
        }
        setText(d.Text2, " 12.50 "); // kept exactly as typed
    });
    EXPECT_EQ(rows(f), QStringList{"Const|Constante: ÉLAN =  12.50 "});

    // editing: the fields come back, a value with " = " whole
    f.insertRow(0, "Constante: y = 1 = 2", qRgb(0, 0, 255), LineKind::Const);
    edit(f, 2, [](AddConst &d) {
        EXPECT_EQ(d.Text1->text() + " = " + d.Text2->text(), "y = 1 = 2");
        setText(d.Text2, "-32768");
    });
    EXPECT_EQ(rows(f), (QStringList{"Const|Constante: ÉLAN =  12.50 ", "Const|Constante: y = -32768"}));

    // the editors live hidden, and close with the editor window
    AddConst::unload();
    EXPECT_TRUE(AddConst::loaded());
    answerNextMessage(nullptr, nullptr, "Non"); // the unsaved rows
    f.close();
    QApplication::processEvents();
    EXPECT_FALSE(AddConst::loaded());
}

TEST(CommentEditor, PlacementsDependOnTheSelection)
{
    PlugFrm &f = openEditor();
    // no selected row: only the end of the list
    add(f, "Commentaire", [](AddComm &d) {
        EXPECT_TRUE(d.Option2->isChecked() && !d.Option1->isEnabled() && !d.Option3->isEnabled());
        // the invitation is no text: Entrée does not make it the comment
        EXPECT_EQ(messageAfter(d.Command1), "Veuilez entrer un commentaire!");
        typeText(d.Text1, "premier");
    });
    EXPECT_EQ(rows(f), QStringList{"Comm N|premier"});

    f.insertRow(0, "lever-troupes piquier 5", qRgb(0, 0, 0), LineKind::Act);
    clickRow(f, 1);
    // Insérer presets the end of the selected line
    insert(f, "Commentaire", [](AddComm &d) {
        EXPECT_TRUE(d.Option3->isChecked() && d.Option1->isEnabled());
        typeText(d.Text1, "défense");
    });
    // Ajouter presets the end of the list; Option1 goes right after the selected row
    add(f, "Commentaire", [](AddComm &d) {
        EXPECT_TRUE(d.Option2->isChecked());
        tick(d.Option1);
        d.Text1->setText("à part");
    });
    EXPECT_EQ(rows(f), (QStringList{"Comm N|premier", "Comm N|à part", "Comm E||-- défense",
                                    "Act|lever-troupes piquier 5"}));

    // editing a "Comm E" row as is keeps its single prefix; the options are hidden
    edit(f, 3, [](AddComm &d) {
        EXPECT_FALSE(d.Option1->isVisible());
        EXPECT_EQ(d.Text1->text(), "défense");
    });
    EXPECT_EQ(f.ListView1->rows().text(3), "|-- défense");
    // a pasted line break becomes a blank
    edit(f, 2, [](AddComm &d) {
        d.Text1->clear();
        QApplication::clipboard()->setText("deux\nlignes");
        d.Text1->paste();
        EXPECT_EQ(d.Text1->text(), "deux lignes");
    });
    EXPECT_EQ(f.ListView1->rows().text(2), "deux lignes");
    // adding afterwards shows the options again
    add(f, "Commentaire", [](AddComm &d) {
        EXPECT_TRUE(d.Option1->isVisible());
        d.close(); // the close box is "Annuler"
    });
    EXPECT_EQ(f.ListView1->count(), 4);
}

TEST(RandomLoadEditor, StepsThroughPossibilitiesTotalsThemAndRefusesBadCounts)
{
    PlugFrm &f = openEditor();
    add(f, "Chargement aléatoire", [](AddRandomLoad &d) {
        EXPECT_EQ(d.Text1->text(), "2");
        d.Text3->setText("/ia/a.per");
        typeText(d.Text4, "3x0");
        EXPECT_EQ(d.Text4->text(), "30"); // digits only
        EXPECT_EQ(messageAfter(d.Command2), "Une des valeurs introduite est fausse!"); // possibility 2 has no file
        // the arrows' buttons (their stops are in the keyboard tests)
        click(d.UpDown1Up);
        EXPECT_EQ(d.Text2->text() + d.Text3->text(), "2");
        d.Text3->setText("b.per");
        d.Text4->setText("80");
        EXPECT_EQ(d.Label4->text(), "Total: 110 % (plus de 100 %)");
        d.Text4->setText("70");
        EXPECT_EQ(d.Label4->text(), "Total: 100 %");
        click(d.UpDown1Down);
        EXPECT_EQ(d.Text3->text(), "/ia/a.per");
        for (const char *bad : {"0", "1000", "deux", ""}) {
            d.Text1->setText(bad);
            EXPECT_EQ(messageAfter(d.Command2), "Le nombre de possibilités doit être un nombre entier de 1 à 999.") << bad;
        }
        d.Text1->setText("3");
        click(d.UpDown1Up);
        click(d.UpDown1Up);
        d.Text3->setText("c.per"); // no percentage
        d.Text1->setText("2");     // lowered below the one on view
        click(d.UpDown1Up);
        EXPECT_EQ(d.Text2->text(), "3");
        d.Text1->setText("3");
    });
    EXPECT_EQ(rows(f), QStringList{"RLoad|/ia/a.per 30% b.per 70% c.per   "});

    // editing reads back every possibility, one without percentage included
    edit(f, 1, [](AddRandomLoad &d) {
        EXPECT_EQ(QStringList({d.Text1->text(), d.Text3->text(), d.Text4->text()}).join(' '), "3 /ia/a.per 30");
    });
    EXPECT_EQ(f.ListView1->rows().text(1), "/ia/a.per 30% b.per 70% c.per   ");
    // the reader's form of a possibility without percentage, then a lowered
    // count, which the total follows
    f.ListView1->rows().setText(1, "x y 50% ");
    edit(f, 1, [](AddRandomLoad &d) {
        EXPECT_EQ(d.Text1->text(), "2");
        EXPECT_TRUE(d.Text4->text().isEmpty());
        EXPECT_EQ(d.Label4->text(), "Total: 50 %");
        d.Text1->setText("1");
        EXPECT_EQ(d.Label4->text(), "Total: 0 %");
    });
    EXPECT_EQ(f.ListView1->rows().text(1), "x   ");
}

TEST(ConditionalEditor, TypesSymbolsAndSeparatorsAndTheDisplayMenuFiltersThem)
{
    PlugFrm &f = openEditor();
    add(f, "Chargement conditionnel", [](AddPrepross &d) {
        EXPECT_EQ(d.Combo1->currentText(), "Si");
        EXPECT_EQ(d.Combo2->count(), int(Prepross::SymbolTable.size()));
        // the first entry is a separator: the first symbol is chosen
        EXPECT_TRUE(d.Combo2->itemText(0).startsWith("----"));
        EXPECT_EQ(d.Combo2->currentIndex(), 1);
        d.Combo2->setCurrentIndex(0);
        EXPECT_EQ(messageAfter(d.Command1), "La sélection est invalide!");
        choose(d.Combo1, "Si inverse");
        choose(d.Combo2, "CARTE-ILES (îles séparées par la mer)");
    });
    add(f, "Chargement conditionnel", [](AddPrepross &d) {
        choose(d.Combo1, "Fin de si");
        EXPECT_TRUE(d.Combo2->isHidden() && d.Label2->isHidden());
    });
    EXPECT_EQ(rows(f), (QStringList{"Prép|Si inverse CARTE-ILES", "Prép|Fin de si"}));

    // inserted, the new line becomes the selected one
    clickRow(f, 2);
    insert(f, "Chargement conditionnel", [](AddPrepross &d) { choose(d.Combo1, "Sinon"); });
    EXPECT_EQ(rows(f)[1], "Prép|Sinon");
    EXPECT_EQ(f.ListView1->selectedPosition(), 2);

    // editing selects the line's type and symbol
    edit(f, 1, [](AddPrepross &d) {
        EXPECT_EQ(d.Combo1->currentText() + " " + d.Combo2->currentText(), "Si inverse CARTE-ILES (îles séparées par la mer)");
        choose(d.Combo1, "Si");
    });
    edit(f, 3, [](AddPrepross &d) {
        EXPECT_TRUE(d.Combo1->currentText() == "Fin de si" && d.Combo2->isHidden());
        click(d.Command2);
    });
    EXPECT_EQ(rows(f), (QStringList{"Prép|Si CARTE-ILES", "Prép|Sinon", "Prép|Fin de si"}));

    // the display menu filters the symbols by category and type
    AddPrepross &d = AddPrepross::instance();
    auto listed = [&] {
        QStringList out;
        for (int i = 0; i < d.Combo2->count(); ++i)
            if (Prepross::isSeparator(d.Combo2->itemText(i)))
                out << d.Combo2->itemText(i).mid(24).chopped(25);
        return out;
    };
    // the whole table first, the category no menu entry knows included
    EXPECT_TRUE(listed().contains("Options du tournoi"));
    d.ShowT6->trigger();
    d.ShowT7->trigger(); // Difficulté
    EXPECT_EQ(listed().join('/'), "Type de partie/Époque de départ/Ressources de départ/Taille de la carte/Type de carte/"
                                  "Limite de population/Verrouillage de la vitesse du jeu/Verrouillage des équipes/"
                                  "Civilisation du joueur");
    EXPECT_FALSE(d.ShowT[5]->isChecked());

    // a type entry hides its categories; the list changes at the next filtering
    d.ShowG1->trigger();
    EXPECT_TRUE(!d.ShowT[1]->isVisible() && !d.ShowT[7]->isVisible() && d.ShowT[0]->isVisible());
    EXPECT_TRUE(listed().contains("Époque de départ"));
    d.ShowT[0]->trigger(); // Type de partie off
    EXPECT_EQ(listed().join('/'), "Verrouillage de la vitesse du jeu/Verrouillage des équipes/Civilisation du joueur");

    // no category left visible hides the submenu; a type back shows it
    d.ShowG2->trigger();
    d.ShowL1->trigger();
    EXPECT_FALSE(d.SC->menuAction()->isVisible());
    d.ShowL1->trigger();
    EXPECT_TRUE(d.SC->menuAction()->isVisible());
    EXPECT_TRUE(d.ShowT[10]->isVisible());
    d.ShowL2->trigger();
    EXPECT_FALSE(d.ShowL2->isChecked());

    // editing a line whose symbol the filter hides: the whole table this time
    f.insertRow(0, "Si DIFFICULTE-FACILE", qRgb(255, 0, 0), LineKind::Prep);
    edit(f, 4, [](AddPrepross &p) { EXPECT_EQ(p.Combo2->currentText(), "DIFFICULTE-FACILE (facile)"); });
    EXPECT_EQ(f.ListView1->rows().text(4), "Si DIFFICULTE-FACILE");
    add(f, "Chargement conditionnel", [&](AddPrepross &p) {
        EXPECT_FALSE(listed().contains("Difficulté")); // filtered again
        click(p.Command2);
    });
}

TEST(LineEditors, LoadsAreWrittenAsTypedWhatWouldBreakTheScriptRefusedAndLongPastesKept)
{
    PlugFrm &f = openEditor();
    // a pasted name keeps its blanks, refused with the reason; a line break becomes a blank
    add(f, "Constante", [](AddConst &d) {
        d.Text1->clear();
        d.Text1->insert("a = b\nc");
        EXPECT_EQ(d.Text1->text(), "a = b c");
        EXPECT_EQ(messageAfter(d.Command1), "Le nom de la constante ne peut pas contenir d'espace: " + Breaks);
        d.Text1->setText("n(x);\"q\"");
        EXPECT_EQ(messageAfter(d.Command1), "Le nom de la constante ne peut pas contenir le caractère «(»: " + Breaks);
        d.Text1->clear();
        EXPECT_EQ(messageAfter(d.Command1), "Veuillez entrer le nom de la constante!");
        d.Text1->setText("accueil");
        d.Text2->setText("\"Bonjour ; à tous\""); // a text constant
    });
    add(f, "Action", [](AddAct &d) {
        choose(d.Combo1, "dire <Texte-Chat>");
        d.text_combo_1->setText("Bonjour ; salut");
        EXPECT_EQ(messageAfter(d.Command1), "La valeur «Bonjour ; salut» ne peut pas contenir le caractère «;» hors des "
                                            "guillemets: " + Breaks + " Un texte s'écrit entre guillemets (\"...\").");
        d.text_combo_1->setText("\"Bonjour ; salut\"");
    });
    add(f, "Chargement", [](AddLoad &d) {
        EXPECT_EQ(messageAfter(d.Command2), "Veuillez etrer une valeur ou cliquer sur annuler!");
        d.Text1->setText("/jeux/bad\"name;x(y).per");
        EXPECT_EQ(messageAfter(d.Command2), "Le nom du fichier chargé ne peut pas contenir le caractère «\"»: " + Breaks);
        d.Text1->setText("/jeux/mon fichier.v2.per"); // a loaded name is quoted: blanks are fine
        onNextModal([](QWidget *w) { static_cast<QDialog *>(w)->reject(); });
        click(d.Command1); // a cancelled chooser keeps the text
    });
    EXPECT_EQ(rows(f).value(2), "Load|/jeux/mon fichier.v2.per");
    // a changed name is written as typed, blanks around it dropped (as is,
    // the corpus test keeps every load)
    edit(f, 3, [](AddLoad &d) { d.Text1->setText(" commun\\\\outils.per "); });
    add(f, "Chargement aléatoire", [](AddRandomLoad &d) {
        for (const auto &[name, what] : {std::pair{"a;b", "le caractère «;»"}, {"mon script.per", "d'espace"}}) {
            d.Text3->setText(name);
            EXPECT_EQ(messageAfter(d.Command2), "Le nom du fichier de la possibilité 1 ne peut pas contenir "
                                                    + QString::fromUtf8(what) + ": " + Breaks);
        }
        click(d.Command3);
    });
    // a paste beyond the usual 32,767 characters is kept whole
    const QString longComment(40000, QLatin1Char('x'));
    add(f, "Commentaire", [&](AddComm &d) {
        d.Text1->clear();
        d.Text1->insert(longComment);
    });
    EXPECT_EQ(rows(f), (QStringList{"Const|Constante: accueil = \"Bonjour ; à tous\"", "Act|dire \"Bonjour ; salut\"",
                                    "Load|commun\\\\outils.per", "Comm N|" + longComment}));
}

using NewRows = EditorTest;

// A row a dialog makes is drawn as the rows of its kind read from a file,
// at once: a new load is not drawn in the conditional blocks' red.
TEST_F(NewRows, AreDrawnInTheirKindsColourAtOnce)
{
    PlugFrm &f = open("");
    add(f, "Chargement conditionnel", [](AddPrepross &) {}); // "Si" and the first symbol
    add(f, "Chargement", [](AddLoad &d) { d.Text1->setText("commun.per"); });
    add(f, "Chargement aléatoire", [](AddRandomLoad &d) {
        d.Text1->setText("1");
        d.Text3->setText("a.per");
    });
    add(f, "Commentaire", [](AddComm &d) { typeText(d.Text1, "note"); });
    add(f, "Chargement conditionnel", [](AddPrepross &d) { choose(d.Combo1, "Fin de si"); });
    const auto drawn = [&f] {
        QStringList colours;
        for (int row = 0; row < f.ListView1->model()->rowCount(); ++row)
            colours << drawnAs(f, row + 1).palette.color(QPalette::Text).name();
        return colours;
    };
    const QStringList made = drawn();
    ASSERT_EQ(made.size(), 5);
    EXPECT_NE(made[1], made[0]) << "a load drawn as a conditional row";
    ASSERT_TRUE(f.SaveFile_Click());
    EXPECT_EQ(drawn(), made);
    reopen();
    EXPECT_EQ(rows(f).size(), 5);
    EXPECT_EQ(drawn(), made);
}
