#include "hostwindow.h"
#include "pluginhost.h"
#include "quorrinplugin.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {
const LoadedPlugin *findVardelo(const QList<LoadedPlugin> &plugins)
{
    for (const LoadedPlugin &p : plugins)
        if (p.identity.value("TypeLibrary").toString() == "Vardelo")
            return &p;
    return nullptr;
}

QWidget *editorWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->windowTitle() == "Editeur de fichiers PER & AI pur Kelvarra")
            return w;
    return nullptr;
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

TEST_F(Host, ReportsALibraryThatIsNotAPlugin)
{
    EXPECT_TRUE(PluginHost::loadFolder("/nonexistent-folder").isEmpty());
}
