// The commands on selected rows through the real window and keys: the
// clipboard as script text, duplicating, moving, and each one's undo.
#include "document/rowcommands.h"
#include "document/rowtexteditor.h"
#include "document/scriptdocument.h"
#include "files/filetests.h"
#include "files/saveopen.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QCompleter>

using namespace TestSupport;

namespace {
const QByteArray Script = "(defconst seuil 5)\r\n"
                          "(defrule\r\n  (stock ble < seuil)\r\n=>\r\n  (acheter ble)\r\n)\r\n"
                          "(load \"x\")\r\n";
const QByteArray Rule = "(defrule\r\n  (stock ble < seuil)\r\n=>\r\n  (acheter ble)\r\n)\r\n";

using RowCommandsTest = EditorTest;

QByteArray saved(PlugFrm &f)
{
    SaveOpen::SaveText text;
    QString error;
    EXPECT_TRUE(f.document().bytes(text, error)) << error.toStdString();
    return text.bytes;
}

QString clipboard() { return QGuiApplication::clipboard()->text(); }

QList<int> selectedRows(PlugFrm &f)
{
    QList<int> rows;
    for (const QModelIndex &i : f.ListView1->selectionModel()->selectedRows())
        rows << i.row() + 1;
    std::sort(rows.begin(), rows.end());
    return rows;
}

void key(PlugFrm &f, Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    press(&f, k, modifiers);
}
} // namespace

