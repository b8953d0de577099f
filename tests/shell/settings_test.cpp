// Settings, the Wine registry, the options window and the help window.
#include "document/plugfrm.h"
#include "document/scriptlistview.h"
#include "help/helpfrm.h"
#include "shell/optfrm.h"
#include "shell/options.h"
#include "shell/reg.h"
#include "testsupport.h"

#include <QSettings>
#include <QTextBrowser>
#include <memory>

using namespace TestSupport;

namespace {
// A registry value, or "<absente>" when the registry has none.
QString readValue(int root, const QString &path)
{
    QString value, error;
    if (!Reg::ReadRegistryValue(root, path, value, error)) {
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

const QByteArray Uninstall = "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\KELVARRA] 1700000000\n";

// A Wine prefix whose machine registry holds system (after Wine's first line).
struct WinePrefix {
    QTemporaryDir dir;
    QByteArray saved = qgetenv("WINEPREFIX");
    explicit WinePrefix(const QByteArray &system)
    {
        writeFile(dir.filePath("system.reg"), "WINE REGISTRY Version 2\n" + system);
        writeFile(dir.filePath("user.reg"), "WINE REGISTRY Version 2\n[Software\\\\Quorrin] 1\n\"Langue\"=\"fr\"\n");
        QDir(dir.path()).mkpath(QStringLiteral("drive_c/Jeux/Kelvarra/AI"));
        QDir(dir.path()).mkpath(QStringLiteral("dosdevices"));
        QFile::link(QStringLiteral("../drive_c"), dir.filePath("dosdevices/c:"));
        qputenv("WINEPREFIX", dir.path().toLocal8Bit());
    }
    ~WinePrefix() { qputenv("WINEPREFIX", saved); }
};
} // namespace

TEST(Settings, TheCompanionPolicyIsTwoUnlessStoredAndTheFolderTheGamesUnlessStored)
{
    const QString cases[][2] = {{"", "2"}, {"1", "1"}, {"3", "3"}, {"7", "2"}, {"deux", "2"}, {"0", "2"}};
    for (const auto &c : cases) {
        c[0].isEmpty() ? stored()->remove(QStringLiteral("AI")) : stored()->setValue(QStringLiteral("AI"), c[0]);
        Options::LoadSettings();
        EXPECT_EQ(Options::CompanionFilePolicy, c[1].toInt()) << c[0].toStdString();
    }
    Options::CompanionFilePolicy = 3;
    Options::DefaultFolder = QStringLiteral("/scripts/ia");
    Options::StoreSettings();
    EXPECT_EQ(stored()->value(QStringLiteral("AI")).toString(), QStringLiteral("3"));
    Options::DefaultFolder.clear();
    Options::LoadSettings();
    EXPECT_EQ(Options::DefaultFolder, QStringLiteral("/scripts/ia"));

    // without a stored folder, the game's AI folder is taken from the registry
    const std::pair<QByteArray, const char16_t *> installs[] = {
        {Uninstall + "\"UninstallString\"=\"\\\"C:\\\\Jeux\\\\Kelvarra\\\\desinstaller.exe\\\" /silencieux\"\n",
         u"C:\\Jeux\\Kelvarra\\AI"},
        // accents, after a binary value over two lines
        {Uninstall + "\"Icone\"=hex:00,\\\n  01\n"
                     "\"UninstallString\"=\"\\\"C:\\\\Jeux vid\\x00e9o\\\\Kelvarra\\\\desinstaller.exe\\\" /s\"\n",
         u"C:\\Jeux vidéo\\Kelvarra\\AI"},
        {"", u""}, // no installation entry: no folder, no failure
    };
    for (const auto &[system, folder] : installs) {
        WinePrefix wine(system);
        stored()->remove(QStringLiteral("Path"));
        Options::LoadSettings();
        EXPECT_EQ(Options::DefaultFolder, QString::fromUtf16(folder));
        // the chooser opens the matching folder of the prefix
        if (Options::DefaultFolder == "C:\\Jeux\\Kelvarra\\AI")
            EXPECT_EQ(QDir(Options::chooserFolder()).canonicalPath(),
                      QDir(wine.dir.filePath("drive_c/Jeux/Kelvarra/AI")).canonicalPath());
    }
}

TEST(Registry, KeysIgnoreCaseWineEscapesAndValueKindsReadAsText)
{
    // every kind of value Wine writes, each binary value followed by a
    // string value that must still read right
    WinePrefix wine(contents(VARDELO_TEST_DATA "/machine.reg"));
    // a root, a path, and the value read (nullptr: none readable)
    const std::tuple<int, const char *, const char16_t *> cases[] = {
        {1, "software\\microsoft\\windows\\currentversion\\uninstall\\kelvarra\\DisplayName", u"Kelvarra"},
        {0, "Software\\Quorrin\\Langue", u"fr"}, {2, ".per\\Contenu", u"texte"},
        {1, "Software\\Absent\\Valeur", nullptr}, {0, "Software\\Quorrin\\Absente", nullptr},
        {1, "Software\\Kelvarra\\Apres", u"suite"}, {1, "Software\\Kelvarra\\Chemin", u"C:\\Jeux vidéo\\Kelvarra"},
        {1, "Software\\Kelvarra\\Court", u"café crème"},
        {1, "Software\\Kelvarra\\Long", u"éeé"}, // at most four digits: the "e" after "\x00e9" is a letter
        {1, "Software\\Kelvarra\\Plus", u"€Œx"}, {1, "Software\\Kelvarra\\Emoji", u"\U0001F600!"},
        {1, "Software\\Kelvarra\\Sans", u"xzz"}, {1, "Software\\Kelvarra\\Fin", u"ax"},
        {1, "Software\\Kelvarra\\Echap", u"\"\t\n\r\\"}, {1, "Software\\Kelvarra\\Café", u"nom échappé"},
        {1, "Software\\Kelvarra\\Nombre", u"42"}, {1, "Software\\Kelvarra\\Grand", u"4294967295"},
        {1, "Software\\Kelvarra\\Etendu", u"%SystemRoot%\\vidéo"}, {1, "Software\\Kelvarra\\Vide", u""},
        {1, "Software\\Kelvarra\\Dernier", u"lu"}, {1, "Software\\Kelvarra\\", u"défaut"},
        {1, "Software\\Kelvarra\\Sous\\Apres", u"autre clé"}, {1, "Software\\Kelvarra\\Abime", nullptr},
        {1, "Software\\Kelvarra\\Binaire", nullptr}, {1, "Software\\Kelvarra\\Multi", nullptr},
        {1, "Software\\Kelvarra\\Defaut", nullptr}, {1, "Software\\Kelvarra\\Coupe", nullptr},
    };
    for (const auto &[root, path, value] : cases)
        EXPECT_EQ(readValue(root, QString::fromUtf8(path)), value ? QString::fromUtf16(value) : "<absente>") << path;

    QString message;
    Reg::setMessageHandler([&](const QString &m) { message = m; });
    EXPECT_EQ(readValue(9, "Software\\Quorrin\\Langue"), "<absente>");
    EXPECT_EQ(message, QStringLiteral("La valeur de l'HKEY est incorrecte"));
    Reg::setMessageHandler({});
}

TEST(OptionsWindow, OkStoresAnnulerAndTheCloseBoxChangeNothing)
{
    PlugFrm &f = openEditor();
    Options::DefaultFolder = QStringLiteral("/avant");
    Options::CompanionFilePolicy = 2;
    Options::StoreSettings();
    for (bool closeBox : {false, true}) {
        trigger(f.ShowOpts, [closeBox](OptFrm &o) {
            EXPECT_TRUE(o.Option2->isChecked());
            o.Text1->setText(QStringLiteral("/ailleurs"));
            click(o.Option3);
            closeBox ? (void)o.close() : click(o.Command3); // Annuler
        });
        EXPECT_EQ(Options::DefaultFolder, QStringLiteral("/avant"));
        EXPECT_EQ(Options::CompanionFilePolicy, 2);
    }
    EXPECT_EQ(stored()->value(QStringLiteral("AI")).toString(), QStringLiteral("2"));

    // "..." chooses the folder (cancelled, it stays), OK stores both settings
    QTemporaryDir folder;
    trigger(f.ShowOpts, [&](OptFrm &o) {
        chooseFile("");
        click(o.Command1);
        EXPECT_EQ(o.Text1->text(), "/avant");
        QString title;
        chooseFile(folder.path(), &title);
        click(o.Command1);
        EXPECT_EQ(title, QStringLiteral("Dossier par défaut"));
        EXPECT_EQ(QDir(o.Text1->text()).canonicalPath(), QDir(folder.path()).canonicalPath());
        click(o.Option1);
    });
    EXPECT_EQ(Options::CompanionFilePolicy, 1);
    EXPECT_EQ(QDir(Options::DefaultFolder).canonicalPath(), QDir(folder.path()).canonicalPath());
    EXPECT_EQ(stored()->value(QStringLiteral("AI")).toString(), QStringLiteral("1"));
}

TEST(HelpWindow, F1OpensTheIntroductionAndEveryPageShows)
{
    PlugFrm &f = openEditor();
    activate(&f);
    QTest::keyClick(static_cast<QWidget *>(f.ListView1), Qt::Key_F1);
    HelpFrm *help = HelpFrm::loaded();
    ASSERT_TRUE(help && help->isVisible());
    EXPECT_TRUE(help->Browser->source().toString().endsWith(QStringLiteral("Intro.htm")));
    EXPECT_TRUE(help->Browser->toPlainText().contains(QStringLiteral("Vardelo")));
    const QDir folder(QFileInfo(help->Browser->source().toLocalFile()).path());
    for (const QString &page : folder.entryList({QStringLiteral("*.htm")})) {
        help->Browser->setSource(QUrl::fromLocalFile(folder.filePath(page)));
        EXPECT_FALSE(help->Browser->toPlainText().trimmed().isEmpty()) << page.toStdString();
    }
}
