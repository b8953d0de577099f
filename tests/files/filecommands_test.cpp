#include "document/plugfrm.h"
#include "document/scriptlistview.h"
#include "files/createaifrm.h"
#include "shell/options.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace TestSupport;

namespace {
// Answers the next file chooser with path ("" cancels); records its title.
void chooseFile(const QString &path, QString *title = nullptr)
{
    onNextModal([=](QWidget *w) {
        auto *d = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(d, nullptr) << w->metaObject()->className();
        if (title)
            *title = d->windowTitle();
        if (path.isEmpty()) {
            d->reject();
            return;
        }
        d->selectFile(path);
        QMetaObject::invokeMethod(d, "accept");
    });
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class FileCommands : public ::testing::Test
{
protected:
    // The editor, opened as the user does (which reads the settings), with
    // the companion policy "never" unless a test says otherwise.
    PlugFrm &editor()
    {
        PlugFrm &f = openEditor();
        Options::CompanionFilePolicy = 3;
        Options::DefaultFolder = dir.path();
        return f;
    }
    QTemporaryDir dir;
};
} // namespace

TEST_F(FileCommands, OpenEditSaveWritesTheOpenedFileWithoutAsking)
{
    const QString per = dir.filePath("ia.per");
    write(per, "(defrule\r\n\t(stock bl\xe9 5)\r\n=>\r\n\t(dire \"\x80 ; load\")\r\n)");
    PlugFrm &f = editor();
    QString title;
    chooseFile(per, &title);
    f.OpenFile->trigger();
    EXPECT_EQ(title, "Ouvrir...");
    EXPECT_EQ(rows(f), (QStringList{"FactB|Début de fait", "Fact|stock blé 5", "Act|dire \"€ ; load\"",
                                    "FactE|Fin de règle"}));
    EXPECT_EQ(f.CurrentFile, per);
    EXPECT_FALSE(f.isModified());
    clickRow(f, 4);
    QTest::mouseClick(f.Command4, Qt::LeftButton);
    EXPECT_TRUE(f.isModified());
    f.SaveFile->trigger();
    EXPECT_EQ(contents(per), QByteArray("(defrule\r\n(stock bl\xe9 5)\r\n=>\r\n(dire \"\x80 ; load\")"));
    EXPECT_FALSE(f.isModified());
    EXPECT_FALSE(QFile::exists(dir.filePath("ia.ai"))); // policy 3: never
}

TEST_F(FileCommands, OpeningAFileSavingWouldChangeSaysWhichLines)
{
    const QString per = dir.filePath("perte.per");
    write(per, "(defrule\n(x 1)\nperdu\n=>\n(a)\n)\n");
    PlugFrm &f = editor();
    chooseFile(per);
    QString text;
    answerNextMessage(nullptr, &text);
    f.OpenFile->trigger();
    EXPECT_TRUE(text.contains("ligne 3: perdu")) << text.toStdString();
    EXPECT_EQ(f.ListView1->count(), 4);
    EXPECT_EQ(contents(per), QByteArray("(defrule\n(x 1)\nperdu\n=>\n(a)\n)\n")); // untouched
}

TEST_F(FileCommands, UnsavedWorkIsAskedAboutAndCancelStops)
{
    PlugFrm &f = editor();
    f.insertRow(0, "Constante: a = 1", qRgb(0, 0, 255), LineKind::Const);
    QString text;
    answerNextMessage(nullptr, &text, "Annuler");
    f.NewFile->trigger();
    EXPECT_EQ(text, "Le script a été modifié. Voulez-vous enregistrer les modifications ?");
    EXPECT_EQ(f.ListView1->count(), 1);
    answerNextMessage(nullptr, nullptr, "Non");
    f.NewFile->trigger();
    EXPECT_EQ(f.ListView1->count(), 0);
    EXPECT_TRUE(f.CurrentFile.isEmpty());
    f.NewFile->trigger(); // nothing changed: no question
    EXPECT_EQ(f.ListView1->count(), 0);
}

TEST_F(FileCommands, SaveAsAsksBeforeOverwritingAndNoShowsTheChooserAgain)
{
    const QString existing = dir.filePath("existe.per");
    write(existing, "ancien contenu plus long");
    PlugFrm &f = editor();
    f.insertRow(0, "a", qRgb(0, 0, 0), LineKind::Act);
    QString title, question;
    chooseFile(existing, &title);
    answerNextMessage(nullptr, &question, "Non");
    chooseFile(""); // the chooser again: cancelled
    f.SaveFile->trigger(); // no current file: asks for a name
    EXPECT_EQ(title, "Enregistrer sous...");
    EXPECT_EQ(question, "voulez vous écraser le fichier existant?");
    EXPECT_EQ(contents(existing), QByteArray("ancien contenu plus long"));
    EXPECT_TRUE(f.CurrentFile.isEmpty());

    chooseFile(existing);
    answerNextMessage(nullptr, nullptr, "Oui");
    f.SaveFileAs->trigger();
    EXPECT_EQ(contents(existing), QByteArray("(a)"));
    EXPECT_EQ(f.CurrentFile, existing);
}

TEST_F(FileCommands, CompanionPolicyAskRemembersTheAnswer)
{
    PlugFrm &f = editor();
    Options::CompanionFilePolicy = 2;
    f.CurrentFile = dir.filePath("ia.per");
    onNextModal([](QWidget *w) {
        auto *ask = qobject_cast<CreateAIFrm *>(w);
        ASSERT_NE(ask, nullptr);
        EXPECT_EQ(ask->windowTitle(), "Plugin PER");
        ask->Check1->setChecked(true);
        QTest::mouseClick(ask->Command1, Qt::LeftButton); // Oui
    });
    f.SaveFile->trigger();
    EXPECT_TRUE(QFile::exists(dir.filePath("ia.ai")));
    EXPECT_EQ(Options::CompanionFilePolicy, 1);
    // an existing companion is never emptied
    write(dir.filePath("ia.ai"), "garde");
    f.SaveFile->trigger();
    EXPECT_EQ(contents(dir.filePath("ia.ai")), QByteArray("garde"));
}

TEST_F(FileCommands, FailedSaveChangesNothing)
{
    PlugFrm &f = editor();
    f.insertRow(0, "a", qRgb(0, 0, 0), LineKind::Act);
    const QString bad = dir.filePath("absent/x.per");
    chooseFile(bad);
    QString text;
    answerNextMessage(nullptr, &text);
    f.SaveFileAs->trigger();
    EXPECT_TRUE(text.contains("absent/x.per")) << text.toStdString();
    EXPECT_TRUE(f.CurrentFile.isEmpty());
    EXPECT_TRUE(f.isModified());
    // a character the game's code page cannot hold: refused, nothing written
    const QString per = dir.filePath("ok.per");
    f.insertRow(0, "dire \"\u4e2d\"", qRgb(0, 0, 0), LineKind::Act);
    f.CurrentFile = per;
    answerNextMessage(nullptr, &text);
    f.SaveFile->trigger();
    EXPECT_TRUE(text.contains("ligne 2")) << text.toStdString();
    EXPECT_FALSE(QFile::exists(per));
}

TEST_F(FileCommands, PreviewShowsTheSavedTextAndChangesNothing)
{
    PlugFrm &f = editor();
    f.insertRow(0, "x", qRgb(0, 0, 0), LineKind::Act);
    f.insertRow(0, "note", qRgb(0, 0, 0), LineKind::CommN);
    clickRow(f, 1);
    QString shown;
    onNextModal([&](QWidget *w) {
        EXPECT_EQ(w->windowTitle(), "Prévisualisation");
        shown = w->findChild<QPlainTextEdit *>()->toPlainText();
        w->close();
    });
    QTest::mouseClick(f.Command2, Qt::LeftButton);
    EXPECT_EQ(shown, "(x)\n;note");
    EXPECT_EQ(f.ListView1->selectedPosition(), 1);
    EXPECT_EQ(f.ListView1->count(), 2);
}
