// The file commands' decisions on a document, without a window: the
// questions they ask, in order, and what each answer does.
#include "coresupport.h"
#include "document/scriptdocument.h"
#include "files/filecommands.h"
#include "files/recentfiles.h"
#include "shell/options.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

using namespace TestSupport;

namespace {
// Answers the commands from a script of answers, and notes every question.
class ScriptedDialogs : public FileDialogs
{
public:
    std::deque<QString> chosen;  // the choosers' answers, in order ("" cancels)
    std::deque<QString> answers; // "Oui", "Non", "Annuler", in order
    QStringList asked;           // every question and message, in order

    QString askOpenFileName() override { return next(chosen, "<ouvrir>"); }
    QString askSaveFileName() override { return next(chosen, "<enregistrer sous>"); }
    bool askYesNo(const QString &q) override { return next(answers, q) == "Oui"; }
    Answer askYesNoCancel(const QString &q) override
    {
        const QString a = next(answers, q);
        return a == "Oui" ? Answer::Yes : a == "Non" ? Answer::No : Answer::Cancel;
    }
    bool askOverwrite(const QString &q) override { return next(answers, q) == "Oui"; }
    void tell(const QString &message) override
    {
        asked << message;
        EXPECT_EQ(busyDepth, 0) << "a message under the busy cursor";
    }
    void askCompanion(const QString &path) override { asked << "<ai> " + QDir(path).dirName(); }
    void busy(bool on) override { busyDepth += on ? 1 : -1; }
    int busyDepth = 0;

private:
    QString next(std::deque<QString> &from, const QString &what)
    {
        asked << what;
        if (from.empty()) {
            ADD_FAILURE() << "unexpected: " << what.toStdString();
            return {};
        }
        const QString a = from.front();
        from.pop_front();
        return a;
    }
};

class Commands : public ::testing::Test
{
protected:
    Commands() { Options::CompanionFilePolicy = 3; }
    ~Commands() override { EXPECT_EQ(dialogs.busyDepth, 0); }
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString p = dir.filePath(name);
        writeFile(p, bytes);
        return p;
    }
    void change() { doc.rows().setKind(doc.rows().addRow(" "), LineKind::BL); }
    QTemporaryDir dir;
    ScriptDocument doc;
    ScriptedDialogs dialogs;
    FileCommands commands{doc, dialogs};
};
} // namespace

TEST_F(Commands, UnsavedWorkIsAskedAboutFirstAndCancelStops)
{
    const QString a = file("a.per", "(defconst a 1)\r\n");
    EXPECT_TRUE(commands.open(a));
    EXPECT_TRUE(commands.newFile()); // nothing changed: no question
    change();
    dialogs.answers = {"Annuler", "Annuler", "Annuler", "Annuler"};
    EXPECT_FALSE(commands.newFile());
    EXPECT_FALSE(commands.openChosen());
    EXPECT_FALSE(commands.openRecent(a));
    EXPECT_FALSE(commands.openDropped({a}));
    EXPECT_EQ(dialogs.asked, QStringList(4, UnsavedQuestion));
    EXPECT_EQ(doc.rows().count(), 1);

    // "Non" drops the work; "Oui" saves it first, asking where for a new script
    dialogs.asked.clear();
    dialogs.answers = {"Non"};
    dialogs.chosen = {a};
    EXPECT_TRUE(commands.openChosen());
    EXPECT_EQ(doc.rows().text(1), "Constante: a = 1");
    change();
    dialogs.answers = {"Oui"};
    EXPECT_TRUE(commands.newFile());
    EXPECT_EQ(contents(a), "(defconst a 1)\r\n\r\n");
    EXPECT_TRUE(doc.currentFile().isEmpty());
    change();
    dialogs.answers = {"Oui"};
    dialogs.chosen = {""}; // the save's chooser cancelled: nothing is dropped
    EXPECT_FALSE(commands.newFile());
    EXPECT_EQ(doc.rows().count(), 1);
    EXPECT_TRUE(doc.isModified());
}

