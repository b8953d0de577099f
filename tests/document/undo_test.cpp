// Annuler and Rétablir through the real window: every kind of change undone
// and redone on an opened script, down to the bytes saving would write, and
// the modified mark following the saved state.
#include "editors/addcomm.h"
#include "document/scriptdocument.h"
#include "editors/addconst.h"
#include "files/filetests.h"
#include "files/saveopen.h"
#include "rules/addfactmain.h"

using namespace TestSupport;
using namespace FileTests;

namespace {
// A rule the editor rewrites in its own layout once changed, and a load it
// cannot rewrite at all (kept as read, in italics).
const QByteArray Script = "; debut\r\n"
                          "(defconst  seuil 5)\r\n"
                          "(load \"x\" extra)\r\n"
                          "(defrule\r\n  (x 1)   ; pourquoi\r\n=>\r\n  (a)\r\n)\r\n";

using Undo = EditorTest;

// Everything the user sees of the rows, and what saving would write.
QStringList state(PlugFrm &f)
{
    QStringList s = rows(f);
    for (int pos = 1; pos <= s.size(); ++pos)
        s[pos - 1] += QString("|%1%2").arg(colourOf(f, pos), 0, 16).arg(italic(f, pos) ? "|i" : "");
    const ScriptModel &m = f.ListView1->rows();
    SaveOpen::SaveText saved;
    QString error;
    EXPECT_TRUE(SaveOpen::buildScriptBytes(m.lines(), m.source(), saved, error)) << error.toStdString();
    s << QString::fromLatin1(saved.bytes) << keptNote(f);
    return s;
}
} // namespace

TEST_F(Undo, EveryKindOfChangeComesBackExactlyAndGoesAgain)
{
    // a change, and the row selected after undoing it and after redoing it
    const std::tuple<const char *, std::function<void(PlugFrm &)>, int, int> cases[] = {
        {"add", [](PlugFrm &f) { add(f, "Ligne blanche"); }, 8, 9},
        {"insert into the rule",
         [](PlugFrm &f) { clickRow(f, 6); insert(f, "Constante", [](AddConst &d) { d.Text1->setText("plafond"); }); },
         6, 6},
        {"edit", [](PlugFrm &f) { edit(f, 1, [](AddComm &d) { d.Text1->setText("nouveau"); }); }, 1, 1},
        {"delete a part kept as read", [](PlugFrm &f) { clickRow(f, 3); messageAfter(f.Command4, "Oui"); }, 3, 3},
        {"composed rule",
         [](PlugFrm &f) {
             AddFactMain &c = openComposer(f);
             compose(c.Option1, c.Command1);
             compose(c.Option3, c.Command1);
             f.UndoEdit->trigger(); // while composing, a row at a time
             EXPECT_EQ(rows(f).last(), "FactB|Début de règle");
             compose(c.Option4, c.Command1);
             add(f, "Ligne blanche"); // from the window: part of the rule
             compose(c.Option5, c.Command1);
             c.close();
         },
         8, 12},
        {"rule left unfinished",
         [](PlugFrm &f) {
             AddFactMain &c = openComposer(f);
             compose(c.Option1, c.Command1);
             compose(c.Option3, c.Command1);
             c.close();
         },
         8, 10},
    };
    for (const auto &[name, change, shownAfterUndo, shownAfterRedo] : cases) {
        SCOPED_TRACE(name);
        PlugFrm &f = open(Script);
        EXPECT_FALSE(f.UndoEdit->isEnabled());
        const QStringList before = state(f);
        change(f);
        const QStringList after = state(f);
        ASSERT_NE(after, before);

        f.UndoEdit->trigger();
        EXPECT_EQ(state(f), before); // the bytes saving writes included
        EXPECT_FALSE(f.document().isModified());
        EXPECT_FALSE(f.UndoEdit->isEnabled()); // the whole change was one step
        EXPECT_EQ(f.ListView1->selectedPosition(), shownAfterUndo);

        f.RedoEdit->trigger();
        EXPECT_EQ(state(f), after);
        EXPECT_TRUE(f.document().isModified());
        EXPECT_FALSE(f.RedoEdit->isEnabled());
        EXPECT_EQ(f.ListView1->selectedPosition(), shownAfterRedo);
    }
}

TEST_F(Undo, TheKeysUndoAndRedoAndTheCommandsFollowTheHistory)
{
    PlugFrm &f = open("(defconst a 1)\r\n");
    add(f, "Ligne blanche");
    activate(&f);
    QWidget *list = f.ListView1;
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rows(f), QStringList{"Const|Constante: a = 1"});
    EXPECT_FALSE(f.UndoEdit->isEnabled());
    QTest::keyClick(list, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(f.ListView1->count(), 2);
    EXPECT_FALSE(f.RedoEdit->isEnabled());
    answerNextMessage(nullptr, nullptr, "Non");
    f.NewFile->trigger();
    EXPECT_FALSE(f.UndoEdit->isEnabled() || f.RedoEdit->isEnabled());
}
