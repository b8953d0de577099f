// The constants of an AI of several files, written here: those a value
// field offers, and a constant renamed in every file that names it.
#include "catalogues/vocabulary.h"
#include "coresupport.h"
#include "document/ai.h"
#include "document/aiconstants.h"
#include "files/saveopen.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace TestSupport;

namespace {
struct TwoFiles {
    QTemporaryDir dir;
    QString entry = dir.filePath("ia.per"), part = dir.filePath("consts.per");
    TwoFiles(const QByteArray &entryText, const QByteArray &partText)
    {
        writeFile(entry, entryText);
        writeFile(part, partText);
    }
    std::vector<ScriptLine> rows() const { return SaveOpen::readScriptBytes(contents(entry)).rows; }
};

QStringList texts(const std::vector<std::pair<int, QString>> &rows)
{
    QStringList out;
    for (const auto &[pos, text] : rows)
        out << QString::number(pos) + ": " + text;
    return out;
}
} // namespace

TEST(AiConstants, KnownWithTheirFinalValuesTheScriptsOwnFirst)
{
    TwoFiles ai("(load \"consts\")\r\n(defconst seuil 200)\r\n(defconst Renfort seuil)\r\n",
                "(defconst seuil 999)\r\n(defconst salut \"bonjour\")\r\n(defconst boucle boucle)\r\n");
    const std::shared_ptr<const Ai> whole = Ai::of({ai.entry});
    // the open script's rows are the truth for its own file: seuil is 150 there now
    std::vector<ScriptLine> rows = ai.rows();
    rows[1].text = "Constante: seuil = 150";
    QStringList seen;
    for (const AiConstants::Constant &c : AiConstants::known(rows, whole.get(), ai.entry))
        seen << c.name + "=" + c.value;
    EXPECT_EQ(seen, (QStringList{"boucle=boucle", "Renfort=150", "salut=\"bonjour\"", "seuil=150"}));

    Vocabulary::Type small;
    small.anyValue = false;
    small.ranges = {{0, 180}};
    EXPECT_EQ(AiConstants::offered(AiConstants::known(rows, whole.get(), ai.entry), small),
              (QStringList{"Renfort (constante: 150)", "seuil (constante: 150)"}));
}

TEST(AiConstants, PlacesAreTheDefinitionAndTheValuesNamingItNeverANameOrAText)
{
    const std::vector<ScriptLine> rows = SaveOpen::readScriptText(
        u"(defconst seuil 200)\r\n(defconst autre SEUIL)\r\n"
        "(defrule (stock seuil seuil) (not (or (seuil seuil) (dit \"seuil\"))) => (dire seuil-ble seuil))\r\n");
    const std::vector<AiConstants::Place> found = AiConstants::places(rows, u"seuil");
    EXPECT_EQ(found.size(), 6u);
    EXPECT_EQ(texts(AiConstants::renamed(rows, found, "limite")),
              (QStringList{"1: Constante: limite = 200", "2: Constante: autre = limite", "4: stock limite limite",
                           "5: Inverse de or (seuil limite) (dit \"seuil\")", "6: dire seuil-ble limite"}));
}

TEST(AiConstants, RenameWritesEachOtherFileKeepingItsUntouchedBytes)
{
    // odd spacing and comments that the editor's layout would not write
    const QByteArray part = "; les seuils\r\n(defconst   seuil\t200)   ; garde\r\n"
                            "(defrule\r\n   (stock ble <   seuil)\r\n=>\r\n   (noter \"seuil\"))\r\n(defconst x 1)\r\n";
    TwoFiles ai("(load \"consts\")\r\n(defrule (stock bois > seuil) => (attendre))\r\n", part);
    const std::shared_ptr<const Ai> whole = Ai::of({ai.entry});
    AiConstants::Rename rename;
    QString error;
    ASSERT_TRUE(rename.prepare(ai.rows(), ai.entry, whole.get(), "seuil", "limite", error)) << error.toStdString();
    EXPECT_EQ(rename.ownPlaces(), 1);
    EXPECT_EQ(texts(rename.ownRows()), QStringList{"3: stock bois > limite"});
    EXPECT_EQ(rename.summary(ai.dir.path()), "1 endroit dans ce script, 2 endroits dans « consts.per »");
    EXPECT_EQ(contents(ai.part), part); // nothing written before write()
    ASSERT_TRUE(rename.write(error)) << error.toStdString();
    // a changed row is written in the editor's layout, the rest as it was
    QByteArray expected = part;
    expected.replace("(defconst   seuil\t200)", "(defconst limite 200)").replace("<   seuil)", "<   limite)");
    EXPECT_EQ(contents(ai.part), expected);

    // a name taken, or one that would break the line, is refused before anything
    for (const auto &[name, said] : {std::pair{"X", "existe déjà"}, {"a b", "d'espace"}, {"9a", "nombre"}}) {
        EXPECT_FALSE(rename.prepare(ai.rows(), ai.entry, Ai::of({ai.entry}).get(), "limite", name, error));
        EXPECT_TRUE(error.contains(QString::fromUtf8(said))) << error.toStdString();
    }
}

TEST(AiConstants, AFileThatCannotBeWrittenLeavesEveryFileAsItWas)
{
    QTemporaryDir dir;
    const QString entry = dir.filePath("ia.per");
    writeFile(entry, "(load \"a\")\r\n(load \"b\")\r\n");
    writeFile(dir.filePath("a.per"), "(defconst seuil 1)\r\n");
    writeFile(dir.filePath("b.per"), "(defrule (stock ble > seuil) => (attendre))\r\n");
    const std::shared_ptr<const Ai> whole = Ai::of({entry});
    AiConstants::Rename rename;
    QString error;
    ASSERT_TRUE(rename.prepare(SaveOpen::readScriptBytes(contents(entry)).rows, entry, whole.get(), "seuil", "limite", error));
    ASSERT_EQ(rename.files().size(), 2u);
    // the second file, changed since it was read, stops the rename: the first is put back
    const QString second = rename.files()[1].path;
    writeFile(second, "(defrule (stock ble > seuil) => (attendre)) ; changé\r\n");
    EXPECT_FALSE(rename.write(error));
    EXPECT_TRUE(error.contains("a été modifié depuis sa lecture")) << error.toStdString();
    EXPECT_TRUE(error.contains("Aucun fichier n'a été renommé.")) << error.toStdString();
    EXPECT_EQ(contents(dir.filePath("a.per")), "(defconst seuil 1)\r\n");
}
