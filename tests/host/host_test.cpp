#include "hostwindow.h"
#include "pluginhost.h"
#include "quorrinplugin.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
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
} // namespace

class Host : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "host_tests";
        static char *argv[] = {name, nullptr};
        if (!qApp)
            new QApplication(argc, argv);
    }
};

TEST_F(Host, LoadsTheVardeloLibraryWithItsIdentity)
{
    const QList<LoadedPlugin> plugins = PluginHost::loadFolder(VARDELO_PLUGIN_DIR);
    const LoadedPlugin *p = findVardelo(plugins);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(p->error.isEmpty()) << p->error.toStdString();
    ASSERT_NE(p->plugin, nullptr);
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

TEST_F(Host, ReportsALibraryThatIsNotAPlugin)
{
    EXPECT_TRUE(PluginHost::loadFolder("/nonexistent-folder").isEmpty());
}
