#include "hostwindow.h"
#include "pluginhost.h"
#include "quorrinplugin.h"
#include "testsupport.h"

#include <QGroupBox>
#include <QMenuBar>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <sys/stat.h>

using TestSupport::contents;
using TestSupport::UnsavedQuestion;

namespace {
QWidget *topLevel(const QString &title)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->windowTitle() == title)
            return w;
    return nullptr;
}

QWidget *editorWindow() { return topLevel("Editeur de fichiers PER & AI pur Kelvarra"); }

// The editor's menu command with that text, found as the user sees it.
QAction *editorCommand(const QString &menu, const QString &command)
{
    for (QAction *m : editorWindow()->findChild<QMenuBar *>()->actions())
        for (QAction *a : m->text().remove(QLatin1Char('&')) == menu && m->menu() ? m->menu()->actions() : QList<QAction *>())
            if (a->text() == command)
                return a;
    return nullptr;
}

// Presses the button with that text (a message box's or a dialog's own);
// records the message's text.
std::function<void(QWidget *)> press(const QString &button, QString *text = nullptr)
{
    return [=](QWidget *w) {
        if (auto *box = qobject_cast<QMessageBox *>(w); box && text)
            *text = box->text();
        for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
            if (b->text() == button)
                return b->click();
        ADD_FAILURE() << "no button \"" << button.toStdString() << "\" in " << w->windowTitle().toStdString();
        w->close();
    };
}
const QByteArray Script = "(defconst a 1)\r\n";

void startApplication()
{
    static int argc = 1;
    static char name[] = "host_tests";
    static char *argv[] = {name, nullptr};
    // The plug-in's settings and recovery files go to a private folder,
    // never to the user's.
    static QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QDir(config.path()).absolutePath().toUtf8());
    qputenv("XDG_DATA_HOME", QDir(config.path()).filePath("data").toUtf8());
    qputenv("WINEPREFIX", QDir(config.path()).filePath("wine").toUtf8());
    if (!qApp)
        new QApplication(argc, argv);
}
} // namespace

// The host with the plug-in's control placed and the editor opened by it.
class Host : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { startApplication(); }
    void SetUp() override
    {
        host.show();
        ASSERT_EQ(host.controls().size(), 1);
        QTest::mouseClick(host.controls().first()->findChild<QPushButton *>(), Qt::LeftButton);
        editor = editorWindow();
        ASSERT_NE(editor, nullptr);
    }

    // A blank line added at the end, as the user adds one.
    void addBlankLine()
    {
        auto *kinds = editor->findChild<QComboBox *>();
        kinds->setCurrentIndex(kinds->findText("Ligne blanche"));
        for (QPushButton *b : editor->findChildren<QPushButton *>())
            if (b->text() == "Ajouter")
                QTest::mouseClick(b, Qt::LeftButton);
    }
    // A script file written with bytes, opened by "Ouvrir".
    void openScript(const QString &path, const QByteArray &bytes)
    {
        TestSupport::writeFile(path, bytes);
        then(TestSupport::fileAnswer(path));
        editorCommand("Fichier", "Ouvrir")->trigger();
    }
    int rowCount() const { return editor->findChild<QTableView *>()->model()->rowCount(); }
    // Closes the host as the user does, within the application's event loop
    // run as the host's main runs it; whether the application then ended by
    // itself (false when it still ran after a few seconds).
    bool closeHostAndRun()
    {
        QTimer guard;
        bool timedOut = false;
        QObject::connect(&guard, &QTimer::timeout, [&] { timedOut = true; QCoreApplication::exit(1); });
        guard.start(5000);
        QTimer::singleShot(0, &host, &QWidget::close);
        QApplication::exec();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !timedOut;
    }

public:
    // Answers the next modal window, noting its title.
    Host &then(std::function<void(QWidget *)> answer)
    {
        TestSupport::onNextModal([this, answer](QWidget *w) {
            seen << w->windowTitle();
            answer(w);
        });
        return *this;
    }

protected:
    HostWindow host{PluginHost::loadFolder(VARDELO_PLUGIN_DIR)};
    QPointer<QWidget> editor;
    QTemporaryDir dir;
    QStringList seen; // the titles of the modal windows answered
};

