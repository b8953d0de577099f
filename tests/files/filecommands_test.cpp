// The file commands' decisions on a document, without a window: the
// questions they ask, in order, and what each answer does.
#include "coresupport.h"
#include "document/scriptdocument.h"
#include "files/filecommands.h"
#include "files/recentfiles.h"
#include "files/recoverywriter.h"
#include "files/saveopen.h"
#include "shell/options.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <sys/stat.h>
#include <gtest/gtest.h>

using namespace TestSupport;
using Notice = FileCommands::Notice;

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

namespace {
// Process ids above any the system gives: processes that no longer run.
qint64 s_gone = 999999000;

const QByteArray Script = "(defconst a 1)\r\n;  espacé   à la main\r\n";

// An editor: a document, its file commands, and what its bars were told.
struct Editor {
    explicit Editor(ScriptedDialogs &a) : commands(doc, a)
    {
        QObject::connect(&commands, &FileCommands::notice, [this](Notice k, const QString &m) { notices << std::pair(k, m); });
        QObject::connect(&commands, &FileCommands::recoveryFailed, [this](const QString &m) { failures << m; });
        commands.recovery().setDelays(30, 1000);
    }
    void change() { doc.rows().setKind(doc.rows().addRow(" "), LineKind::BL); }
    bool noticed(Notice kind)
    {
        notices.clear();
        return QTest::qWaitFor([&] { return !notices.isEmpty(); }, 3000) && notices[0].first == kind;
    }
    ScriptDocument doc;
    FileCommands commands;
    QList<std::pair<Notice, QString>> notices;
    QStringList failures;
};
} // namespace

// What keeps the user's work when something else gets in the way: recovery
// files, the script's lock, the file changed on disk and the question before
// writing over it.
class Safeguards : public ::testing::Test
{
protected:
    Safeguards()
    {
        Options::CompanionFilePolicy = 3;
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        writeFile(path, Script);
    }
    // Work left by an editor that stopped, as it wrote it.
    QString leftBehind(const QByteArray &bytes, qint64 secondsFromNow = 60)
    {
        const QString file = Recovery::fileFor(path, ++s_gone);
        QString error;
        EXPECT_TRUE(Recovery::write(
            file, {path, QDateTime::currentDateTime().addSecs(secondsFromNow), TextEncoding::Windows1252, bytes}, error));
        return file;
    }
    QStringList recoveryFiles() const { return QDir(Recovery::folder()).entryList({"*.recup"}, QDir::Files); }

    QTemporaryDir data, dir;
    const QString path = dir.filePath("ia.per");
    ScriptedDialogs dialogs;
};

TEST_F(Safeguards, TheRecoveryFileHoldsTheUnsavedWorkUntilItIsSavedOrDropped)
{
    Editor e(dialogs);
    ASSERT_TRUE(e.commands.open(path));
    e.change();
    const QString file = e.commands.recovery().file();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(file); }, 3000));
    Recovery::Saved saved;
    QString error;
    ASSERT_TRUE(Recovery::read(file, saved, error));
    EXPECT_LE(qAbs(saved.time.secsTo(QDateTime::currentDateTime())), 5);
    ASSERT_TRUE(e.commands.save());
    EXPECT_EQ(std::tuple(saved.script, saved.bytes), std::tuple(path, contents(path)));
    e.commands.recovery().waitForDone();
    EXPECT_EQ(recoveryFiles(), QStringList{});

    // changes that never pause are written at least every so often
    e.commands.recovery().setDelays(400, 100);
    QTimer typing;
    QObject::connect(&typing, &QTimer::timeout, [&] { e.change(); });
    typing.start(20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(file); }, 2000));
    typing.stop();
    // "Non" to the unsaved-work question drops it with the work
    dialogs.answers = {"Non"};
    EXPECT_TRUE(e.commands.newFile());
    e.commands.recovery().waitForDone();
    EXPECT_EQ(recoveryFiles(), QStringList{});

    // an editor that goes unasked keeps it and the next one offers it
    e.change();
    e.commands.finish();
    Editor next(dialogs);
    next.commands.lookForRecovery();
    ASSERT_EQ(next.notices.size(), 1);
    EXPECT_TRUE(next.notices[0].second.startsWith("Un script sans titre jamais enregistré a été retrouvé (copie de secours du "));
    // one asked keeps nothing of its own
    next.change();
    dialogs.answers = {"Non"};
    EXPECT_TRUE(next.commands.maybeSave());
    next.commands.finish();
    EXPECT_EQ(recoveryFiles().size(), 1) << "the one offered, not taken";
}

