#include "hostwindow.h"
#include "pluginhost.h"
#include "quorrinplugin.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
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
#include <functional>
#include <gtest/gtest.h>

namespace {
const LoadedPlugin *findVardelo(const QList<LoadedPlugin> &plugins)
{
    for (const LoadedPlugin &p : plugins)
        if (p.identity.value("TypeLibrary").toString() == "Vardelo")
            return &p;
    return nullptr;
}

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
    QWidget *editor = editorWindow();
    if (!editor)
        return nullptr;
    for (QAction *m : editor->findChild<QMenuBar *>()->actions())
        if (m->text() == menu && m->menu())
            for (QAction *a : m->menu()->actions())
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
    Answers &then(Answer a)
    {
        m_pending.push_back(std::move(a));
        return *this;
    }
    QStringList seen;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            QPointer<QWidget> w = static_cast<QWidget *>(watched);
            if (w->isWindow() && w->isModal())
                QTimer::singleShot(0, this, [this, w] {
                    if (w && w->isVisible() && w == QApplication::activeModalWidget())
                        answer(w);
                });
        }
        return false;
    }

private:
    void answer(QWidget *w)
    {
        seen << w->windowTitle();
        if (m_pending.empty()) {
            ADD_FAILURE() << "unexpected window \"" << w->windowTitle().toStdString() << '"';
            w->close();
            return;
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
            if (b->text() == button) {
                b->click();
                return;
            }
        ADD_FAILURE() << "no button \"" << button.toStdString() << "\" in " << w->windowTitle().toStdString();
        w->close();
    };
}

// Answers a file chooser with path; "" cancels it.
Answers::Answer chooseFile(const QString &path)
{
    return [=](QWidget *w) {
        auto *d = qobject_cast<QFileDialog *>(w);
        ASSERT_NE(d, nullptr) << w->metaObject()->className();
        if (path.isEmpty()) {
            d->reject();
            return;
        }
        d->selectFile(path);
        QMetaObject::invokeMethod(d, "accept");
    };
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<absent>");
}
} // namespace

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
};

// The host closing with the editor open: what the user is asked, and what
// becomes of his script and of the host.
class HostClosing : public Host
{
protected:
    void SetUp() override
    {
        host.show();
        ASSERT_EQ(host.controls().size(), 1);
        QTest::mouseClick(host.controls().first()->findChild<QPushButton *>(), Qt::LeftButton);
        editor = editorWindow();
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(dir.isValid());
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
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        answers.then(chooseFile(path));
        editorCommand("Fichier", "Ouvrir")->trigger();
    }
    QStringList rows() const
    {
        QStringList out;
        const QAbstractItemModel *m = editor->findChild<QTableView *>()->model();
        for (int i = 0; i < m->rowCount(); ++i)
            out << m->index(i, 0).data().toString();
        return out;
    }
    // Closes the host as the user does, within the application's event loop;
    // whether the application then ended.
    bool closeHostAndRun()
    {
        QTimer::singleShot(0, &host, &QWidget::close);
        return applicationEndsByItself();
    }

    HostWindow host{PluginHost::loadFolder(VARDELO_PLUGIN_DIR)};
    QPointer<QWidget> editor;
    QTemporaryDir dir;
    Answers answers;
};

const QString UnsavedQuestion = "Le script a été modifié. Voulez-vous enregistrer les modifications ?";
const QByteArray Script = "(defconst a 1)\r\n";

TEST_F(Host, LoadsTheVardeloLibraryWithItsIdentity)
{
    const QList<LoadedPlugin> plugins = PluginHost::loadFolder(VARDELO_PLUGIN_DIR);
    const LoadedPlugin *p = findVardelo(plugins);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->error.isEmpty()) << p->error.toStdString();
    ASSERT_NE(p->plugin, nullptr);
    EXPECT_NE(p->closeQuery, nullptr) << "the editor is asked before the host closes";
    EXPECT_EQ(p->identity.value("HelpString").toString(),
              "Quorrin - Plugin d'édition de fichier PER et AI pour Kelvarra");
    EXPECT_EQ(p->identity.value("Class").toString(), "Plg");
    EXPECT_EQ(p->identity.value("ProgId").toString(), "Vardelo.Plg");
    EXPECT_EQ(p->identity.value("Version").toString(), "1.00");
    const QJsonObject itf = p->identity.value("Interfaces").toObject();
    EXPECT_TRUE(itf.contains("_Plg"));
    EXPECT_TRUE(itf.contains("__Plg"));
    // the data files beside the library are not taken for plug-ins
    EXPECT_EQ(plugins.size(), 1);
}