TEST_F(Host, LoadsTheVardeloLibraryAloneWithItsIdentityAndItsWindowsGoWithTheHost)
{
    const QList<LoadedPlugin> plugins = PluginHost::loadFolder(VARDELO_PLUGIN_DIR);
    // the data files beside the library are not taken for plug-ins
    ASSERT_EQ(plugins.size(), 1);
    const LoadedPlugin &p = plugins.first();
    EXPECT_TRUE(p.error.isEmpty()) << p.error.toStdString();
    ASSERT_NE(p.plugin, nullptr);
    EXPECT_NE(p.closeQuery, nullptr) << "the editor is asked before the host closes";
    EXPECT_NE(p.fileOpener, nullptr);
    QStringList identity;
    for (const char *key : {"TypeLibrary", "Class", "ProgId", "Version"})
        identity << p.identity.value(key).toString();
    EXPECT_EQ(identity.join(' '), "Vardelo Plg Vardelo.Plg 1.00");
    const QJsonObject itf = p.identity.value("Interfaces").toObject();
    EXPECT_TRUE(itf.contains("_Plg") && itf.contains("__Plg"));
    EXPECT_TRUE(PluginHost::loadFolder("/nonexistent-folder").isEmpty());

    // its control placed; without unsaved work nothing is asked, and every
    // window of the plug-in goes with the host
    ASSERT_NE(qobject_cast<QGroupBox *>(host.controls().first()->parentWidget()), nullptr);
    const QString path = dir.filePath("ia.per");
    openScript(path, Script);
    ASSERT_EQ(rowCount(), 1);
    editorCommand("Aide", "Aide")->trigger();
    ASSERT_NE(topLevel("Aide de Vardelo"), nullptr);
    EXPECT_TRUE(closeHostAndRun());
    EXPECT_EQ(seen, QStringList{"Ouvrir..."});
    EXPECT_EQ(contents(path), Script);
    EXPECT_FALSE(host.isVisible());
    EXPECT_EQ(topLevel("Aide de Vardelo"), nullptr);
    EXPECT_EQ(editorWindow(), nullptr);
}

TEST_F(Host, AnnulerOrACancelledChooserKeepTheHostAndTheScriptAndNonClosesWithoutSaving)
{
    addBlankLine();
    addBlankLine();
    QString question;
    then(press("Annuler", &question));
    EXPECT_FALSE(host.close());
    EXPECT_EQ(question, UnsavedQuestion);
    then(press("Oui")).then(TestSupport::fileAnswer("")); // a new script: where to save it
    EXPECT_FALSE(host.close());
    EXPECT_EQ(seen, (QStringList{"Vardelo", "Vardelo", "Enregistrer sous..."}));
    EXPECT_TRUE(host.isVisible());
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(rowCount(), 2);

    then(press("Non"));
    EXPECT_TRUE(closeHostAndRun());
    EXPECT_FALSE(host.isVisible());
    EXPECT_TRUE(host.controls().isEmpty());
    EXPECT_EQ(editorWindow(), nullptr);
    EXPECT_EQ(seen.size(), 4) << "no file chooser";
}

TEST_F(Host, OuiSavesToTheCurrentFileThenCloses)
{
    const QString path = dir.filePath("ia.per");
    openScript(path, Script);
    addBlankLine();
    then(press("Oui")).then(press("Non")); // no companion ".ai" file
    EXPECT_TRUE(closeHostAndRun());
    EXPECT_EQ(seen, (QStringList{"Ouvrir...", "Vardelo", "Plugin PER"}));
    EXPECT_EQ(contents(path), Script + "\r\n");
    EXPECT_FALSE(host.isVisible());
}

// A file given to the host (its command line): a script opens in the editor,
// shown again if hidden, after the question about unsaved work; one the
// editor cannot read gets its message and leaves the script shown; a file no
// plug-in opens gets the host's message.
TEST_F(Host, GivesAFileToThePluginThatOpensSuchFiles)
{
    addBlankLine();
    editor->hide();
    const QString path = dir.filePath("ia.PER");
    TestSupport::writeFile(path, Script);
    then(press("Non"));
    EXPECT_TRUE(host.openFile(path));
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(rowCount(), 1);

    QString unread, unknown;
    then(press("OK", &unread));
    EXPECT_TRUE(host.openFile(dir.filePath("absent.per")));
    EXPECT_TRUE(unread.startsWith("Impossible d'ouvrir le fichier") && unread.contains("absent.per"))
        << unread.toStdString();
    then([&](QWidget *w) {
        unknown = static_cast<QMessageBox *>(w)->text();
        w->close();
    });
    EXPECT_FALSE(host.openFile(dir.filePath("notes.txt")));
    EXPECT_EQ(unknown, "Aucun plugin ne sait ouvrir le fichier « notes.txt ».");
    EXPECT_EQ(seen, (QStringList{"Vardelo", "Vardelo", "Quorrin"}));
    EXPECT_EQ(rowCount(), 1);
    EXPECT_EQ(contents(path), Script);
}