TEST_F(Safeguards, WorkLeftBehindIsOfferedOrKeptAsideAndSavesAsTheLostSaveWould)
{
    ScriptDocument lost;
    QString error;
    SaveOpen::SaveText text;
    ASSERT_TRUE(lost.open(path, error));
    lost.rows().setText(1, "Constante: a = 2");
    lost.rows().setKind(lost.rows().addRow(" "), LineKind::BL);
    ASSERT_TRUE(lost.bytes(text, error));
    leftBehind(text.bytes);

    Editor e(dialogs);
    ASSERT_TRUE(e.commands.open(path));
    ASSERT_EQ(e.notices.size(), 1);
    EXPECT_EQ(e.notices[0].first, Notice::Recovery);
    EXPECT_TRUE(e.notices[0].second.startsWith("Des modifications de « ia.per » qui n'ont pas été enregistrées ont été "
                                               "retrouvées (copie de secours du "));
    ASSERT_TRUE(e.commands.recover());
    EXPECT_EQ(std::tuple(e.doc.isModified(), e.doc.currentFile(), e.doc.rows().text(1)),
              std::tuple(true, path, QString("Constante: a = 2")));
    e.commands.recovery().waitForDone();
    EXPECT_EQ(recoveryFiles(), QStringList{QFileInfo(e.commands.recovery().file()).fileName()}) << "taken over";
    // undoing never makes it "saved"; saving writes the lost save's bytes
    e.change();
    e.doc.history().undo();
    EXPECT_TRUE(e.doc.isModified());
    ASSERT_TRUE(e.commands.save());
    EXPECT_EQ(contents(path), text.bytes);
    e.commands.finish();
    EXPECT_EQ(recoveryFiles(), QStringList{});

    // older than the script: not offered but said; unreadable: said and
    // kept aside
    leftBehind("ancien", -3600);
    QFile truncated(leftBehind("(defconst a 2)\r\n"));
    ASSERT_TRUE(truncated.resize(truncated.size() - 3));
    writeFile(leftBehind(""), "pas une copie de secours");
    Editor f(dialogs);
    f.commands.open(path);
    ASSERT_EQ(f.notices.size(), 1);
    EXPECT_EQ(f.notices[0].first, Notice::RecoveryListed);
    for (const char *why : {"Des modifications de « ia.per » plus anciennes que le fichier ont été retrouvées (copie de "
                            "secours du ",
                            "« Fichier » > « Travail non enregistré... » permet de les récupérer ou de les supprimer.\n",
                            "il est tronqué (13 octets sur 16); il est mis de côté dans",
                            "ce n'est pas un fichier de récupération de Vardelo; il est mis de côté dans"})
        EXPECT_TRUE(f.notices[0].second.contains(why)) << f.notices[0].second.toStdString();
    EXPECT_EQ(QDir(Recovery::asideFolder()).entryList(QDir::Files).size(), 2);
    // "Ignorer" keeps the script and drops the work
    leftBehind("(defconst b 3)\r\n");
    f.commands.open(path);
    ASSERT_EQ(f.notices.last().first, Notice::Recovery);
    f.commands.ignoreRecovery();
    EXPECT_EQ(recoveryFiles(), QStringList{});
    EXPECT_EQ(std::tuple(f.doc.isModified(), contents(path), dialogs.asked), std::tuple(false, text.bytes, QStringList{}));
}