TEST_F(Host, PlacesTheControlAndClosesEveryPluginWindowWhenItCloses)
{
    HostWindow host(PluginHost::loadFolder(VARDELO_PLUGIN_DIR));
    host.show();
    ASSERT_EQ(host.controls().size(), 1);
    auto *box = qobject_cast<QGroupBox *>(host.controls().first()->parentWidget());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->title(), "Quorrin - Plugin d'édition de fichier PER et AI pour Kelvarra");
    QPushButton *button = host.controls().first()->findChild<QPushButton *>();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), "Kelvarra PER");
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_NE(editorWindow(), nullptr);
    EXPECT_TRUE(editorWindow()->isVisible());
    host.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(editorWindow(), nullptr);
}

TEST_F(Host, ClosingWithTheHelpWindowOpenEndsTheApplication)
{
    HostWindow host(PluginHost::loadFolder(VARDELO_PLUGIN_DIR));
    host.show();
    ASSERT_EQ(host.controls().size(), 1);
    QTest::mouseClick(host.controls().first()->findChild<QPushButton *>(), Qt::LeftButton);
    QAction *help = editorCommand("Aide", "Aide");
    ASSERT_NE(help, nullptr);
    help->trigger();
    QWidget *helpWindow = topLevel("Aide de Vardelo");
    ASSERT_NE(helpWindow, nullptr);
    EXPECT_TRUE(helpWindow->isVisible());

    QTimer::singleShot(0, &host, &QWidget::close);
    EXPECT_TRUE(applicationEndsByItself());
    EXPECT_FALSE(host.isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(topLevel("Aide de Vardelo"), nullptr);
    EXPECT_EQ(editorWindow(), nullptr);
}

TEST_F(HostClosing, AnnulerKeepsTheHostAndTheScriptAndNonThenClosesWithoutSaving)
{
    addBlankLine();
    addBlankLine();
    const QStringList before = rows();
    ASSERT_EQ(before.size(), 2);

    QString question;
    answers.then(press("Annuler", &question));
    EXPECT_FALSE(host.close());
    EXPECT_EQ(answers.seen, QStringList{"Vardelo"});
    EXPECT_EQ(question, UnsavedQuestion);
    EXPECT_TRUE(host.isVisible());
    ASSERT_EQ(host.controls().size(), 1);
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(rows(), before);

    // asked again, the work is still unsaved
    question.clear();
    answers.then(press("Non", &question));
    EXPECT_TRUE(closeHostAndRun());
    EXPECT_EQ(question, UnsavedQuestion);
    EXPECT_FALSE(host.isVisible());
    EXPECT_TRUE(host.controls().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(editorWindow(), nullptr);
    EXPECT_EQ(answers.seen, (QStringList{"Vardelo", "Vardelo"})) << "no file chooser";
}

TEST_F(HostClosing, OuiSavesToTheCurrentFileThenCloses)
{
    const QString path = dir.filePath("ia.per");
    openScript(path, Script);
    ASSERT_EQ(rows().size(), 1);
    addBlankLine();

    QString question;
    answers.then(press("Oui", &question)).then(press("Non")); // no companion ".ai" file
    EXPECT_TRUE(closeHostAndRun());
    EXPECT_EQ(question, UnsavedQuestion);
    EXPECT_EQ(answers.seen, (QStringList{"Ouvrir...", "Vardelo", "Plugin PER"}));
    EXPECT_EQ(contents(path), Script + "\r\n");
    EXPECT_FALSE(host.isVisible());
}

TEST_F(HostClosing, OuiOnANewScriptAsksForAFileAndCancellingItKeepsTheHost)
{
    addBlankLine();
    answers.then(press("Oui")).then(chooseFile(""));
    EXPECT_FALSE(host.close());
    EXPECT_EQ(answers.seen, (QStringList{"Vardelo", "Enregistrer sous..."}));
    EXPECT_TRUE(host.isVisible());
    ASSERT_TRUE(editor);
    EXPECT_EQ(rows().size(), 1);

    const QString path = dir.filePath("nouveau.per");
    answers.then(press("Oui")).then(chooseFile(path)).then(press("Non"));
    EXPECT_TRUE(closeHostAndRun());
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_FALSE(host.isVisible());
}

TEST_F(HostClosing, NothingIsAskedWithoutUnsavedWork)
{
    const QString path = dir.filePath("ia.per");
    openScript(path, Script);
    ASSERT_EQ(rows().size(), 1);

    EXPECT_TRUE(closeHostAndRun());
    EXPECT_EQ(answers.seen, QStringList{"Ouvrir..."});
    EXPECT_EQ(contents(path), Script);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(editorWindow(), nullptr);
}

TEST_F(Host, ReportsALibraryThatIsNotAPlugin)
{
    EXPECT_TRUE(PluginHost::loadFolder("/nonexistent-folder").isEmpty());
}
