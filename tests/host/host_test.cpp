#include "hostwindow.h"
#include "pluginhost.h"
#include "quorrinplugin.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <deque>
#include <gtest/gtest.h>

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

QWidget *editorWindow()
{
    return topLevel("Editeur de fichiers PER & AI pur Kelvarra");
}

// The editor's menu command with that text, found as the user sees it.
QAction *editorCommand(const QString &menu, const QString &command)
{
    for (QAction *m : editorWindow()->findChild<QMenuBar *>()->actions())
        for (QAction *a : m->text().remove(QLatin1Char('&')) == menu && m->menu() ? m->menu()->actions() : QList<QAction *>())
            if (a->text() == command)
                return a;
    return nullptr;
}

// Runs the application's event loop, as the host's main does, until it quits
// by itself; false when it was still running after a few seconds.
bool applicationEndsByItself()
{
    QTimer guard;
    guard.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    guard.start(5000);
    QApplication::exec();
    return !timedOut;
}

// Answers the modal windows of the plug-in in the order they come, each as
// soon as it shows, and keeps the title of every one it saw. A window nobody
// expected is a failure, and is closed so the test goes on.
class Answers : public QObject
{
public:
    using Answer = std::function<void(QWidget *)>;
    Answers() { qApp->installEventFilter(this); }
    ~Answers() override
    {
        qApp->removeEventFilter(this);
        EXPECT_TRUE(m_pending.empty()) << m_pending.size() << " expected window(s) did not come";
    }
    Answers &then(Answer a) { return m_pending.push_back(std::move(a)), *this; }
    QStringList seen;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        QPointer<QWidget> w = qobject_cast<QWidget *>(watched);
        if (event->type() == QEvent::Show && w && w->isWindow() && w->isModal())
            QTimer::singleShot(0, this, [this, w] {
                if (w && w->isVisible() && w == QApplication::activeModalWidget())
                    answer(w);
            });
        return false;
    }

private:
    void answer(QWidget *w)
    {
        seen << w->windowTitle();
        if (m_pending.empty()) {
            ADD_FAILURE() << "unexpected window \"" << w->windowTitle().toStdString() << '"';
            return (void)w->close();
        }
        const Answer a = m_pending.front();
        m_pending.pop_front();
        a(w);
    }
    std::deque<Answer> m_pending;
};

// Presses the button with that text (a message box's or a dialog's own);
// records the message's text.
Answers::Answer press(const QString &button, QString *text = nullptr)
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
} // namespace

// The host with the plug-in's control placed and the editor opened by it.
class Host : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "host_tests";
        static char *argv[] = {name, nullptr};
        // The plug-in's settings go to a private folder, never to the user's.
        static QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", QDir(config.path()).absolutePath().toUtf8());
        qputenv("WINEPREFIX", QDir(config.path()).filePath("wine").toUtf8());
        if (!qApp)
            new QApplication(argc, argv);
    }
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
        answers.then(TestSupport::fileAnswer(path));
        editorCommand("Fichier", "Ouvrir")->trigger();
    }
    int rowCount() const { return editor->findChild<QTableView *>()->model()->rowCount(); }
    // Closes the host as the user does, within the application's event loop;
    // whether the application then ended.
    bool closeHostAndRun()
    {
        QTimer::singleShot(0, &host, &QWidget::close);
        const bool ended = applicationEndsByItself();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return ended;
    }

    HostWindow host{PluginHost::loadFolder(VARDELO_PLUGIN_DIR)};
    QPointer<QWidget> editor;
    QTemporaryDir dir;
    Answers answers;
};

TEST_F(Host, LoadsTheVardeloLibraryWithItsIdentityAndNothingElse)
{
    const QList<LoadedPlugin> plugins = PluginHost::loadFolder(VARDELO_PLUGIN_DIR);
    // the data files beside the library are not taken for plug-ins
    ASSERT_EQ(plugins.size(), 1);
    const LoadedPlugin &p = plugins.first();
    EXPECT_TRUE(p.error.isEmpty()) << p.error.toStdString();
    ASSERT_NE(p.plugin, nullptr);
    EXPECT_NE(p.closeQuery, nullptr) << "the editor is asked before the host closes";
    QStringList identity;
    for (const char *key : {"TypeLibrary", "Class", "ProgId", "Version"})
        identity << p.identity.value(key).toString();
    EXPECT_EQ(identity.join(' '), "Vardelo Plg Vardelo.Plg 1.00");
    const QJsonObject itf = p.identity.value("Interfaces").toObject();
    EXPECT_TRUE(itf.contains("_Plg") && itf.contains("__Plg"));
    EXPECT_TRUE(PluginHost::loadFolder("/nonexistent-folder").isEmpty());
}