TEST_F(Safeguards, AFullDiskIsSaidOnceAndEditingGoesOn)
{
    // a small file system of its own, where this machine allows it
    QTemporaryDir small;
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", small.path()}) != 0)
        GTEST_SKIP() << "no small file system can be mounted here";
    qputenv("XDG_DATA_HOME", small.path().toUtf8());
    writeFile(path, Script.repeated(3000)); // 126 kB
    {
        Editor e(dialogs);
        e.commands.open(path);
        for (int i = 0; i < 2; ++i) {
            e.change();
            e.commands.recovery().writeNow();
            e.commands.recovery().waitForDone();
        }
        ASSERT_EQ(e.failures.size(), 1);
        EXPECT_TRUE(e.failures[0].contains("plus de place sur le disque. L'édition continue")) << e.failures[0].toStdString();
        e.change();
        EXPECT_EQ(e.doc.rows().count(), 6003);
        EXPECT_TRUE(e.commands.save());
    }
    QProcess::execute("umount", {small.path()});
}

TEST_F(Safeguards, AScriptOpenInARunningEditorIsAskedAboutAndAStaleLockTakenOver)
{
    // left by an editor that stopped: taken over unasked
    QDir().mkpath(Recovery::folder());
    writeFile(Recovery::lockFor(path), QString("%1\nquorrin-host\n%2\n").arg(++s_gone).arg(QSysInfo::machineHostName()).toUtf8());
    Editor first(dialogs);
    ASSERT_TRUE(first.commands.open(path));
    EXPECT_EQ(dialogs.asked, QStringList{});
    EXPECT_EQ(Recovery::heldBy(Recovery::lockFor(path)).value_or(Recovery::Holder{}).pid, QCoreApplication::applicationPid());

    // held by a running editor: asked, and "Non" opens nothing
    Editor second(dialogs);
    dialogs.answers = {"Non", "Oui"};
    EXPECT_FALSE(second.commands.open(path));
    EXPECT_TRUE(second.doc.currentFile().isEmpty());
    ASSERT_TRUE(second.commands.open(path));
    EXPECT_EQ(dialogs.asked[0], QString("Le script « ia.per » est déjà ouvert dans un autre éditeur (processus %1, %2). "
                                        "L'ouvrir quand même ?")
                                    .arg(QCoreApplication::applicationPid())
                                    .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
    // each then asks before writing over the other's save
    dialogs.asked.clear();
    second.change();
    ASSERT_TRUE(second.commands.save());
    const QByteArray theirs = contents(path);
    first.change();
    dialogs.answers = {"Non"};
    EXPECT_FALSE(first.commands.save());
    EXPECT_EQ(dialogs.asked,
              QStringList{"Le fichier a été modifié par un autre programme depuis son ouverture. L'écraser ?"});
    EXPECT_EQ(std::tuple(contents(path), first.doc.isModified()), std::tuple(theirs, true));
}

TEST_F(Safeguards, AFileChangedOnDiskIsReloadedOrAskedAbout)
{
    Editor e(dialogs);
    ASSERT_TRUE(e.commands.open(path));
    // without unsaved changes: read again by itself
    writeFile(path, "(defconst b 2)\r\n");
    ASSERT_TRUE(e.noticed(Notice::Reloaded));
    EXPECT_EQ(e.notices[0].second, "Le fichier « ia.per » a été modifié par un autre programme: il a été relu.");
    EXPECT_EQ(e.doc.rows().text(1), "Constante: b = 2");
    // with some: kept; "Recharger" asks first, and so does "Enregistrer"
    e.change();
    writeFile(path, "(defconst c 3)\r\n");
    ASSERT_TRUE(e.noticed(Notice::ChangedOutside));
    EXPECT_EQ(e.doc.rows().count(), 2);
    dialogs.answers = {"Non", "Non", "Oui"};
    EXPECT_FALSE(e.commands.reload());
    EXPECT_FALSE(e.commands.save());
    EXPECT_EQ(contents(path), "(defconst c 3)\r\n");
    EXPECT_TRUE(e.commands.save());
    EXPECT_EQ(contents(path), "(defconst b 2)\r\n\r\n");
    EXPECT_TRUE(dialogs.asked.value(0).startsWith("Relire le fichier abandonnera les modifications"));
    // removed: the work is unsaved again, and saving writes it unasked
    dialogs.asked.clear();
    QFile::remove(path);
    ASSERT_TRUE(e.noticed(Notice::RemovedOutside));
    EXPECT_TRUE(e.doc.isModified());
    EXPECT_TRUE(e.commands.save());
    EXPECT_EQ(std::tuple(contents(path), dialogs.asked), std::tuple(QByteArray("(defconst b 2)\r\n\r\n"), QStringList{}));
}

// The editor holding the only copy left of a script, whatever another
// program puts in its place: the rows stay, unsaved, and their recovery
// file is written at once (the delays here are longer than the test).
TEST_F(Safeguards, AFileEmptiedOrReplacedOutsideLeavesTheRowsUnsavedAndCopiedAtOnce)
{
    const std::pair<const char *, std::function<void()>> faults[] = {
        {"emptied", [&] { writeFile(path, ""); }},
        {"removed", [&] { QFile::remove(path); }},
        {"folder", [&] { QFile::remove(path); QDir().mkdir(path); }},
        {"pipe", [&] { QFile::remove(path); ASSERT_EQ(mkfifo(path.toLocal8Bit().constData(), 0600), 0); }},
    };
    for (const auto &[fault, make] : faults) {
        SCOPED_TRACE(fault);
        QFile::remove(path);
        QDir().rmdir(path);
        writeFile(path, Script);
        Editor e(dialogs);
        e.commands.recovery().setDelays(60000, 60000);
        ASSERT_TRUE(e.commands.open(path));
        make();
        ASSERT_TRUE(e.noticed(std::string(fault) == "emptied" ? Notice::ChangedOutside : Notice::RemovedOutside));
        EXPECT_EQ(std::tuple(e.doc.rows().count(), e.doc.isModified()), std::tuple(2, true));
        EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(e.commands.recovery().file()); }, 3000));
        dialogs.answers = {"Non"};
        EXPECT_TRUE(e.commands.maybeSave()) << "closing asks";
        EXPECT_EQ(dialogs.asked.value(0), UnsavedQuestion);
        dialogs.asked.clear();
        e.commands.recovery().waitForDone();
    }
    EXPECT_EQ(dialogs.asked, QStringList{});
}