// The real host as a child process given the script, with the real plug-in
// and a driver plug-in that plays the user (hostdriver.cpp) in a plug-ins
// folder of the test's own, its settings and data in the test's folder:
// killed with unsaved work, the next host offers the work back, and saving
// gives the bytes the lost save would have written.
namespace {
// The real host as a child process, with the real plug-in and the driver.
class HostProcess : public ::testing::Test
{
protected:
    HostProcess()
    {
        startApplication();
        const QDir real(VARDELO_PLUGIN_DIR);
        for (const QString &name : real.entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
            QFile::link(real.filePath(name), QDir(plugins.path()).filePath(name));
        QFile::link(VARDELO_DRIVER, QDir(plugins.path()).filePath("pilote.so"));
        TestSupport::writeFile(script, Script);
    }
    void start(QProcess &host, const QString &step)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const auto &[name, value] : {std::pair{"XDG_DATA_HOME", home.filePath("data")},
                                          {"XDG_CONFIG_HOME", home.filePath("config")}, {"VARDELO_PILOTE", step}})
            env.insert(name, value);
        host.setProcessEnvironment(env);
        host.start(VARDELO_HOST, {"--plugins", plugins.path(), script});
    }
    QStringList recoveryFiles() const { return recovery.entryList({"*.recup"}, QDir::Files); }

    QTemporaryDir plugins, home;
    const QString script = home.filePath("ia.per");
    const QDir recovery{home.filePath("data/vardelo/recuperation")};
};
} // namespace

TEST_F(HostProcess, AKilledHostLeavesItsUnsavedWorkToTheNext)
{
    QProcess first;
    start(first, "modifier");
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.canReadLine(); }, 20000)) << first.readAllStandardError().toStdString();
    EXPECT_EQ(first.readLine(), "modifie\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return recoveryFiles().size() == 1; }, 15000));
    first.kill(); // as kill -9 does
    first.waitForFinished();
    EXPECT_EQ(contents(script), Script);

    QProcess second;
    start(second, "recuperer");
    ASSERT_TRUE(second.waitForFinished(30000));
    const QString out = QString::fromUtf8(second.readAllStandardOutput());
    EXPECT_EQ(second.exitCode(), 0) << out.toStdString() << second.readAllStandardError().toStdString();
    EXPECT_TRUE(out.contains("barre: Des modifications de « ia.per » qui n'ont pas été enregistrées ont été retrouvées"))
        << out.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression("etat: .*\\|Modifié\\|.*\nfin\n$"))) << out.toStdString();
    EXPECT_EQ(contents(script), Script + "\r\n");
    EXPECT_EQ(recoveryFiles(), QStringList{});
}

// The script replaced by a named pipe under a host with no unsaved work:
// the window never waits on it, says the file is gone, and writes the
// rows' recovery file at once; killed then, the rows are not lost.
TEST_F(HostProcess, AScriptReplacedByAPipeNeitherBlocksTheHostNorLosesItsRows)
{
    QProcess host;
    start(host, "attendre");
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.canReadLine(); }, 20000)) << host.readAllStandardError().toStdString();
    EXPECT_EQ(host.readLine(), "ouvert\n");
    QFile::remove(script);
    ASSERT_EQ(mkfifo(script.toLocal8Bit().constData(), 0600), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.canReadLine(); }, 15000)) << "the host hangs";
    EXPECT_TRUE(host.readLine().startsWith("barre: Le fichier « ia.per » a été remplacé par un dossier ou un fichier "
                                           "spécial par un autre programme"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return recoveryFiles().size() == 1; }, 5000));
    host.kill();
    host.waitForFinished();
    QFile::remove(script);
    const QByteArray copy = contents(recovery.filePath(recoveryFiles().value(0)));
    EXPECT_EQ(copy.mid(copy.indexOf('\n') + 1), Script);
    EXPECT_TRUE(copy.left(copy.indexOf('\n')).contains("\"script\":\"" + script.toUtf8() + "\"")) << copy.constData();
}
