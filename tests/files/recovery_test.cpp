// What keeps the user's work when something else gets in the way, without a
// window: recovery files, the script's lock, the file changed on disk and
// the question before writing over it.
#include "coresupport.h"
#include "document/scriptdocument.h"
#include "files/filecommands.h"
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
#include <gtest/gtest.h>

using namespace TestSupport;

namespace {
// Every question answered from a list, "Oui" or "Non", and noted.
struct Answers : FileDialogs {
    std::deque<QString> answers;
    QStringList asked;
    bool answer(const QString &q)
    {
        asked << q;
        const QString a = answers.empty() ? QString("<aucune réponse>") : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return a == "Oui";
    }
    QString askOpenFileName() override { return {}; }
    QString askSaveFileName() override { return {}; }
    bool askYesNo(const QString &q) override { return answer(q); }
    Answer askYesNoCancel(const QString &q) override { return answer(q) ? Answer::Yes : Answer::No; }
    bool askOverwrite(const QString &q) override { return answer("<écraser> " + q); }
    void tell(const QString &m) override { asked << m; }
    void askCompanion(const QString &) override {}
    void busy(bool) override {}
};

// A process that no longer runs: whatever it left is left behind.
qint64 deadProcess()
{
    QProcess p;
    p.start("true");
    p.waitForStarted();
    const qint64 pid = p.processId();
    p.waitForFinished();
    return pid;
}

const QByteArray Script = "(defconst a 1)\r\n;  espacé   à la main\r\n";

// An editor: a document, its file commands, and what its bars were told.
struct Editor {
    explicit Editor(Answers &a) : commands(doc, a)
    {
        QObject::connect(&commands, &FileCommands::notice, [this](FileCommands::Notice k, const QString &m) {
            notices << std::make_pair(k, m);
        });
        QObject::connect(&commands, &FileCommands::recoveryFailed, [this](const QString &m) { failures << m; });
        commands.recovery().setDelays(30, 1000);
    }
    void change() { doc.rows().setKind(doc.rows().addRow(" "), LineKind::BL); }
    QByteArray bytes() const
    {
        SaveOpen::SaveText t;
        QString error;
        return doc.bytes(t, error) ? t.bytes : QByteArray("<refusé>");
    }
    ScriptDocument doc;
    FileCommands commands;
    QList<std::pair<FileCommands::Notice, QString>> notices;
    QStringList failures;
};
} // namespace

class Safeguards : public ::testing::Test
{
protected:
    Safeguards()
    {
        Options::CompanionFilePolicy = 3;
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        writeFile(path, Script);
    }
    // Work left by an editor that stopped (a dead process), as it wrote it.
    QString leftBehind(const QString &script, const QByteArray &bytes, qint64 secondsFromNow = 60)
    {
        const QString file = Recovery::fileFor(script, deadProcess());
        QString error;
        EXPECT_TRUE(Recovery::write(file, {script, QDateTime::currentDateTime().addSecs(secondsFromNow),
                                           TextEncoding::Windows1252, bytes}, error)) << error.toStdString();
        return file;
    }
    QStringList recoveryFiles() const { return QDir(Recovery::folder()).entryList({"*.recup"}, QDir::Files); }

    QTemporaryDir data, dir;
    const QString path = dir.filePath("ia.per");
    Answers answers;
};

TEST_F(Safeguards, TheRecoveryFileHoldsTheUnsavedWorkUntilItIsSavedOrDropped)
{
    Editor e(answers);
    ASSERT_TRUE(e.commands.open(path));
    e.change();
    const QString file = e.commands.recovery().file();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(file); }, 3000));
    Recovery::Saved saved;
    QString error;
    ASSERT_TRUE(Recovery::read(file, saved, error));
    EXPECT_EQ(saved.script, path);
    EXPECT_EQ(saved.bytes, e.bytes());
    EXPECT_LE(qAbs(saved.time.secsTo(QDateTime::currentDateTime())), 5);
    // saved: it goes
    ASSERT_TRUE(e.commands.save());
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
    answers.answers = {"Non"};
    EXPECT_TRUE(e.commands.newFile());
    e.commands.recovery().waitForDone();
    EXPECT_EQ(recoveryFiles(), QStringList{});

    // an editor that goes unasked keeps it, for the next start; asked, not
    e.change();
    e.commands.finish();
    EXPECT_EQ(recoveryFiles().size(), 1);
    Editor next(answers);
    next.commands.lookForRecovery();
    ASSERT_EQ(next.notices.size(), 1);
    EXPECT_EQ(next.notices[0].first, FileCommands::Notice::Recovery);
    EXPECT_TRUE(next.notices[0].second.startsWith("Un script sans titre jamais enregistré a été retrouvé (copie de secours du "));
    next.change();
    answers.answers = {"Non"};
    EXPECT_TRUE(next.commands.maybeSave());
    next.commands.finish();
    EXPECT_EQ(recoveryFiles().size(), 1) << "only the one offered, not taken";
}