TEST_F(Host, PlacesTheControlAndClosesEveryPluginWindowWhenItCloses)
{
    auto *box = qobject_cast<QGroupBox *>(host.controls().first()->parentWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title(), "Quorrin - Plugin d'édition de fichier PER et AI pour Kelvarra");
    EXPECT_EQ(host.controls().first()->findChild<QPushButton *>()->text(), "Kelvarra PER");
    // with the help window open too, the application ends
    editorCommand("Aide", "Aide")->trigger();
    ASSERT_NE(topLevel("Aide de Vardelo"), nullptr);
    EXPECT_TRUE(closeHostAndRun());
    EXPECT_FALSE(host.isVisible());
    EXPECT_EQ(topLevel("Aide de Vardelo"), nullptr);
    EXPECT_EQ(editorWindow(), nullptr);
}

TEST_F(Host, AnnulerKeepsTheHostAndTheScriptAndNonThenClosesWithoutSaving)
{
    addBlankLine();
    addBlankLine();
    ASSERT_EQ(rowCount(), 2);
    QString question;
    answers.then(press("Annuler", &question));
    EXPECT_FALSE(host.close());
    EXPECT_EQ(answers.seen, QStringList{"Vardelo"});
    EXPECT_EQ(question, UnsavedQuestion);
    EXPECT_TRUE(host.isVisible());
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(rowCount(), 2);

    // asked again, the work is still unsaved
    answers.then(press("Non"));
    EXPECT_TRUE(closeHostAndRun());
    EXPECT_FALSE(host.isVisible());
    EXPECT_TRUE(host.controls().isEmpty());
    EXPECT_EQ(editorWindow(), nullptr);
    EXPECT_EQ(answers.seen, (QStringList{"Vardelo", "Vardelo"})) << "no file chooser";
}

TEST_F(Host, OuiSavesToTheCurrentFileThenCloses)
{
    const QString path = dir.filePath("ia.per");
    openScript(path, Script);
    ASSERT_EQ(rowCount(), 1);
    addBlankLine();
    answers.then(press("Oui")).then(press("Non")); // no companion ".ai" file
    EXPECT_TRUE(closeHostAndRun());
    EXPECT_EQ(answers.seen, (QStringList{"Ouvrir...", "Vardelo", "Plugin PER"}));
    EXPECT_EQ(contents(path), Script + "\r\n");
    EXPECT_FALSE(host.isVisible());
}

TEST_F(Host, OuiOnANewScriptAsksForAFileAndCancellingItKeepsTheHost)
{
    addBlankLine();
    answers.then(press("Oui")).then(TestSupport::fileAnswer(""));
    EXPECT_FALSE(host.close());
    EXPECT_EQ(answers.seen, (QStringList{"Vardelo", "Enregistrer sous..."}));
    EXPECT_TRUE(host.isVisible());
    ASSERT_TRUE(editor);
    EXPECT_EQ(rowCount(), 1);

    const QString path = dir.filePath("nouveau.per");
    answers.then(press("Oui")).then(TestSupport::fileAnswer(path)).then(press("Non"));
    EXPECT_TRUE(closeHostAndRun());
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_FALSE(host.isVisible());
}

TEST_F(Host, NothingIsAskedWithoutUnsavedWork)
{
    const QString path = dir.filePath("ia.per");
    openScript(path, Script);
    ASSERT_EQ(rowCount(), 1);
    EXPECT_TRUE(closeHostAndRun());
    EXPECT_EQ(answers.seen, QStringList{"Ouvrir..."});
    EXPECT_EQ(contents(path), Script);
    EXPECT_EQ(editorWindow(), nullptr);
}