TEST_F(Commands, SaveAsAsksBeforeOverwritingAndAboutOpenBlocksOnce)
{
    const QString existing = file("existe.per", "ancien contenu");
    doc.rows().addRow("Début de règle");
    doc.rows().setKind(1, LineKind::FactB);
    // open blocks: "Non" saves nothing
    dialogs.answers = {"Non"};
    EXPECT_FALSE(commands.save());
    // a row in no file yet is named by its place in the list
    EXPECT_EQ(dialogs.asked, QStringList{"Le script contient des blocs non fermés: 1 problème, rangée 1 (pas encore "
                                         "enregistrée) « Début de règle ». Enregistrer quand même ?"});
    // asked once, then the chooser; "Non" to overwriting shows it again
    dialogs.asked.clear();
    dialogs.answers = {"Oui", "Non", "Oui"};
    dialogs.chosen = {existing, existing};
    EXPECT_TRUE(commands.save());
    EXPECT_EQ(dialogs.asked.size(), 5);
    EXPECT_EQ(dialogs.asked[2], "voulez vous écraser le fichier existant?");
    EXPECT_EQ(contents(existing), "(defrule\r\n");
    EXPECT_EQ(doc.currentFile(), existing);
    EXPECT_FALSE(doc.isModified());

    // saved rows are named by their file line; the unsaved-work question's
    // save asks too, and Non there keeps everything
    doc.rows().setKind(doc.rows().addRow("Début de règle"), LineKind::FactB);
    dialogs.asked.clear();
    dialogs.answers = {"Oui", "Non"};
    EXPECT_FALSE(commands.newFile());
    EXPECT_EQ(dialogs.asked.value(1), "Le script contient des blocs non fermés: 2 problèmes, le premier ligne 1 "
                                      "« Début de règle ». Enregistrer quand même ?");
    EXPECT_EQ(doc.rows().count(), 2);
    EXPECT_EQ(contents(existing), "(defrule\r\n");
    // mended, they save unasked
    doc.rows().removeRow(2);
    doc.rows().setKind(doc.rows().addRow("Fin de règle"), LineKind::FactE);
    dialogs.asked.clear();
    EXPECT_TRUE(commands.save());
    EXPECT_EQ(dialogs.asked, QStringList{});
    EXPECT_FALSE(doc.isModified());
}

TEST_F(Commands, TheCompanionFileFollowsItsPolicy)
{
    const QString per = file("ia.per", "(a)\r\n");
    const QString ai = dir.filePath("ia.ai");
    ASSERT_TRUE(commands.open(per));
    Options::CompanionFilePolicy = 3;
    EXPECT_TRUE(commands.save());
    EXPECT_FALSE(QFile::exists(ai));
    Options::CompanionFilePolicy = 2;
    EXPECT_TRUE(commands.save());
    EXPECT_EQ(dialogs.asked, QStringList{"<ai> ia.ai"});
    Options::CompanionFilePolicy = 1;
    EXPECT_TRUE(commands.save());
    EXPECT_EQ(contents(ai), "");
    EXPECT_EQ(dialogs.asked.size(), 1);
}

TEST_F(Commands, RecentAndDroppedFilesOpenOnlyWhatTheyShould)
{
    const QString per = file("ia.per", "(a)\r\n");
    const QString gone = dir.filePath("parti.per");
    RecentFiles::add(gone);
    EXPECT_FALSE(commands.openRecent(gone));
    EXPECT_FALSE(RecentFiles::list().contains(gone));
    // the list keeps the eight most recent first, one moved up rather than twice
    for (int i = 1; i <= 9; ++i)
        RecentFiles::add(dir.filePath(QString("ia%1.per").arg(i)));
    RecentFiles::add(dir.filePath("ia5.per"));
    QStringList names;
    for (const QString &p : RecentFiles::list())
        names << QDir(p).dirName().chopped(4);
    EXPECT_EQ(names.join(' '), "ia5 ia9 ia8 ia7 ia6 ia4 ia3 ia2");
    EXPECT_EQ(dialogs.asked.value(0), "Le fichier « " + QDir::toNativeSeparators(gone)
                                          + " » n'existe plus : il est retiré de la liste des fichiers récents.");
    ASSERT_TRUE(QDir(dir.path()).mkdir("dossier.per"));
    const std::pair<QStringList, QString> refused[] = {
        {{per, per}, "Déposez un seul fichier .per à la fois."},
        {{dir.filePath("notes.txt")}, "Seuls les fichiers .per s'ouvrent dans l'éditeur : « notes.txt » n'en est pas un."},
    };
    for (const auto &[paths, message] : refused) {
        EXPECT_FALSE(commands.openDropped(paths));
        EXPECT_EQ(dialogs.asked.last(), message);
    }
    EXPECT_TRUE(commands.openDropped({per}));
    EXPECT_EQ(doc.currentFile(), per);
    // what cannot be read is said, and the script stays
    for (const QString &unreadable : {gone, dir.filePath("dossier.per")}) {
        EXPECT_FALSE(commands.openDropped({unreadable}));
        EXPECT_TRUE(dialogs.asked.last().contains(QDir(unreadable).dirName())) << dialogs.asked.last().toStdString();
        EXPECT_EQ(doc.currentFile(), per);
    }
}

TEST_F(Commands, AFailedSaveIsSaidAndChangesNothing)
{
    change();
    const QString bad = dir.filePath("absent/x.per");
    dialogs.chosen = {bad};
    EXPECT_FALSE(commands.saveAs());
    EXPECT_TRUE(dialogs.asked.last().contains(bad)) << dialogs.asked.last().toStdString();
    EXPECT_TRUE(doc.currentFile().isEmpty());
    EXPECT_TRUE(doc.isModified());
}
