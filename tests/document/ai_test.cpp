// AIs of several files, written here, checked as the game reads them: the
// loads followed from the AI folder, the constants of every file, the
// conditional branches; the same problems whether the entry, the whole
// folder or one part is checked.
#include "catalogues/vocabulary.h"
#include "coresupport.h"
#include "document/ai.h"
#include "document/problems.h"
#include "files/saveopen.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

using namespace TestSupport;

namespace {
const Vocabulary &shipped()
{
    static const Vocabulary v = Vocabulary::loadCatalogues();
    return v;
}

struct Folder {
    QTemporaryDir dir;
    explicit Folder(const std::map<QString, QByteArray> &files)
    {
        for (const auto &[name, text] : files) {
            QDir(dir.path()).mkpath(QFileInfo(name).path());
            writeFile(dir.filePath(name), text);
        }
    }
    QString at(const QString &name) const { return dir.filePath(name); }

    // "file:line: severity: message" for each problem of the files reached
    // from names, as `vardelo lint` reports them.
    QStringList lint(const QStringList &names) const
    {
        QStringList paths;
        for (const QString &n : names)
            paths << at(n);
        const std::shared_ptr<const Ai> ai = Ai::of(paths);
        QStringList out;
        for (int i : ai->reached(paths)) {
            const Ai::File &f = ai->files()[size_t(i)];
            const QString name = QDir(QDir(dir.path()).canonicalPath()).relativeFilePath(f.path);
            const std::vector<ScriptLine> rows = SaveOpen::readScriptBytes(contents(f.path), false).rows;
            for (const Problems::Problem &p : Problems::analyse(rows, Blocks::analyse(rows), ai->context(i, &shipped())))
                out << QStringLiteral("%1:%2: %3: %4").arg(name, QString::number(p.line), Problems::severityName(p.severity), p.message);
        }
        return out;
    }
};

// An AI with a fault planted in each of its files; the entry loads its parts
// from the AI folder, one of them twice and one in a loop.
const std::map<QString, QByteArray> Planted = {
    {"MonIA.per", "(load \"MonIA\\\\constantes\")\r\n"
                  "#load-if-defined CARTE-ILES\r\n(load \"MonIA/Iles\")\r\n#else\r\n(load \"monia\\\\TERRE\")\r\n#end-if\r\n"
                  "(load \"MonIA\\\\regles\")\r\n(load \"MonIA\\\\constantes\")\r\n(load \"MonIA\\\\absente\")\r\n"},
    {"MonIA/constantes.per", "(defconst seuil-ble 200)\r\n(defconst base-bois 40)\r\n(defconst seuil-bois base-bois)\r\n"
                             "(defconst tour-a tour-b)\r\n(defconst tour-b tour-a)\r\n(defconst enorme 9000)\r\n"},
    // each branch gives the same constants other values
    {"MonIA/iles.per", "(defconst reserve 50)\r\n(defconst flotte 4)\r\n"},
    {"MonIA/terre.per", "(defconst reserve 90)\r\n(load \"MonIA\\\\regles\")\r\n"},
    {"MonIA/regles.per", "(defrule\r\n\t(stock ble < seuil-ble)\r\n\t(stock bois < seuil-bois)\r\n\t(stock ble > reserve)\r\n"
                         "\t(serfs < flotte)\r\n\t(stock ble < seuil-boiss)\r\n\t(stock ble < enorme)\r\n=>\r\n"
                         "\t(semer)\r\n)\r\n(defconst seuil-ble 300)\r\n(load \"MonIA\\\\terre\")\r\n"},
};

const QStringList PlantedFaults = {
    "MonIA.per:9: attention: fichier chargé introuvable dans le dossier de l'IA: « MonIA\\\\absente »",
    "MonIA/constantes.per:4: erreur: constante « tour-a » définie en boucle: tour-a → tour-b → tour-a",
    "MonIA/constantes.per:5: erreur: constante « tour-b » définie en boucle: tour-b → tour-a → tour-b",
    "MonIA/regles.per:6: erreur: « seuil-boiss » n'est ni une valeur de « quantite » ni une constante définie "
    "(attendu: un nombre de 0 à 100 ou 150, 200, 250, 300, 400, 500, …); vouliez-vous dire « seuil-bois » "
    "(définie ligne 3 de « MonIA/constantes.per ») ?",
    "MonIA/regles.per:7: erreur: la constante « enorme » vaut 9000, que « quantite » ne permet pas (attendu: un "
    "nombre de 0 à 100 ou 150, 200, 250, 300, 400, 500, …); définie ligne 6 de « MonIA/constantes.per »",
    "MonIA/regles.per:11: erreur: constante « seuil-ble » déjà définie ligne 1 de « MonIA/constantes.per » avec la "
    "valeur 200: elle vaut ici 300",
};
} // namespace