// A character the script's encoding cannot hold stops saving, naming its
// row, but never the recovery copy: kept in UTF-8, it gives the work back.
TEST_F(Safeguards, TheRecoveryCopyKeepsWhatTheScriptsEncodingCannotHold)
{
    writeFile(path, "(defconst a 1)\r\n; \xe9t\xe9\r\n");
    {
        Editor e(dialogs);
        ASSERT_TRUE(e.commands.open(path));
        e.doc.rows().setText(1, "Constante: a = 7");
        e.doc.rows().setKind(e.doc.rows().addRow("fait \u2192 ok \u2713"), LineKind::CommN);
        EXPECT_FALSE(e.commands.save());
        EXPECT_TRUE(dialogs.asked.value(0).startsWith("Le script ne peut pas être enregistré: la rangée 3 (pas encore "
                                                      "enregistrée) contient le caractère «\u2192»"))
            << dialogs.asked.value(0).toStdString();
        e.commands.recovery().writeNow();
        e.commands.recovery().waitForDone();
        EXPECT_EQ(e.failures, QStringList{});
        Recovery::Saved saved;
        QString error;
        ASSERT_TRUE(Recovery::read(e.commands.recovery().file(), saved, error)) << error.toStdString();
        EXPECT_EQ(std::tuple(saved.encoding, saved.scriptEncoding), std::tuple(TextEncoding::Utf8, TextEncoding::Windows1252));
        e.commands.finish();
    }
    dialogs.asked.clear();
    Editor next(dialogs);
    ASSERT_TRUE(next.commands.open(path));
    ASSERT_TRUE(next.commands.recover());
    EXPECT_EQ(next.doc.rows().text(1), "Constante: a = 7");
    EXPECT_EQ(next.doc.rows().text(3), "fait \u2192 ok \u2713");
    // still the script's own encoding: the row is named again, and once
    // mended, the script saves in it
    EXPECT_FALSE(next.commands.save());
    EXPECT_TRUE(dialogs.asked.value(0).contains("«\u2192»"));
    next.doc.rows().setText(3, "fait -> ok");
    ASSERT_TRUE(next.commands.save());
    EXPECT_EQ(contents(path), "(defconst a 7)\r\n; \xe9t\xe9\r\n;fait -> ok\r\n");
}

