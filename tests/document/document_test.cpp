// The script as a document, without a window: reading, the modified state
// and the undo history's saved point, consent to change kept parts, saving.
#include "coresupport.h"
#include "document/scriptdocument.h"
#include "files/saveopen.h"

#include <QFile>
#include <QSignalSpy>
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

TEST_F(Document, AChangeRewritesOnlyItsOwnPart)
{
    const QByteArray head = ";  en-tete\r\n(defconst  seuil   5)\r\n";
    const QByteArray rule = "(defrule\r\n    (x 1)   ; pourquoi\r\n    (y 2)\r\n  =>\r\n    (a)\r\n)\r\n";
    const QByteArray tail = "(defrule (z 3) => (b))\r\n";
    open(head + rule + tail);
    ScriptModel &m = doc.rows();
    ASSERT_EQ(m.text(6), "y 2");
    m.removeRow(6);
    const QByteArray laidOut = "(defrule\r\n(x 1)     ; pourquoi\r\n=>\r\n(a)\r\n)\r\n";
    EXPECT_EQ(save(), head + laidOut + tail);
    m.setText(1, QString::fromUtf8("nouvel en-tête"));
    const QByteArray newHead = ";nouvel en-t\xEAte\r\n(defconst  seuil   5)\r\n";
    EXPECT_EQ(save(), newHead + laidOut + tail);
    // at the first row of a part: a part of its own, between the others
    m.setKind(m.addRow("", 8), LineKind::BL);
    EXPECT_EQ(save(), newHead + laidOut + "\r\n" + tail);
    // strictly inside a part: joins it, which is laid out again
    m.setKind(m.addRow("ajout", 11), LineKind::CommN);
    EXPECT_EQ(save(), newHead + laidOut + "\r\n" + "(defrule\r\n(z 3)\r\n;ajout\r\n=>\r\n(b)\r\n)\r\n");
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
    EXPECT_EQ(shown(), "1 2 2 3 4 5 7 8");
    EXPECT_EQ(m.rowOfLine(7), 7);
    doc.history().undo();
    EXPECT_EQ(m.text(5), "x 1");
    EXPECT_EQ(shown(), "1 2 2 3 5 7 8");
}

TEST(CoreAlone, RunsWithoutTheWidgetsLibrary)
{
    QFile maps("/proc/self/maps");
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray loaded = maps.readAll();
    EXPECT_TRUE(loaded.contains("libQt6Core"));
    EXPECT_FALSE(loaded.contains("libQt6Widgets"));
}
