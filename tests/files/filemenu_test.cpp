#include "filetests.h"
#include "document/scriptdocument.h"
#include "files/createaifrm.h"
#include "shell/options.h"

#include <QScrollBar>

using namespace TestSupport;
using namespace FileTests;

using FileMenu = EditorTest;

TEST_F(FileMenu, OpeningShowsThePartsKeptAsReadWithoutAMessage)
{
    const QByteArray bytes = "(defconst a 1)\n(load \"x\" extra)\n(defrule\n(x 1)\n=>\n(a)\n)\n#load-if-defined A B\n";
    PlugFrm &f = open(bytes);
    QTest::qWait(20);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr); // no message on opening
    EXPECT_EQ(rows(f), (QStringList{"Const|Constante: a = 1", "Load|x", "FactB|Début de fait", "Fact|x 1", "Act|a",
                                    "FactE|Fin de règle", "Prép|Si A"}));
    EXPECT_EQ(keptNote(f), "2 parties du script sont conservées telles qu'elles ont été lues (en italique): "
                           "l'éditeur ne pourrait pas les réécrire sans en changer le contenu.");
    for (int pos = 1; pos <= 7; ++pos) {
        EXPECT_EQ(italic(f, pos), pos == 2 || pos == 7) << pos;
        EXPECT_EQ(tooltip(f, pos).isEmpty(), !italic(f, pos)) << pos;
    }
    EXPECT_EQ(tooltip(f, 2), "Cette partie du script (ligne 2 du fichier) est conservée telle qu'elle a été lue: "
                             "l'éditeur ne peut pas la réécrire sans en changer le contenu.\n"
                             "Ce qui serait perdu ou changé:\nligne 2: (load \"x\" extra)");
    EXPECT_TRUE(tooltip(f, 7).startsWith("Cette partie du script (ligne 8 du fichier)")) << tooltip(f, 7).toStdString();
    EXPECT_EQ(contents(path), bytes); // untouched

    // a file the editor rewrites whole: no note
    open("(defconst a 1)\n");
    EXPECT_EQ(keptNote(f), "");
    EXPECT_FALSE(italic(f, 1));
}

TEST_F(FileMenu, CompanionPolicyAskRemembersTheAnswer)
{
    PlugFrm &f = editor();
    Options::CompanionFilePolicy = 2;
    chooseFile(dir.filePath("ia.per")); // the first save asks where
    trigger(f.SaveFile, [](CreateAIFrm &ask) {
        ask.Check1->setChecked(true);
        click(ask.Command1); // Oui
    });
    EXPECT_TRUE(QFile::exists(dir.filePath("ia.ai")));
    EXPECT_EQ(Options::CompanionFilePolicy, 1);
}

TEST_F(FileMenu, AScriptOpensAtItsTop)
{
    QByteArray lines;
    for (int i = 0; i < 400; ++i)
        lines += "; ligne\r\n";
    PlugFrm &f = open(lines);
    f.ListView1->selectRow(400);
    ASSERT_GT(f.ListView1->verticalScrollBar()->value(), 0);
    open(lines);
    EXPECT_EQ(f.ListView1->verticalScrollBar()->value(), 0);
    f.ListView1->selectRow(400);
    f.NewFile->trigger();
    EXPECT_EQ(f.ListView1->verticalScrollBar()->value(), 0);
}
