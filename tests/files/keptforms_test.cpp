// Parts kept as read through the window: the question before changing one,
// and rows without an editor. (Their bytes are tested on the document.)
#include "filetests.h"
#include "document/scriptdocument.h"
#include "editors/addcomm.h"
#include "rules/addfact.h"
#include "rules/addfactmain.h"

using namespace TestSupport;
using namespace FileTests;

namespace {
class KeptForms : public EditorTest
{
protected:
    // Fichier > Enregistrer, the blocks left open saved as they are; the bytes written.
    QByteArray save(PlugFrm &f)
    {
        answerNextMessage(nullptr, nullptr, "Oui");
        f.SaveFile->trigger();
        EXPECT_FALSE(f.document().isModified());
        return contents(path);
    }
};

// Editer on a comment row; the comment editor gets text ("" cancels).
void editComment(PlugFrm &f, int pos, const QString &text)
{
    edit(f, pos, [text](AddComm &d) { text.isEmpty() ? d.reject() : d.Text1->setText(text); });
}

const QString Question = "\n\nLa modifier la fera réécrire dans la mise en forme de l'éditeur. Voulez-vous continuer ?";
} // namespace

TEST_F(KeptForms, APartKeptAsReadIsChangedOnlyAfterAYes)
{
    const QByteArray load = "(load \"x\" extra)\n";
    const QByteArray directive = "#load-if-defined A B\n";
    const QByteArray commented = "(load \"y\"\n  extra) ; pourquoi\n";
    const QByteArray rest = "(defconst a 1)\n";
    const QByteArray bytes = load + directive + commented + rest;
    PlugFrm &f = open(bytes);
    ASSERT_EQ(rows(f), (QStringList{"Load|x", "Prép|Si A", "Load|y", "Comm E||--  pourquoi", "Const|Constante: a = 1"}));
    EXPECT_TRUE(keptNote(f).startsWith("3 parties")) << keptNote(f).toStdString();

    // Non, whatever the command, leaves the rows and the file as they were
    clickRow(f, 1);
    EXPECT_EQ(messageAfter(f.Command4, "Non"), "Cette partie du script (ligne 1 du fichier) est conservée telle qu'elle a "
                                                "été lue: l'éditeur ne peut pas la réécrire sans en changer le contenu.\n"
                                                "Ce qui serait perdu ou changé:\nligne 1: (load \"x\" extra)" + Question);
    clickRow(f, 4);
    const QString question = messageAfter(f.Command3, "Non"); // no comment editor opens
    EXPECT_TRUE(question.startsWith("Cette partie du script (lignes 3 à 4 du fichier)")) << question.toStdString();
    clickRow(f, 3);
    answerDialog<AddComm>([](AddComm &d) {
        EXPECT_TRUE(d.Option3->isChecked()); // Insérer: the end of the selected row's line
        d.Text1->setText("fin de ligne");
    });
    answerNextMessage(nullptr, nullptr, "Non");
    insert(f, "Commentaire");
    AddFactMain &c = openComposer(f);
    clickRow(f, 4);
    answerNextMessage(nullptr, nullptr, "Non");
    compose(c.Option8, c.Command3);
    EXPECT_EQ(rows(f), (QStringList{"Load|x", "Prép|Si A", "Load|y", "Comm E||--  pourquoi", "Const|Constante: a = 1"}));
    EXPECT_FALSE(f.document().isModified());
    for (int pos = 1; pos <= 4; ++pos)
        EXPECT_TRUE(italic(f, pos)) << pos;
    EXPECT_EQ(save(f), bytes);

    // Oui is remembered for that part (until the next opening: the
    // document's tests), even when the editor is then cancelled
    answerNextMessage(nullptr, nullptr, "Oui");
    editComment(f, 4, "");
    EXPECT_TRUE(italic(f, 4));
    EXPECT_FALSE(f.document().isModified());
    editComment(f, 4, "autre raison"); // no question
    EXPECT_EQ(f.ListView1->rows().text(4), "|-- autre raison");
    EXPECT_FALSE(italic(f, 3) || italic(f, 4));
    EXPECT_TRUE(keptNote(f).startsWith("2 parties")) << keptNote(f).toStdString();
    // the comment's own text alone is written anew
    EXPECT_EQ(save(f), load + directive + "(load \"y\"\n  extra) ;autre raison\n" + rest);

    for (const char *note : {"Une partie du script est conservée telle qu'elle a été lue (en italique): "
                             "l'éditeur ne pourrait pas la réécrire sans en changer le contenu.",
                             ""}) {
        clickRow(f, 1);
        messageAfter(f.Command4, "Oui");
        EXPECT_EQ(keptNote(f), QString::fromUtf8(note));
    }
    EXPECT_EQ(rows(f), (QStringList{"Load|y", "Comm E||-- autre raison", "Const|Constante: a = 1"}));
}

TEST_F(KeptForms, RowsWithoutAnEditorAskNothingWhenEdited)
{
    // "(not x)" would be written "(not (x))": the rule is kept as read
    PlugFrm &f = open("(defrule\n(not x)\n=>\n(a)\n)\n");
    ASSERT_TRUE(italic(f, 1));
    bool asked = false;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            asked = true;
            w->close();
        }
    });
    guard.start(20);
    for (int pos : {1, 4}) { // the rule's start and end have no editor
        edit(f, pos);
    }
    QTest::qWait(60);
    EXPECT_FALSE(asked);
    EXPECT_FALSE(f.document().isModified());
    EXPECT_TRUE(italic(f, 1));
}

// A hand-written, tab-indented rule with comments at every place: no part
// is kept as read, and two edits through the fact editor change exactly
// their two lines, with no question asked.
TEST_F(KeptForms, EditsThroughTheDialogsChangeOnlyTheirLines)
{
    const QByteArray head = "; defense\r\n(defrule\r\n";
    const QByteArray rest = "=> ; repli\r\n;\t(former piquier)\r\n\t(envoyer-serfs ble 3)\r\n)\r\n";
    PlugFrm &f = open(head + "\t(stock ble > 50)\t; assez\r\n\t(or (serfs-oisifs) ; proche\r\n"
                             "\t    (peut-changer-d-epoque))\r\n" + rest);
    EXPECT_EQ(keptNote(f), "");
    for (int pos = 1; pos <= f.ListView1->rows().count(); ++pos)
        EXPECT_FALSE(italic(f, pos)) << pos;
    ASSERT_EQ(f.ListView1->rows().text(3), "stock ble > 50");
    edit(f, 3, [](AddFact &d) { choose(d.combo_param_3, "60"); });
    ASSERT_EQ(f.ListView1->rows().text(6), "serfs-oisifs");
    edit(f, 6, [](AddFact &d) { tick(d.Check1); });
    EXPECT_EQ(save(f), head + "\t(stock ble > 60)\t; assez\r\n\t(or (not (serfs-oisifs)) ; proche\r\n"
                              "\t    (peut-changer-d-epoque))\r\n" + rest);
}