TEST_F(Safeguards, WorkLeftBehindIsOfferedAndSavesAsTheLostSaveWould)
{
    // what the lost editor would have saved
    ScriptDocument lost;
    QString error;
    SaveOpen::SaveText text;
    ASSERT_TRUE(lost.open(path, error));
    lost.rows().setText(1, "Constante: a = 2");
    lost.rows().setKind(lost.rows().addRow(" "), LineKind::BL);
    ASSERT_TRUE(lost.bytes(text, error));
    const QByteArray expected = text.bytes;
    leftBehind(path, expected);

    Editor e(answers);
    ASSERT_TRUE(e.commands.open(path));
    ASSERT_EQ(e.notices.size(), 1);
    EXPECT_EQ(e.notices[0].first, FileCommands::Notice::Recovery);
    EXPECT_TRUE(e.notices[0].second.startsWith("Des modifications de « ia.per » qui n'ont pas été enregistrées ont été "
                                               "retrouvées (copie de secours du "));
    ASSERT_TRUE(e.commands.recover());
    EXPECT_TRUE(e.doc.isModified());
    EXPECT_EQ(e.doc.currentFile(), path);
    EXPECT_EQ(e.doc.rows().text(1), "Constante: a = 2");
    e.commands.recovery().waitForDone();
    EXPECT_EQ(recoveryFiles(), QStringList{QFileInfo(e.commands.recovery().file()).fileName()}) << "taken over";
    // undoing never makes it "saved"; saving writes the lost save's bytes
    e.change();
    e.doc.history().undo();
    EXPECT_TRUE(e.doc.isModified());
    ASSERT_TRUE(e.commands.save());
    EXPECT_EQ(contents(path), expected);
    e.commands.recovery().waitForDone();
    EXPECT_EQ(recoveryFiles(), QStringList{});
    e.commands.finish();

    // older than the script: not offered; "Ignorer" keeps the script and drops the work
    leftBehind(path, "ancien", -3600);
    Editor f(answers);
    f.commands.open(path);
    EXPECT_TRUE(f.notices.isEmpty());
    leftBehind(path, "(defconst b 3)\r\n");
    f.commands.open(path);
    ASSERT_EQ(f.notices.size(), 1);
    f.commands.ignoreRecovery();
    EXPECT_EQ(recoveryFiles(), QStringList{});
    EXPECT_FALSE(f.doc.isModified());
    EXPECT_EQ(contents(path), expected);
    EXPECT_EQ(answers.asked, QStringList{});
}