// A link put at a recovery file's or a lock's path is replaced or left,
// never written through.
TEST_F(Safeguards, ALinkAtARecoveryFileOrALockIsNeverFollowed)
{
    const QString victim = dir.filePath("victime.txt");
    writeFile(victim, "à garder");
    QDir().mkpath(Recovery::folder());
    ASSERT_TRUE(QFile::link(victim, Recovery::lockFor(path)));
    Editor e(dialogs);
    ASSERT_TRUE(e.commands.open(path));
    ASSERT_TRUE(QFile::link(victim, e.commands.recovery().file()));
    e.change();
    e.commands.recovery().writeNow();
    e.commands.recovery().waitForDone();
    EXPECT_EQ(contents(victim), "à garder");
    EXPECT_FALSE(QFileInfo(e.commands.recovery().file()).isSymLink());
    ASSERT_TRUE(e.commands.save());
    e.commands.finish();
    EXPECT_EQ(contents(victim), "à garder");
    EXPECT_EQ(dialogs.asked, QStringList{});
}

TEST_F(Safeguards, TheLockIsTakenOverWhenUnreadableTakenWhenLetGoAndItsFailureSaid)
{
    // left empty by a power cut a while ago: taken over
    const QString lock = Recovery::lockFor(path);
    QDir().mkpath(Recovery::folder());
    writeFile(lock, "");
    QFile old(lock);
    ASSERT_TRUE(old.open(QIODevice::ReadWrite)
                && old.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    old.close();
    const auto held = [&] { return Recovery::heldBy(lock).value_or(Recovery::Holder{}).pid; };
    {
        Editor first(dialogs);
        ASSERT_TRUE(first.commands.open(path));
        EXPECT_EQ(held(), QCoreApplication::applicationPid());
        // one opened anyway takes it once the first lets it go
        Editor second(dialogs);
        dialogs.answers = {"Oui"};
        ASSERT_TRUE(second.commands.open(path));
        first.commands.finish();
        EXPECT_TRUE(QTest::qWaitFor([&] { return held() != 0; }, 5000));
    }
    // no folder for the locks: said once
    writeFile(dir.filePath("fichier"), "");
    qputenv("XDG_DATA_HOME", dir.filePath("fichier").toUtf8());
    Editor e(dialogs);
    ASSERT_TRUE(e.commands.open(path));
    ASSERT_TRUE(e.commands.open(path));
    ASSERT_EQ(e.failures.size(), 1);
    EXPECT_TRUE(e.failures[0].startsWith("Le verrou du script ne peut pas être pris: Impossible de créer le dossier \""
                                         + dir.filePath("fichier"))) << e.failures[0].toStdString();
    EXPECT_EQ(dialogs.asked.size(), 1);
}

// "Travail non enregistré...": the work of every script, found through the
// links to its folder, wherever the script went since.
TEST_F(Safeguards, WorkLeftBehindIsListedWhereverItsScriptIsAndFoundThroughLinks)
{
    QTemporaryDir other;
    const QString link = other.filePath("lien");
    ASSERT_TRUE(QFile::link(dir.path(), link));
    const QString work = leftBehind("(defconst z 9)\r\n");
    Editor e(dialogs);
    ASSERT_TRUE(e.commands.open(link + "/ia.per"));
    ASSERT_EQ(e.notices.value(0).first, Notice::Recovery);

    ASSERT_TRUE(QFile::rename(path, dir.filePath("ailleurs.per")));
    const QString gone = leftBehind("(defconst y 8)\r\n", 120);
    const QList<Recovery::Left> listed = e.commands.leftBehind();
    ASSERT_EQ(listed.size(), 2);
    EXPECT_EQ(std::tuple(listed[0].file, listed[0].script, listed[0].size), std::tuple(gone, path, qint64(16)));
    ASSERT_TRUE(e.commands.recoverFile(gone));
    EXPECT_EQ(std::tuple(e.doc.currentFile(), e.doc.isModified(), e.doc.rows().text(1)),
              std::tuple(path, true, QString("Constante: y = 8")));
    EXPECT_TRUE(e.commands.removeLeftBehind(work));
    e.commands.recovery().waitForDone();
    EXPECT_EQ(recoveryFiles(), QStringList{QFileInfo(e.commands.recovery().file()).fileName()});
    EXPECT_EQ(dialogs.asked, QStringList{});
}

// Where the recovery files go in odd environments: never under the working
// folder nor at the root; a stale temporary goes.
TEST_F(Safeguards, TheRecoveryFolderIsTheUsersOwnAndStaleTemporariesGo)
{
    const QByteArray home = qgetenv("HOME");
    const QString own = QDir::homePath();
    const std::tuple<const char *, QByteArray, QString> cases[] = {
        {"relatif", home, QDir(QString::fromUtf8(home)).filePath(".local/share/vardelo/recuperation")},
        {nullptr, home, QDir(QString::fromUtf8(home)).filePath(".local/share/vardelo/recuperation")},
        {nullptr, {}, QString()}, // the account's home
    };
    for (const auto &[xdg, h, expected] : cases) {
        xdg ? qputenv("XDG_DATA_HOME", xdg) : qunsetenv("XDG_DATA_HOME");
        h.isNull() ? qunsetenv("HOME") : qputenv("HOME", h);
        const QString folder = Recovery::folder();
        if (!expected.isEmpty()) {
            EXPECT_EQ(folder, expected);
        }
        EXPECT_TRUE(folder.isEmpty() || (QDir::isAbsolutePath(folder) && !folder.startsWith("/.local"))) << folder.toStdString();
    }
    qputenv("HOME", home);
    qputenv("XDG_DATA_HOME", data.path().toUtf8());

    QDir().mkpath(Recovery::folder());
    const QString stale = Recovery::fileFor(path, 5) + ".Ab12Cd", fresh = Recovery::fileFor(path, 6) + ".Ef34Gh";
    for (const QString &t : {stale, fresh})
        writeFile(t, "{");
    QFile f(stale);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite)
                && f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    f.close();
    Recovery::clearStaleTemporaries();
    EXPECT_EQ(std::pair(QFile::exists(stale), QFile::exists(fresh)), std::pair(false, true));
}

