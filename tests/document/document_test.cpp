// The script as a document, without a window: reading, the modified state
// and the undo history's saved point, consent to change kept parts, saving.
#include "coresupport.h"
#include "document/scriptdocument.h"
#include "files/saveopen.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace TestSupport;

namespace {
// A rule the editor rewrites in its own layout once changed, and a load it
// cannot rewrite at all (kept as read).
const QByteArray Script = "; debut\r\n"
                          "(defconst  seuil 5)\r\n"
                          "(load \"x\" extra)\r\n"
                          "(defrule\r\n  (x 1)   ; pourquoi\r\n=>\r\n  (a)\r\n)\r\n";

class Document : public ::testing::Test
{
protected:
    // The document with path read.
    void open(const QByteArray &bytes)
    {
        writeFile(path, bytes);
        QString error;
        ASSERT_TRUE(doc.open(path, error)) << error.toStdString();
    }
    QByteArray save()
    {
        QString error;
        EXPECT_TRUE(doc.save(error)) << error.toStdString();
        return contents(path);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("ia.per");
    ScriptDocument doc;
};
} // namespace

TEST_F(Document, ReadsSavesUntouchedPartsAsReadAndChangedOnesInLayout)
{
    QSignalSpy files(&doc, &ScriptDocument::fileChanged);
    open(Script);
    EXPECT_EQ(doc.currentFile(), path);
    EXPECT_EQ(files.count(), 1);
    EXPECT_FALSE(doc.isModified());
    EXPECT_EQ(save(), Script);

    // one row changed: its part alone is written in the editor's layout
    doc.rows().setText(2, "Constante: seuil = 6");
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(save(), QByteArray(Script).replace("(defconst  seuil 5)", "(defconst seuil 6)"));
    EXPECT_FALSE(doc.isModified());

    // saved elsewhere, that file becomes the current one
    const QString other = dir.filePath("autre.per");
    QString error;
    ASSERT_TRUE(doc.saveAs(other, error));
    EXPECT_EQ(doc.currentFile(), other);
    EXPECT_EQ(contents(other), contents(path));
}

// Untouched parts save as read, whatever their line ends, spacing or
// encoding; a new part takes the file's line ends and encoding.
TEST_F(Document, UntouchedPartsKeepTheirBytesAndNewOnesTheFilesConventions)
{
    const QByteArray untouched[] = {
        "; debut\r(defconst seuil 5)\r\r(defrule\r  (x 1)\r=>\r  (a)\r)\r", "(defconst a 1)\r\n  ;  fin  ",
        "\t(defconst   a\t1)   \n(defrule\t(x   1)  ;  pourquoi  \n\t\t=> (a\t2)   )\n   \n  ;  decale\n",
        "\xEF\xBB\xBF; \xC3\xA9t\xC3\xA9\r\n(defconst a 1)\r\n",
        "; \xE9t\xE9\r\n(defrule\r\n(dire \"caf\xE9\" \x80)\r\n=>\r\n(a)\r\n)\r\n",
        "(load \"x\" extra)\n#load-if-defined A B\n(DEFRULE (and (x 1) (nor (y 2))) => (b))\n(defrule\n(x 1)\n=>\n(a)\n"
        ") ) stray text\n(load-random 50 \"a\" oops)\n",
        ""};
    for (const QByteArray &bytes : untouched) {
        open(bytes);
        EXPECT_EQ(save(), bytes);
    }
    const auto added = [this](LineKind kind, const char *text) {
        doc.rows().setKind(doc.rows().addRow(QString::fromUtf8(text)), kind);
        return save();
    };
    for (const QByteArray end : {"\r\n", "\n", "\r"}) {
        const QByteArray before = "(defconst a 1)" + end + "(defconst b 2)";
        open(before + end);
        EXPECT_EQ(added(LineKind::CommN, "fin"), before + end + ";fin" + end);
        open(before); // no line end at the end: none after the new part either
        EXPECT_EQ(added(LineKind::Const, "Constante: Ma_constante = 0"), before + end + "(defconst Ma_constante 0)");
    }
    // a UTF-8 file stays UTF-8, with or without its mark; any other is the game's code page
    for (const QByteArray mark : {"", "\xEF\xBB\xBF"}) {
        open(mark + "; \xC3\xA9t\xC3\xA9\n");
        EXPECT_EQ(added(LineKind::CommN, "crème 中"), mark + "; \xC3\xA9t\xC3\xA9\n;cr\xC3\xA8me \xE4\xB8\xAD\n");
    }
    open("; \xE9t\xE9\n");
    EXPECT_EQ(added(LineKind::CommN, "crème"), "; \xE9t\xE9\n;cr\xE8me\n");
}

TEST_F(Document, AChangeRewritesOnlyItsOwnRows)
{
    const QByteArray head = ";  en-tete\r\n(defconst  seuil   5)\r\n";
    const QByteArray rule = "(defrule\r\n    (x 1)   ; pourquoi\r\n    (y 2)\r\n  =>\r\n    (a)\r\n)\r\n";
    const QByteArray tail = "(defrule (z 3) => (b))\r\n";
    open(head + rule + tail);
    ScriptModel &m = doc.rows();
    ASSERT_EQ(m.text(6), "y 2");
    m.removeRow(6);
    const QByteArray shorter = QByteArray(rule).replace("    (y 2)\r\n", "");
    EXPECT_EQ(save(), head + shorter + tail);
    m.setText(1, QString::fromUtf8("nouvel en-tête"));
    const QByteArray newHead = ";nouvel en-t\xEAte\r\n(defconst  seuil   5)\r\n";
    EXPECT_EQ(save(), newHead + shorter + tail);
    // at the first row of a part: a part of its own, between the others
    m.setKind(m.addRow("", 8), LineKind::BL);
    EXPECT_EQ(save(), newHead + shorter + "\r\n" + tail);
    // strictly inside a part: joins it, on a line of its own with the
    // file's indentation, the rest of the line after it
    m.setKind(m.addRow("ajout", 11), LineKind::CommN);
    EXPECT_EQ(save(), newHead + shorter + "\r\n" + "(defrule (z 3)\r\n    ;ajout\r\n=> (b))\r\n");
}

namespace {
// Scripts as their authors write them: a comment between "=>" and the first
// action, an end comment on the "=>" line, comments inside an element over
// several lines, tabs or spaces. "|" stands for the line end.
const char *const Layouts[] = {
    "; ouverture||(defrule|\t(stock ble > 50)\t; assez|\t(or (ennemi-proche) ; proche|\t    (village-attaque))|=>|"
    ";\t(former piquier)|\t(envoyer-serfs ble 3)|\t(dire \"ok ; oui\"))|(defconst  seuil\t7)|",
    "(defrule|    (stock bois > 10)|    (not (paix))|=> ; repli|    (construire mur)|    (disable-self)|)|",
    "(defrule|  (stock ble ; seuil|     > 9)|  (temps > 3)|=>|  (envoyer ; qui|     serfs)|  (attendre 5))|",
};

// Lines k to k + n - 1 of a layout (from 1) replaced by the lines of with
// ("" drops them).
QByteArray withLines(const char *layout, int k, int n, const char *with)
{
    QList<QByteArray> lines = QByteArray(layout).split('|');
    lines.remove(k - 1, n);
    if (*with)
        lines.insert(k - 1, with);
    return lines.join('|');
}
} // namespace

// Each edit changes exactly the lines of the rows it touches, whatever the
// line ends; undoing it gives the file back as read.
TEST_F(Document, AnEditChangesOnlyTheLinesOfItsRows)
{
    struct Edit {
        int layout;
        char op; // 't' text, 'k' kind and text, 'i' inserted, 'd' deleted
        int row;
        LineKind kind;
        const char *text;
        int line, lines;  // the lines that change
        const char *with; // their lines now
    };
    const Edit edits[] = {
        {0, 't', 4, LineKind::Fact, "stock ble > 60", 4, 1, "\t(stock ble > 60)\t; assez"},
        {0, 'k', 7, LineKind::Fact, "Inverse de ennemi-proche", 5, 1, "\t(or (not (ennemi-proche)) ; proche"},
        {0, 't', 8, LineKind::CommE, "|-- loin", 5, 1, "\t(or (ennemi-proche) ;loin"},
        {0, 't', 11, LineKind::CommN, "\t(former archer)", 8, 1, ";\t(former archer)"},
        {0, 't', 12, LineKind::Act, "envoyer-serfs bois 2", 9, 1, "\t(envoyer-serfs bois 2)"},
        {0, 'i', 12, LineKind::Act, "jouer", 9, 1, "\t(jouer)|\t(envoyer-serfs ble 3)"},
        {0, 'i', 6, LineKind::Fact, "temps > 3", 4, 1, "\t(stock ble > 50)\t; assez|\t(temps > 3)"},
        {0, 'i', 3, LineKind::BL, " ", 3, 1, "|(defrule"},
        {0, 'd', 4, LineKind::Fact, "", 4, 1, "\t; assez"},
        {0, 'd', 11, LineKind::CommN, "", 8, 1, ""},
        {0, 'd', 13, LineKind::Act, "", 10, 1, "\t)"},
        {0, 't', 15, LineKind::Const, "Constante: seuil = 8", 11, 1, "(defconst seuil 8)"},
        {1, 't', 4, LineKind::CommE, "|-- retraite", 4, 1, "=> ;retraite"},
        {1, 'i', 5, LineKind::Act, "sonner", 4, 1, "=> ; repli|    (sonner)"},
        {1, 'i', 4, LineKind::Fact, "temps > 3", 3, 1, "    (not (paix))|    (temps > 3)"},
        {1, 'd', 6, LineKind::Act, "", 6, 1, ""},
        {1, 'd', 4, LineKind::CommE, "", 4, 1, "=>"},
        {2, 't', 4, LineKind::Fact, "temps > 4", 4, 1, "  (temps > 4)"},
        {2, 't', 2, LineKind::Fact, "stock ble > 8", 2, 2, "  (stock ble > 8)     ; seuil"},
        {2, 't', 3, LineKind::CommE, "|-- plancher", 2, 1, "  (stock ble ;plancher"},
        {2, 'd', 3, LineKind::CommE, "", 2, 1, "  (stock ble"},
        {2, 'd', 5, LineKind::Act, "", 6, 2, "  ; qui"},
        {2, 'i', 8, LineKind::Act, "finir", 8, 1, "  (attendre 5)|  (finir))"},
    };
    for (const char *end : {"\r\n", "\n", "\r"}) {
        for (const Edit &e : edits) {
            const auto bytes = [end](QByteArray b) { return b.replace('|', end); };
            const QByteArray before = bytes(Layouts[e.layout]);
            SCOPED_TRACE(QByteArray(end).toHex().toStdString() + " " + Layouts[e.layout] + " " + e.op + " "
                         + std::to_string(e.row));
            open(before);
            ScriptModel &m = doc.rows();
            doc.history().openStep();
            switch (e.op) {
            case 'd':
                ASSERT_EQ(m.kind(e.row), e.kind);
                m.removeRow(e.row);
                break;
            case 'i':
                m.setKind(m.addRow(QString::fromUtf8(e.text), e.row), e.kind);
                break;
            default:
                ASSERT_EQ(m.kind(e.row), e.kind) << m.text(e.row).toStdString();
                m.setText(e.row, QString::fromUtf8(e.text));
                if (e.op == 'k')
                    m.setKind(e.row, e.kind);
            }
            doc.history().closeStep();
            EXPECT_EQ(save(), bytes(withLines(Layouts[e.layout], e.line, e.lines, e.with)));
            doc.history().undo();
            EXPECT_EQ(save(), before);
        }
    }
}

// A new part takes the indentation the file uses most, a level for each
// group; a new script, and a file indented nowhere, the editor's layout.
TEST_F(Document, NewPartsFollowTheFilesIndentation)
{
    const struct {
        QByteArray file;
        const char *level; // what a level adds
    } cases[] = {
        {"(defrule\n\t(a)\n\t(b)\n=>\n    (c)\n)\n", "\t"},
        {"(defrule\r\n    (a)\r\n    (or (b)\r\n        (c))\r\n=>\r\n\t(d))\r\n", "    "},
        {"(defconst a 1)\r(defrule (a) => (b))\r", ""},
        {"", ""},
    };
    const std::pair<LineKind, const char *> rule[] = {
        {LineKind::FactB, "Début de règle"}, {LineKind::Fact, "x"},   {LineKind::FactOB, "Ou"},
        {LineKind::Fact, "y"},               {LineKind::Fact, "z"},   {LineKind::FactOE, "Fin de ou"},
        {LineKind::Act, "w"},                {LineKind::FactE, "Fin de règle"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        if (c.file.isEmpty())
            doc.clear();
        else
            open(c.file);
        for (const auto &[kind, text] : rule)
            doc.rows().setKind(doc.rows().addRow(QString::fromUtf8(text)), kind);
        const QByteArray end = doc.source().lineEnd.toLatin1();
        const QByteArray l(c.level);
        const QByteArray added = "(defrule" + end + l + "(x)" + end + l + "(or" + end + l + l + "(y)" + end + l + l
                                 + "(z)" + end + l + ")" + end + "=>" + end + l + "(w)" + end + ")" + end;
        QString error;
        ASSERT_TRUE(doc.saveAs(path, error)) << error.toStdString();
        EXPECT_EQ(contents(path), c.file + added);
    }
}

TEST_F(Document, WhatCannotBeReadOrWrittenChangesNothing)
{
    open(Script);
    doc.rows().setText(1, " autre");
    QString error;
    EXPECT_FALSE(doc.open(dir.filePath("absent.per"), error));
    EXPECT_TRUE(error.contains("absent.per")) << error.toStdString();
    EXPECT_EQ(doc.rows().text(1), " autre");
    EXPECT_EQ(doc.currentFile(), path);

    error.clear();
    EXPECT_FALSE(doc.saveAs(dir.filePath("pas/de/dossier.per"), error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(doc.currentFile(), path);
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(contents(path), Script);

    // a character the game's code page cannot hold names its row of the
    // list (the end comment shares the file line of the row before it)
    doc.clear();
    for (const auto &[kind, text] : {std::pair{LineKind::Act, "a"}, {LineKind::CommE, "|-- note"},
                                     {LineKind::Act, "dire \"\u4e2d\""}})
        doc.rows().setKind(doc.rows().addRow(QString::fromUtf8(text)), kind);
    error.clear();
    EXPECT_FALSE(doc.saveAs(path, error));
    EXPECT_EQ(error, QString::fromUtf8("Le script ne peut pas être enregistré: la rangée 3 (pas encore enregistrée) "
                                       "contient le caractère «\u4e2d», que le codage du jeu (Windows-1252) ne peut "
                                       "pas représenter.\n\nrangée 3 (pas encore enregistrée): dire \"\u4e2d\""));
    EXPECT_EQ(contents(path), Script);
}

TEST_F(Document, UndoingBackToTheSavedRowsClearsTheModifiedState)
{
    open("(defconst a 1)\r\n");
    QSignalSpy marks(&doc, &ScriptDocument::modifiedChanged);
    doc.rows().addRow(" ");
    doc.rows().addRow(" ");
    save();
    doc.rows().addRow(" ");
    ScriptHistory &h = doc.history();
    const bool steps[] = {false, true, false, true}; // undo, undo, redo, redo
    for (int i = 0; i < 4; ++i) {
        i < 2 ? h.undo() : h.redo();
        EXPECT_EQ(doc.isModified(), steps[i]) << i;
    }
    EXPECT_EQ(marks.count(), 7); // each change of the mark, once

    // a new change drops what was undone: the saved rows cannot come back
    h.undo();
    h.undo();
    doc.rows().removeRow(1);
    EXPECT_FALSE(h.canRedo());
    h.undo();
    EXPECT_TRUE(doc.isModified());

    // reading, and a new script, start a history of their own
    doc.clear();
    EXPECT_FALSE(h.canUndo() || h.canRedo() || doc.isModified());
    EXPECT_TRUE(doc.currentFile().isEmpty());
    EXPECT_EQ(doc.rows().count(), 0);
}

TEST_F(Document, APartKeptAsReadNeedsConsentOnceUntilTheNextReading)
{
    open(Script);
    const int kept = doc.rows().keptFormAt(3); // the load's
    ASSERT_NE(kept, ScriptLine::NoForm);
    EXPECT_FALSE(doc.needsConsent(ScriptLine::NoForm));
    EXPECT_FALSE(doc.needsConsent(kept + 1));
    EXPECT_TRUE(doc.needsConsent(kept));
    doc.consent(kept);
    EXPECT_FALSE(doc.needsConsent(kept));
    open(Script);
    EXPECT_TRUE(doc.needsConsent(kept));
}

// The window's opening shows the rows first and judges the parts on a
// thread: a change asked for meanwhile judges its part at once, a judgement
// made for rows read before is never applied to the rows read since.
TEST_F(Document, TheWindowsOpeningJudgesThePartsOnceTheRowsAreIn)
{
    doc.setJudgeAfterOpening(true);
    QSignalSpy judged(&doc, &ScriptDocument::partsJudged);
    open(Script);
    const int load = doc.rows().line(3).form;
    EXPECT_TRUE(doc.needsConsent(load));
    EXPECT_TRUE(doc.source().forms[size_t(load)].judged);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !doc.judging(); }));
    EXPECT_EQ(judged.count(), 1);
    EXPECT_EQ(doc.source().keptCount(), 1);
    EXPECT_EQ(doc.rows().keptFormAt(3), load);

    // read again at once, twice, and cleared: only the last rows are judged
    for (int i = 0; i < 3; ++i)
        open(i < 2 ? Script : QByteArray("(defconst a 1)\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !doc.judging(); }));
    QTest::qWait(20); // a stopped judgement's news, if any, arrives
    EXPECT_EQ(judged.count(), 2);
    EXPECT_EQ(doc.source().keptCount(), 0);
    open(Script);
    doc.clear();
    QTest::qWait(20);
    EXPECT_EQ(judged.count(), 2);
}

// Each row stands on its file line, shown beside it: as read, none for a new
// row, then as saved, which undoing the change keeps; a line's row is the
// first on it, else the nearest before it.
TEST_F(Document, RowsShowTheirFileLinesAndEachLineHasItsRow)
{
    open("; a\r\n(defconst a 1) ; b\r\n(defrule\r\n(x 1)\r\n=>\r\n(dire\r\n  \"long\")\r\n)\r\n");
    ScriptModel &m = doc.rows();
    const auto shown = [&m] {
        QStringList out;
        for (int i = 0; i < m.count(); ++i)
            out << m.headerData(i, Qt::Vertical, Qt::DisplayRole).toString();
        return out.join(' ');
    };
    EXPECT_EQ(shown(), "1 2 2 3 4 6 8");
    QStringList found;
    for (int line = 0; line <= 9; ++line)
        found << QString::number(m.rowOfLine(line));
    EXPECT_EQ(found.join(' '), "0 1 2 4 5 5 6 6 7 7");
    doc.history().openStep();
    m.setKind(m.addRow("y 2", 5), LineKind::Fact);
    doc.history().closeStep();
    EXPECT_EQ(shown(), "1 2 2 3  4 6 8");
    save();
    EXPECT_EQ(shown(), "1 2 2 3 4 5 7 9");
    EXPECT_EQ(m.rowOfLine(7), 7);
    doc.history().undo();
    EXPECT_EQ(m.text(5), "x 1");
    EXPECT_EQ(shown(), "1 2 2 3 5 7 9");
}

TEST(CoreAlone, RunsWithoutTheWidgetsLibrary)
{
    QFile maps("/proc/self/maps");
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray loaded = maps.readAll();
    EXPECT_TRUE(loaded.contains("libQt6Core"));
    EXPECT_FALSE(loaded.contains("libQt6Widgets"));
}