TEST_F(Safeguards, AnUnreadableRecoveryFileIsSaidAndKeptAside)
{
    const QString truncated = leftBehind(path, "(defconst a 2)\r\n");
    QFile f(truncated);
    ASSERT_TRUE(f.resize(f.size() - 3));
    const QString garbage = leftBehind(path, "");
    writeFile(garbage, "pas une copie de secours");
    Editor e(answers);
    ASSERT_TRUE(e.commands.open(path));
    ASSERT_EQ(e.notices.size(), 1);
    EXPECT_EQ(e.notices[0].first, FileCommands::Notice::RecoveryUnreadable);
    const QString &m = e.notices[0].second;
    EXPECT_TRUE(m.contains("il est tronqué (13 octets sur 16); il est mis de côté dans")) << m.toStdString();
    EXPECT_TRUE(m.contains("ce n'est pas un fichier de récupération de Vardelo; il est mis de côté")) << m.toStdString();
    EXPECT_EQ(recoveryFiles(), QStringList{});
    EXPECT_EQ(contents(Recovery::asideFolder() + "/" + QFileInfo(garbage).fileName()), "pas une copie de secours");
    EXPECT_EQ(e.doc.rows().count(), 2);
    EXPECT_FALSE(e.doc.isModified());
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
        Editor e(answers);
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
    writeFile(Recovery::lockFor(path), QByteArray::number(deadProcess()) + "\nquorrin-host\n"
                                           + QSysInfo::machineHostName().toUtf8() + "\n");
    Editor first(answers);
    ASSERT_TRUE(first.commands.open(path));
    EXPECT_EQ(answers.asked, QStringList{});
    EXPECT_EQ(Recovery::heldBy(Recovery::lockFor(path)).value_or(Recovery::Holder{}).pid,
              QCoreApplication::applicationPid());

    // held by a running editor: asked, and "Non" opens nothing
    Editor second(answers);
    answers.answers = {"Non", "Oui"};
    EXPECT_FALSE(second.commands.open(path));
    EXPECT_TRUE(second.doc.currentFile().isEmpty());
    ASSERT_TRUE(second.commands.open(path));
    EXPECT_EQ(answers.asked[0], QString("Le script « ia.per » est déjà ouvert dans un autre éditeur (processus %1, %2). "
                                        "L'ouvrir quand même ?")
                                    .arg(QCoreApplication::applicationPid())
                                    .arg(QFileInfo(QCoreApplication::applicationFilePath()).fileName()));
    // each then asks before writing over the other's save
    answers.asked.clear();
    second.change();
    ASSERT_TRUE(second.commands.save());
    first.change();
    answers.answers = {"Non"};
    EXPECT_FALSE(first.commands.save());
    EXPECT_EQ(answers.asked,
              QStringList{"<écraser> Le fichier a été modifié par un autre programme depuis son ouverture. L'écraser ?"});
    EXPECT_EQ(contents(path), second.bytes());
    EXPECT_TRUE(first.doc.isModified());
}

TEST_F(Safeguards, AFileChangedOnDiskIsReloadedOrAskedAbout)
{
    Editor e(answers);
    ASSERT_TRUE(e.commands.open(path));
    const auto waitForNotice = [&] {
        e.notices.clear();
        return QTest::qWaitFor([&] { return !e.notices.isEmpty(); }, 3000);
    };
    // without unsaved changes: read again by itself
    writeFile(path, "(defconst b 2)\r\n");
    ASSERT_TRUE(waitForNotice());
    EXPECT_EQ(e.notices[0], std::make_pair(FileCommands::Notice::Reloaded,
                                           QString("Le fichier « ia.per » a été modifié par un autre programme: il a été relu.")));
    EXPECT_EQ(e.doc.rows().text(1), "Constante: b = 2");
    // with some: kept, and "Recharger" asks first
    e.change();
    writeFile(path, "(defconst c 3)\r\n");
    ASSERT_TRUE(waitForNotice());
    EXPECT_EQ(e.notices[0].first, FileCommands::Notice::ChangedOutside);
    EXPECT_EQ(e.doc.rows().count(), 2);
    answers.answers = {"Non", "Non", "Oui"};
    EXPECT_FALSE(e.commands.reload());
    EXPECT_FALSE(e.commands.save()) << "an outside change is not written over unasked";
    EXPECT_EQ(contents(path), "(defconst c 3)\r\n");
    EXPECT_TRUE(e.commands.save());
    EXPECT_EQ(contents(path), "(defconst b 2)\r\n\r\n");
    EXPECT_TRUE(answers.asked.value(0).startsWith("Relire le fichier abandonnera les modifications"));
    // removed: the work is unsaved again, and saving writes it unasked
    answers.asked.clear();
    QFile::remove(path);
    ASSERT_TRUE(waitForNotice());
    EXPECT_EQ(e.notices[0].first, FileCommands::Notice::RemovedOutside);
    EXPECT_TRUE(e.doc.isModified());
    EXPECT_TRUE(e.commands.save());
    EXPECT_EQ(contents(path), "(defconst b 2)\r\n\r\n");
    EXPECT_EQ(answers.asked, QStringList{});
}