// A recovery file's header is checked before its numbers are used: a size
// beyond any integer is said as written, never converted.
TEST(RecoveryFile, AHeaderIsCheckedBeforeItsNumbersAreUsed)
{
    const QByteArray head = R"({"encodage":"UTF-8","format":"recuperation-vardelo","heure":"2026-12-08T10:15:30.000Z",)";
    const std::pair<QByteArray, QString> cases[] = {
        {head + R"("octets":1e300,"version":1})" + "\nabc", "il est tronqué (3 octets sur 1e+300)"},
        {head + R"("octets":2.5,"version":1})" + "\nabc", "il est tronqué (3 octets sur 2.5)"},
        {head + R"("octets":-3,"version":1})" + "\nabc", "son en-tête est incomplet ou d'une autre version"},
        {head + R"("octets":3,"version":1,"encodageScript":"latin"})" + "\nabc",
         "son en-tête est incomplet ou d'une autre version"},
        {"\nabc", "ce n'est pas un fichier de récupération de Vardelo"},
    };
    for (const auto &[file, why] : cases) {
        Recovery::Saved saved;
        QString said;
        EXPECT_FALSE(Recovery::decode(file, saved, said));
        EXPECT_EQ(said, why);
    }
    Recovery::Saved saved;
    QString said;
    ASSERT_TRUE(Recovery::decode(head + R"("octets":3,"version":1})" + "\nabc", saved, said));
    EXPECT_EQ(std::tuple(saved.bytes, saved.encoding, saved.scriptEncoding),
              std::tuple(QByteArray("abc"), TextEncoding::Utf8, TextEncoding::Utf8));
}

// Work on a script removed since cannot be offered by opening it: the
// editor that starts says where it is.
TEST_F(Safeguards, WorkOnAScriptGoneIsSaidAtStart)
{
    leftBehind("(defconst z 9)\r\n");
    QFile::remove(path);
    Editor e(dialogs);
    e.commands.lookForRecovery();
    ASSERT_EQ(e.notices.size(), 1);
    EXPECT_EQ(e.notices[0], std::pair(Notice::RecoveryListed,
                                      QString("Des modifications non enregistrées de « ia.per », qui n'est plus à sa "
                                              "place, ont été retrouvées: « Fichier » > « Travail non enregistré... » "
                                              "permet de les récupérer ou de les supprimer.")));
}
