// Settings, the Wine registry, the options window and the help window.
#include "document/plugfrm.h"
#include "document/scriptlistview.h"
#include "help/helpfrm.h"
#include "shell/optfrm.h"
#include "shell/options.h"
#include "shell/reg.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <gtest/gtest.h>
#include <memory>

using namespace TestSupport;

namespace {
// A registry value, or "<absente>" when the registry has none.
QString readValue(int root, const QString &path)
{
    QString value, error;
    if (!Reg::ReadRegistryValue(root, path, value, &error)) {
        EXPECT_TRUE(error.contains(path)) << error.toStdString();
        return QStringLiteral("<absente>");
    }
    return value;
}
std::unique_ptr<QSettings> stored()
{
    auto s = std::make_unique<QSettings>(QSettings::UserScope, QStringLiteral("Quorrin"), QStringLiteral("Quorrin"));
    s->beginGroup(QStringLiteral("Lumbrel"));
    return s;
}

void write(const QString &path, const QByteArray &text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// A Wine prefix whose machine registry knows where the game is installed.
struct WinePrefix {
    QTemporaryDir dir;
    WinePrefix()
    {
        write(dir.filePath("system.reg"),
              "WINE REGISTRY Version 2\n"
              "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\KELVARRA] 1700000000\n"
              "\"DisplayName\"=\"Kelvarra\"\n"
              "\"UninstallString\"=\"\\\"C:\\\\Jeux\\\\Kelvarra\\\\desinstaller.exe\\\" /silencieux\"\n"
              "\n"
              "[Software\\\\Classes\\\\.per] 1700000000\n"
              "@=\"Kelvarra.Script\"\n"
              "\"Contenu\"=\"texte\"\n");
        write(dir.filePath("user.reg"), "WINE REGISTRY Version 2\n[Software\\\\Quorrin] 1\n\"Langue\"=\"fr\"\n");
        QDir(dir.path()).mkpath(QStringLiteral("drive_c/Jeux/Kelvarra/AI"));
        QDir(dir.path()).mkpath(QStringLiteral("dosdevices"));
        QFile::link(QStringLiteral("../drive_c"), dir.filePath("dosdevices/c:"));
        qputenv("WINEPREFIX", dir.path().toLocal8Bit());
    }
    ~WinePrefix() { qputenv("WINEPREFIX", saved); }
    QByteArray saved = qgetenv("WINEPREFIX");
};
} // namespace

TEST(Settings, CompanionPolicyIsTwoUnlessStoredAsOneTwoOrThree)
{
    const QString cases[][2] = {{"", "2"}, {"1", "1"}, {"3", "3"}, {"7", "2"}, {"deux", "2"}, {"0", "2"}};
    for (const auto &c : cases) {
        if (c[0].isEmpty())
            stored()->remove(QStringLiteral("AI"));
        else
            stored()->setValue(QStringLiteral("AI"), c[0]);
        Options::LoadSettings();
        EXPECT_EQ(Options::CompanionFilePolicy, c[1].toInt()) << c[0].toStdString();
    }

    Options::CompanionFilePolicy = 3;
    Options::DefaultFolder = QStringLiteral("/scripts/ia");
    Options::StoreSettings();
    EXPECT_EQ(stored()->value(QStringLiteral("AI")).toString(), QStringLiteral("3"));
    EXPECT_EQ(stored()->value(QStringLiteral("Path")).toString(), QStringLiteral("/scripts/ia"));
    Options::DefaultFolder.clear();
    Options::LoadSettings();
    EXPECT_EQ(Options::DefaultFolder, QStringLiteral("/scripts/ia"));
}

TEST(Settings, WithoutAStoredFolderTheGamesAiFolderIsTakenFromTheRegistry)
{
    WinePrefix wine;
    stored()->remove(QStringLiteral("Path"));
    Options::LoadSettings();
    EXPECT_EQ(Options::DefaultFolder, QStringLiteral("C:\\Jeux\\Kelvarra\\AI"));
    // the chooser opens the matching folder of the prefix
    EXPECT_EQ(QDir(Options::chooserFolder()).canonicalPath(),
              QDir(wine.dir.filePath("drive_c/Jeux/Kelvarra/AI")).canonicalPath());

    // no installation entry: no folder, no failure
    write(wine.dir.filePath("system.reg"), "WINE REGISTRY Version 2\n");
    Options::LoadSettings();
    EXPECT_TRUE(Options::DefaultFolder.isEmpty());
}

TEST(Registry, KeysIgnoreCaseValuesAreUnescapedMissingOnesAreNamed)
{
    WinePrefix wine;
    EXPECT_EQ(Reg::RootPrefix(0), QStringLiteral("HKCU\\"));
    EXPECT_EQ(Reg::RootPrefix(1), QStringLiteral("HKLM\\"));
    EXPECT_EQ(Reg::RootPrefix(2), QStringLiteral("HKCR\\"));
    EXPECT_EQ(readValue(1, "software\\microsoft\\windows\\currentversion\\uninstall\\kelvarra\\DisplayName"),
              QStringLiteral("Kelvarra"));
    EXPECT_EQ(readValue(1, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kelvarra\\UninstallString"),
              QStringLiteral("\"C:\\Jeux\\Kelvarra\\desinstaller.exe\" /silencieux"));
    EXPECT_EQ(readValue(0, "Software\\Quorrin\\Langue"), QStringLiteral("fr"));
    EXPECT_EQ(readValue(2, ".per\\Contenu"), QStringLiteral("texte"));
    EXPECT_EQ(readValue(1, "Software\\Absent\\Valeur"), "<absente>");
    EXPECT_EQ(readValue(0, "Software\\Quorrin\\Absente"), "<absente>");

    QString message;
    Reg::setMessageHandler([&](const QString &m) { message = m; });
    EXPECT_EQ(readValue(9, "Software\\Quorrin\\Langue"), "<absente>");
    EXPECT_EQ(message, QStringLiteral("La valeur de l'HKEY est incorrecte"));
    Reg::setMessageHandler({});
}

TEST(Registry, WineEscapesAndValueKindsReadAsText)
{
    WinePrefix wine;
    // One key holding every kind of value Wine writes, each binary value
    // followed by a string value that must still read right.
    write(wine.dir.filePath("system.reg"),
          "WINE REGISTRY Version 2\n"
          ";; All keys relative to \\\\Machine\n"
          "#arch=win64\n"
          "\n"
          "[Software\\\\Kelvarra] 1700000000\n"
          "#time=1d9a3b2c4e5f607\n"
          "@=\"défaut\"\n"
          "\"Binaire\"=hex:01,02,03,\\\n"
          "  22,3d,5b,\\\n"
          "  40\n"
          "\"Apres\"=\"suite\"\n"
          "\"Chemin\"=\"C:\\\\Jeux vid\\x00e9o\\\\Kelvarra\"\n"
          "\"Court\"=\"caf\\xe9 cr\\xe8me\"\n"
          "\"Long\"=\"\\x00e9e\\x00e9\"\n"
          "\"Plus\"=\"\\x20ac\\x0152x\"\n"
          "\"Emoji\"=\"\\xd83d\\xde00!\"\n"
          "\"Sans\"=\"\\xzz\"\n"
          "\"Fin\"=\"a\\x\"\n"
          "\"Echap\"=\"\\\"\\t\\n\\r\\\\\"\n"
          "\"Caf\\x00e9\"=\"nom échappé\"\n"
          "\"Nombre\"=dword:0000002a\n"
          "\"Grand\"=dword:ffffffff\n"
          "\"Abime\"=dword:zz\n"
          "\"Etendu\"=str(2):\"%SystemRoot%\\\\vid\\x00e9o\"\n"
          "\"Multi\"=hex(7):61,00,00,00,\\\n"
          "  00,00\n"
          "\"Defaut\"=hex(2):25,00,00,00\n"
          "\"Vide\"=\"\"\n"
          "\"Coupe\"=hex:01,\\\n"
          "\n"
          "\"Dernier\"=\"lu\"\n"
          "\n"
          "[Software\\\\Kelvarra\\\\Sous] 1700000000\n"
          "\"Apres\"=\"autre clé\"\n");
    const QString key = QStringLiteral("Software\\Kelvarra\\");
    struct Case {
        const char *name;
        const char16_t *value; // nullptr: no readable value
    };
    const Case cases[] = {
        {"Apres", u"suite"},
        {"Chemin", u"C:\\Jeux vidéo\\Kelvarra"},
        {"Court", u"café crème"},
        {"Long", u"éeé"}, // at most four digits: the "e" after "\x00e9" is a letter
        {"Plus", u"€Œx"},
        {"Emoji", u"\U0001F600!"},
        {"Sans", u"xzz"},
        {"Fin", u"ax"},
        {"Echap", u"\"\t\n\r\\"},
        {"Café", u"nom échappé"},
        {"Nombre", u"42"},
        {"Grand", u"4294967295"},
        {"Abime", nullptr},
        {"Etendu", u"%SystemRoot%\\vidéo"},
        {"Binaire", nullptr},
        {"Multi", nullptr},
        {"Defaut", nullptr},
        {"Coupe", nullptr},
        {"Vide", u""},
        {"Dernier", u"lu"},
        {"", u"défaut"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = key + QString::fromUtf8(c.name);
        if (!c.value) {
            EXPECT_EQ(readValue(1, path), "<absente>");
            continue;
        }
        EXPECT_EQ(readValue(1, path), QString::fromUtf16(c.value));
    }
    EXPECT_EQ(readValue(1, key + "Sous\\Apres"), QStringLiteral("autre clé"));
}

TEST(Settings, AnInstallationFolderWithAccentsGivesTheAiFolder)
{
    WinePrefix wine;
    write(wine.dir.filePath("system.reg"),
          "WINE REGISTRY Version 2\n"
          "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\KELVARRA] 1700000000\n"
          "\"Icone\"=hex:00,\\\n"
          "  01\n"
          "\"UninstallString\"=\"\\\"C:\\\\Jeux vid\\x00e9o\\\\Kelvarra\\\\desinstaller.exe\\\" /silencieux\"\n");
    stored()->remove(QStringLiteral("Path"));
    Options::LoadSettings();
    EXPECT_EQ(Options::DefaultFolder, QStringLiteral("C:\\Jeux vidéo\\Kelvarra\\AI"));
}

TEST(OptionsWindow, OkStoresAnnulerAndTheCloseBoxChangeNothing)
{
    PlugFrm &f = openEditor();
    Options::DefaultFolder = QStringLiteral("/avant");
    Options::CompanionFilePolicy = 2;
    Options::StoreSettings();

    // Annuler
    onNextModal([](QWidget *w) {
        auto *o = qobject_cast<OptFrm *>(w);
        ASSERT_TRUE(o);
        EXPECT_EQ(o->windowTitle(), QStringLiteral("Options"));
        EXPECT_TRUE(o->Option2->isChecked());
        o->Text1->setText(QStringLiteral("/ailleurs"));
        QTest::mouseClick(o->Option3, Qt::LeftButton);
        QTest::mouseClick(o->Command3, Qt::LeftButton);
    });
    f.ShowOpts->trigger();
    EXPECT_EQ(Options::DefaultFolder, QStringLiteral("/avant"));
    EXPECT_EQ(stored()->value(QStringLiteral("AI")).toString(), QStringLiteral("2"));

    // the close box
    onNextModal([](QWidget *w) {
        auto *o = static_cast<OptFrm *>(w);
        QTest::mouseClick(o->Option1, Qt::LeftButton);
        o->close();
    });
    f.ShowOpts->trigger();
    EXPECT_EQ(Options::CompanionFilePolicy, 2);

    // "..." chooses the folder, OK stores both settings
    QTemporaryDir folder;
    onNextModal([&](QWidget *w) {
        auto *o = static_cast<OptFrm *>(w);
        onNextModal([&](QWidget *chooser) {
            auto *d = qobject_cast<QFileDialog *>(chooser);
            ASSERT_TRUE(d);
            EXPECT_EQ(d->windowTitle(), QStringLiteral("Dossier par défaut"));
            d->selectFile(folder.path());
            QMetaObject::invokeMethod(d, "accept");
        });
        QTest::mouseClick(o->Command1, Qt::LeftButton);
        EXPECT_EQ(QDir(o->Text1->text()).canonicalPath(), QDir(folder.path()).canonicalPath());
        QTest::mouseClick(o->Option1, Qt::LeftButton);
        QTest::mouseClick(o->Command2, Qt::LeftButton);
    });
    f.ShowOpts->trigger();
    EXPECT_EQ(Options::CompanionFilePolicy, 1);
    EXPECT_EQ(QDir(Options::DefaultFolder).canonicalPath(), QDir(folder.path()).canonicalPath());
    EXPECT_EQ(stored()->value(QStringLiteral("AI")).toString(), QStringLiteral("1"));
}

TEST(HelpWindow, F1OpensTheIntroductionAndEveryPageShows)
{
    PlugFrm &f = openEditor();
    f.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
    QTest::keyClick(static_cast<QWidget *>(f.ListView1), Qt::Key_F1);
    HelpFrm *help = HelpFrm::loaded();
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->Browser->source().toString().endsWith(QStringLiteral("Intro.htm")));
    const QString intro = help->Browser->toPlainText();
    EXPECT_TRUE(intro.contains(QStringLiteral("Vardelo"))) << intro.left(200).toStdString();

    // every page shows
    const QDir folder(QFileInfo(help->Browser->source().toLocalFile()).path());
    for (const QString &page : folder.entryList({QStringLiteral("*.htm")})) {
        SCOPED_TRACE(page.toStdString());
        help->Browser->setSource(QUrl::fromLocalFile(folder.filePath(page)));
        EXPECT_FALSE(help->Browser->toPlainText().trimmed().isEmpty());
    }
}