// Copy a rule, paste it twice, move a copy up: each step undoes alone.
TEST_F(RowCommandsTest, ARuleCopiedPastedTwiceAndMovedUpUndoesStepByStep)
{
    PlugFrm &f = open(Script);
    activate(&f);
    const QStringList original = rows(f);
    clickRow(f, 5); // its end stands for the whole rule
    key(f, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard(), QString::fromLatin1(Rule));
    EXPECT_EQ(rows(f), original);

    clickRow(f, 6);
    key(f, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(rows(f).size(), 10);
    EXPECT_EQ(selectedRows(f), (QList<int>{6, 7, 8, 9}));
    const QStringList once = rows(f);
    key(f, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(rows(f).mid(5, 8), original.mid(1, 4) + original.mid(1, 4));
    const QStringList twice = rows(f);

    // up past the rule, then past the constant
    key(f, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(selectedRows(f), (QList<int>{2, 3, 4, 5}));
    key(f, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(selectedRows(f), (QList<int>{1, 2, 3, 4}));
    EXPECT_EQ(rows(f)[4], original[0]);
    key(f, Qt::Key_Up, Qt::AltModifier); // already first: nothing
    EXPECT_EQ(rows(f)[4], original[0]);
    // the parts read stay as read; the copies take the file's layout
    EXPECT_EQ(saved(f), Rule + "(defconst seuil 5)\r\n" + Rule + Rule + "(load \"x\")\r\n");

    const QStringList movedOnce = QStringList(twice.mid(0, 1)) + twice.mid(5, 4) + twice.mid(1, 4) + twice.mid(9);
    for (const QStringList &expected : {movedOnce, twice, once, original}) {
        key(f, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(rows(f), expected);
    }
    EXPECT_EQ(saved(f), Script);
    EXPECT_FALSE(f.document().isModified());
    key(f, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(rows(f), once);
}

TEST_F(RowCommandsTest, SeveralRowsSelectedAreCutDuplicatedAndDeletedEachAsOneStep)
{
    PlugFrm &f = open(Script);
    activate(&f);
    const QStringList original = rows(f);

    // Maj+Bas reaches the rule's start: the whole rule goes with it
    clickRow(f, 1);
    key(f, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selectedRows(f), (QList<int>{1, 2}));
    key(f, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(rows(f), original.mid(5));
    EXPECT_EQ(clipboard(), QString::fromLatin1(Script).section("\r\n", 0, 5) + "\r\n");
    key(f, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rows(f), original);

    // Ctrl and a click add a row apart
    clickRow(f, 1);
    QTest::mouseClick(f.ListView1->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      f.ListView1->visualRect(f.ListView1->rows().index(5)).center());
    EXPECT_EQ(selectedRows(f), (QList<int>{1, 6}));
    key(f, Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(rows(f), QStringList(original.mid(0, 1)) + original.mid(0, 5) + original.mid(5) + original.mid(5));
    EXPECT_EQ(selectedRows(f), (QList<int>{2, 8}));
    EXPECT_EQ(saved(f), "(defconst seuil 5)\r\n(defconst seuil 5)\r\n" + Rule + "(load \"x\")\r\n(load \"x\")\r\n");
    key(f, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rows(f), original);

    // Suppr takes every selected row at once
    clickRow(f, 3);
    key(f, Qt::Key_Down, Qt::ShiftModifier);
    key(f, Qt::Key_Delete);
    EXPECT_EQ(rows(f), QStringList(original.mid(0, 2)) + original.mid(4));
    key(f, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rows(f), original);

    // an action does not go up among the facts
    clickRow(f, 4);
    key(f, Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(rows(f), original);
    key(f, Qt::Key_Down, Qt::AltModifier); // nor out of its rule
    EXPECT_EQ(rows(f), original);
    EXPECT_FALSE(f.UndoEdit->isEnabled());
}

TEST_F(RowCommandsTest, ScriptTextFromElsewherePastesAsRowsWhereItFitsAndOtherTextIsRefused)
{
    PlugFrm &f = open(Script);
    activate(&f);
    const QStringList original = rows(f);

    QGuiApplication::clipboard()->setText("(defconst plafond 9)\n; note\n");
    clickRow(f, 1);
    key(f, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(rows(f).mid(0, 2), QStringList({"Const|Constante: plafond = 9", "Comm N| note"}));

    // in a rule: read as its actions, indented as the file indents them
    QGuiApplication::clipboard()->setText("(vendre bois)");
    clickRow(f, 6);
    key(f, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(rows(f)[5], "Act|vendre bois");
    EXPECT_EQ(saved(f), "(defconst plafond 9)\r\n; note\r\n(defconst seuil 5)\r\n(defrule\r\n  (stock ble < seuil)\r\n"
                        "=>\r\n  (vendre bois)\r\n  (acheter ble)\r\n)\r\n(load \"x\")\r\n");
    const QStringList pasted = rows(f);

    // no form, or a fact outside a rule: refused with the reason, nothing changed
    for (const char *text : {"bonjour a tous", "(stock ble < 3)"}) {
        QGuiApplication::clipboard()->setText(text);
        activate(&f); // back from the message box
        clickRow(f, 1);
        const QString message = messageDuring([&f] { key(f, Qt::Key_V, Qt::ControlModifier); });
        EXPECT_TRUE(message.startsWith("Le texte du presse-papiers ne peut pas être collé.")) << message.toStdString();
        EXPECT_TRUE(message.contains("n'est ni une règle")) << message.toStdString();
        EXPECT_EQ(rows(f), pasted);
    }
    activate(&f);
    key(f, Qt::Key_Z, Qt::ControlModifier);
    key(f, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rows(f), original);
}

namespace {
// A key as the user's reaches the field: through the completion list while
// it shows.
void typeKey(RowTextEditor *editor, Qt::Key k)
{
    QWidget *popup = editor->completer()->popup();
    QTest::keyClick(popup->isVisible() ? popup : static_cast<QWidget *>(editor), k);
}
} // namespace

TEST_F(RowCommandsTest, F2TypesARowWithCompletionAndEntreeTakesOnlyTextThatFitsThere)
{
    PlugFrm &f = open(Script);
    activate(&f);
    const QStringList original = rows(f);

    clickRow(f, 3);
    key(f, Qt::Key_F2);
    RowTextEditor *editor = f.rowCommands().textEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "(stock ble < seuil)");
    EXPECT_EQ(QApplication::focusWidget(), editor);

    // the fact's first value from its type, the constant from the script
    editor->clear();
    QTest::keyClicks(editor, "(stock bo");
    ASSERT_TRUE(editor->completer()->popup()->isVisible());
    typeKey(editor, Qt::Key_Return);
    EXPECT_EQ(editor->text(), "(stock bois");
    QTest::keyClicks(editor, " < seu");
    ASSERT_TRUE(editor->completer()->popup()->isVisible());
    typeKey(editor, Qt::Key_Return);
    QTest::keyClicks(editor, ")");
    EXPECT_EQ(editor->text(), "(stock bois < seuil)");
    typeKey(editor, Qt::Key_Return);
    EXPECT_EQ(f.rowCommands().textEditor(), nullptr);
    EXPECT_EQ(rows(f)[2], "Fact|stock bois < seuil");
    EXPECT_EQ(saved(f), QByteArray(Script).replace("ble < seuil", "bois < seuil"));
    activate(&f); // back from the completion list
    key(f, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(saved(f), Script);

    // a fact where a constant stands: refused, the text stays; Echap cancels
    clickRow(f, 1);
    key(f, Qt::Key_F2);
    editor = f.rowCommands().textEditor();
    ASSERT_NE(editor, nullptr);
    editor->clear();
    QTest::keyClicks(editor, "(stock ble < 3)");
    const QString message = messageDuring([&] { typeKey(editor, Qt::Key_Return); });
    EXPECT_TRUE(message.startsWith("Ce texte ne peut pas remplacer la ligne.")) << message.toStdString();
    ASSERT_EQ(f.rowCommands().textEditor(), editor);
    EXPECT_EQ(editor->text(), "(stock ble < 3)");
    activate(&f); // back from the message box
    EXPECT_EQ(QApplication::focusWidget(), editor);
    typeKey(editor, Qt::Key_Escape);
    EXPECT_EQ(f.rowCommands().textEditor(), nullptr);
    EXPECT_EQ(rows(f), original);

    // a load typed over the constant: another kind that fits there, one step
    key(f, Qt::Key_F2);
    editor = f.rowCommands().textEditor();
    ASSERT_NE(editor, nullptr);
    editor->clear();
    QTest::keyClicks(editor, "(load \"y\")");
    typeKey(editor, Qt::Key_Return);
    EXPECT_EQ(rows(f)[0], "Load|y");
    key(f, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rows(f), original);
    EXPECT_FALSE(f.document().isModified());

    // a rule's structure is not typed
    clickRow(f, 2);
    key(f, Qt::Key_F2);
    EXPECT_EQ(f.rowCommands().textEditor(), nullptr);
}

TEST_F(RowCommandsTest, F2OffersTheConstantsOfTheAisOtherFiles)
{
    writeFile(dir.filePath("autre.per"), "(defconst plafond-ble 300)\r\n");
    PlugFrm &f = open("(load \"autre\")\r\n(defrule\r\n  (stock ble < 3)\r\n=>\r\n  (acheter ble)\r\n)\r\n");
    activate(&f);
    clickRow(f, 3);
    key(f, Qt::Key_F2);
    RowTextEditor *editor = f.rowCommands().textEditor();
    ASSERT_NE(editor, nullptr);
    editor->clear();
    QTest::keyClicks(editor, "(stock ble < plaf");
    ASSERT_TRUE(editor->completer()->popup()->isVisible());
    typeKey(editor, Qt::Key_Return);
    QTest::keyClicks(editor, ")");
    typeKey(editor, Qt::Key_Return);
    EXPECT_EQ(rows(f)[2], "Fact|stock ble < plafond-ble");
}