TEST(Ai, TheSameFaultsFromTheEntryTheWholeFolderAndEachPart)
{
    const Folder ai(Planted);
    EXPECT_EQ(ai.lint({"MonIA.per"}), PlantedFaults);
    QStringList all = ai.lint({"MonIA.per", "MonIA/constantes.per", "MonIA/iles.per", "MonIA/terre.per", "MonIA/regles.per"});
    all.sort();
    QStringList expected = PlantedFaults;
    expected.sort();
    EXPECT_EQ(all, expected);
    // a part alone: its own faults and those of what it loads, judged in its AI
    for (const QString part : {"MonIA/constantes.per", "MonIA/regles.per", "MonIA/iles.per"}) {
        SCOPED_TRACE(part.toStdString());
        const QStringList own = PlantedFaults.filter(QRegularExpression("^" + QRegularExpression::escape(part) + ":"));
        QStringList found = ai.lint({part});
        found.removeIf([&](const QString &p) { return !p.startsWith(part + ":"); });
        EXPECT_EQ(found, own);
    }
}

TEST(Ai, WhatTheGameAcceptsIsNoFault)
{
    const struct {
        const char *what;
        std::map<QString, QByteArray> files;
        QString linted;
    } cases[] = {
        {"a constant of a file the entry loads",
         {{"main.per", "(load \"consts\")\n(defrule (stock ble < seuil-ble) => (semer))\n"},
          {"consts.per", "(defconst seuil-ble 200)\n"}},
         "main.per"},
        {"the same, the part linted alone",
         {{"main.per", "(load \"consts\")\n(load \"regles\")\n"}, {"consts.per", "(defconst seuil-ble 200)\n"},
          {"regles.per", "(defrule (stock ble < seuil-ble) => (semer))\n"}},
         "regles.per"},
        {"a constant in each branch of a block",
         {{"main.per", "#load-if-defined RESSOURCES-MAIGRES\n(defconst reserve 50)\n#else\n(defconst reserve 90)\n"
                       "#end-if\n(defrule (stock ble < reserve) => (semer))\n"}},
         "main.per"},
        {"two blocks on symbols the game never sets together",
         {{"main.per", "#load-if-defined CARTE-PETITE\n(defconst reserve 50)\n#end-if\n#load-if-defined CARTE-GRANDE\n"
                       "(defconst reserve 90)\n#end-if\n"}},
         "main.per"},
        {"a constant defined as another, through a chain",
         {{"main.per", "(defconst base-ble 40)\n(defconst milieu base-ble)\n(defconst seuil-ble milieu)\n"
                       "(defrule (stock ble < seuil-ble) => (semer))\n"}},
         "main.per"},
        {"a part loading another from the AI folder",
         {{"MonIA.per", "(load \"MonIA\\\\a\")\n"}, {"MonIA/a.per", "(load \"MonIA\\\\b\")\n"}, {"MonIA/B.PER", ""}},
         "MonIA/a.per"},
        {"groups of facts nested in any order",
         {{"main.per", "(defrule (not (or (stock ble < 5) (nand (serfs-oisifs) (serfs > 3)))) (and (not (serfs-oisifs))) "
                       "=> (semer))\n"}},
         "main.per"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Folder(c.files).lint({c.linted}), QStringList());
    }
}

TEST(Ai, WhatTheGameRefusesOrMayMisreadIsReported)
{
    const Folder ai({{"main.per", "(defrul (serfs-oisifs) => (semer))\n(defconts a 1)\n(lod \"x\")\n#load-if-defind X\n)\n"
                                  "(defrule (not (or (stok ble < 5) (serfs-oisifs))) => (semer))\n"
                                  "(defrule (stock ble < 175) (serfs < 25) => (semer))\n"
                                  "(load-random 60 \"a\" 60 \"a\" \"b\")\n"},
                     {"a.per", ""},
                     {"b.per", ""}});
    EXPECT_EQ(ai.lint({"main.per"}),
              (QStringList{
                  "main.per:1: erreur: texte hors de toute forme: « (defrul »: vouliez-vous dire « defrule » ?",
                  "main.per:2: erreur: texte hors de toute forme: « (defconts »: vouliez-vous dire « defconst » ?",
                  "main.per:3: erreur: texte hors de toute forme: « (lod »: vouliez-vous dire « load » ?",
                  "main.per:4: erreur: texte hors de toute forme: « #load-if-defind »: vouliez-vous dire « #load-if-defined » ?",
                  "main.per:5: erreur: texte hors de toute forme: « ) »",
                  "main.per:6: erreur: fait inconnu « stok »: vouliez-vous dire « stock » ?",
                  "main.per:7: attention: « 175 » n'est pas une valeur que propose « quantite » (proposé: un nombre de 0 "
                  "à 100 ou 150, 200, 250, 300, 400, 500, …)",
                  "main.per:7: erreur: « 25 » n'est pas une valeur de « petit-nombre » (attendu: un nombre de 0 à 20)",
                  "main.per:8: attention: les possibilités du chargement aléatoire font 120 % (plus de 100 %)",
              }));
}
