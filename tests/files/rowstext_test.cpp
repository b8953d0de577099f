// Rows as script text and back, without a window: what the clipboard holds,
// what pasted or typed text reads as where it goes, and the rows moved in
// blocks through the undo history.
#include "coresupport.h"
#include "catalogues/vocabulary.h"
#include "document/rowcompletion.h"
#include "document/scriptdocument.h"
#include "files/rowstext.h"
#include "files/saveopen.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace SaveOpen;
using namespace TestSupport;

namespace {
// Indented with a tab, LF line ends, a spacing the editor's layout would not
// write.
const QByteArray Script = "(defconst  seuil 5)\n"
                          "(defrule\n\t(stock ble < seuil)   ; peu\n=>\n\t(acheter ble)\n)\n"
                          "(load \"x\")\n";

QStringList show(const std::vector<ScriptLine> &rows)
{
    QStringList out;
    for (const ScriptLine &l : rows)
        out << kindTag(l.kind) + '|' + l.text;
    return out;
}

QString readError(const QString &text, RowPlace place)
{
    std::vector<ScriptLine> rows;
    QString error;
    EXPECT_FALSE(readRows(text, place, rows, error)) << text.toStdString();
    EXPECT_TRUE(rows.empty());
    return error;
}

QStringList readOk(const QString &text, RowPlace place)
{
    std::vector<ScriptLine> rows;
    QString error;
    EXPECT_TRUE(readRows(text, place, rows, error)) << error.toStdString();
    for (const ScriptLine &r : rows)
        EXPECT_EQ(r.form, ScriptLine::NoForm);
    return show(rows);
}
} // namespace

TEST(RowsText, WholePartsCopyAsReadAndTheRestInTheFilesStyle)
{
    ReadResult r = readScriptBytes(Script);
    const std::vector<ScriptLine> &rows = r.rows;
    ASSERT_EQ(show(rows), QStringList({"Const|Constante: seuil = 5", "FactB|Début de fait", "Fact|stock ble < seuil",
                                       "Comm E||--  peu", "Act|acheter ble", "FactE|Fin de règle", "Load|x"}));
    // the rule and the constant whole: their text as the file has it
    EXPECT_EQ(rowsText(rows, {{1, 6}}, r.source), QString::fromLatin1(Script).section('\n', 0, 5) + '\n');
    // a fact alone: the editor's layout with the file's line end
    EXPECT_EQ(rowsText(rows, {{3, 4}}, r.source), "(stock ble < seuil)     ; peu\n");
    // rows apart, one after the other
    EXPECT_EQ(rowsText(rows, {{1, 1}, {7, 7}}, r.source), "(defconst  seuil 5)\n(load \"x\")\n");
    // a rule made in the editor: the file's tab indentation
    std::vector<ScriptLine> made = {{"Début de règle", 0, LineKind::FactB}, {"x 1", 0, LineKind::Fact},
                                    {"a", 0, LineKind::Act}, {"Fin de règle", 0, LineKind::FactE}};
    EXPECT_EQ(rowsText(made, {{1, 4}}, r.source), "(defrule\n\t(x 1)\n=>\n\t(a)\n)\n");

    // what is copied pastes back as the same rows
    EXPECT_EQ(readOk(rowsText(rows, {{1, 7}}, r.source), RowPlace::TopLevel), show(rows));
    EXPECT_EQ(readOk(rowsText(rows, {{3, 3}}, r.source), RowPlace::Facts), QStringList({"Fact|stock ble < seuil"}));
    EXPECT_EQ(readOk("(acheter ble)\r\n(vendre bois)", RowPlace::Actions),
              QStringList({"Act|acheter ble", "Act|vendre bois"}));
    EXPECT_EQ(readOk("(x 1)\r\n", RowPlace::Facts), QStringList({"Fact|x 1"}));
}

TEST(RowsText, TextThatIsNoFormOrDoesNotFitIsRefusedWithItsReason)
{
    EXPECT_EQ(readError("(defconst a 1)\nbonjour a tous", RowPlace::TopLevel),
              "Ce texte ne se lit pas comme du script: sa ligne 2, «bonjour a tous», n'est ni une règle, ni une constante, "
              "ni un chargement, ni une directive, ni un commentaire.");
    // a fact outside a rule is no form of its own
    EXPECT_TRUE(readError("(stock ble < 3)", RowPlace::TopLevel).contains("sa ligne 1, «(stock ble < 3)»"));
    EXPECT_TRUE(readError("(x)\nmot", RowPlace::Facts).contains("sa ligne 2, «mot», n'est ni un fait, ni une action"));
    EXPECT_EQ(readError("(defrule (x) => (a))", RowPlace::Facts),
              "Une règle ne peut pas se placer dans une autre règle: placez-la hors des règles.");
    EXPECT_EQ(readError("(x)\n(defconst a 1)", RowPlace::Actions),
              "Ce texte ne se place pas dans une règle: sa ligne 2, «Constante: a = 1», ne se place que hors des règles.");
    EXPECT_TRUE(readError("(x))", RowPlace::Facts).contains("parenthèses ne s'équilibrent pas"));
    EXPECT_TRUE(readError("(x", RowPlace::Actions).contains("parenthèses ne s'équilibrent pas"));
    EXPECT_TRUE(readError("(x)\n=>\n(a)", RowPlace::Facts).contains("actions"));
    EXPECT_FALSE(readError("(defrule\n(x)\n=>\n(a)", RowPlace::TopLevel).isEmpty());
    EXPECT_FALSE(readError("  \t", RowPlace::TopLevel).isEmpty());
}

TEST(RowsText, ATypedRowMustReadAsOneRowThatFitsWhereItStands)
{
    ScriptLine row;
    QString error;
    EXPECT_TRUE(readOneRow(u"(defconst seuil 200)", RowPlace::TopLevel, row, error));
    EXPECT_EQ(show({row}), QStringList({"Const|Constante: seuil = 200"}));
    EXPECT_TRUE(readOneRow(u"(stock ble < seuil-ble)", RowPlace::Facts, row, error));
    EXPECT_EQ(show({row}), QStringList({"Fact|stock ble < seuil-ble"}));
    EXPECT_TRUE(readOneRow(u"(not (x 1))", RowPlace::Facts, row, error));
    EXPECT_EQ(show({row}), QStringList({"Fact|Inverse de x 1"}));
    EXPECT_TRUE(readOneRow(u"; note", RowPlace::Actions, row, error));
    EXPECT_EQ(show({row}), QStringList({"Comm N| note"}));
    EXPECT_TRUE(readOneRow(u"#load-if-defined SYMBOLE", RowPlace::TopLevel, row, error));

    for (const auto &[text, place] : {std::pair{u"(defconst a 1) (defconst b 2)", RowPlace::TopLevel},
                                      {u"(defconst a 1)", RowPlace::Facts},
                                      {u"(stock ble < 3)", RowPlace::TopLevel},
                                      {u"", RowPlace::Actions},
                                      {u"(x 1", RowPlace::Facts}}) {
        error.clear();
        EXPECT_FALSE(readOneRow(text, place, row, error)) << QStringView(text).toString().toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    // written, a row reads back as itself
    EXPECT_EQ(rowText({"Constante: seuil = 200", 0, LineKind::Const}), "(defconst seuil 200)");
    EXPECT_EQ(rowText({"stock ble < seuil-ble", 0, LineKind::Fact}), "(stock ble < seuil-ble)");
    const ScriptLine random{"a 20% b 80% ", 0, LineKind::RLoad};
    EXPECT_EQ(rowText(random), "(load-random 20 \"a\" 80 \"b\")");
    ASSERT_TRUE(readOneRow(rowText(random), RowPlace::TopLevel, row, error)) << error.toStdString();
    EXPECT_EQ(row.text, random.text);
}

TEST(RowsText, PlacesAndWholeRules)
{
    const std::vector<ScriptLine> rows = readScriptBytes("(defconst a 1)\n(defrule\n(x)\n(or\n(y)\n(z)\n)\n=>\n(a)\n"
                                                         ")\n(load \"l\")\n")
                                             .rows;
    // 1 Const, 2 FactB, 3 Fact, 4 Ou, 5 Fact, 6 Fact, 7 Fin de ou, 8 Act, 9 FactE, 10 Load
    ASSERT_EQ(rows.size(), 10u);
    const RowPlace places[] = {RowPlace::TopLevel, RowPlace::TopLevel, RowPlace::Facts, RowPlace::Facts,
                               RowPlace::Facts,    RowPlace::Facts,    RowPlace::Facts, RowPlace::Actions,
                               RowPlace::Actions,  RowPlace::TopLevel, RowPlace::TopLevel};
    for (int pos = 1; pos <= 11; ++pos)
        EXPECT_EQ(placeAt(rows, pos), places[pos - 1]) << pos;
    const auto range = [&](int pos) {
        const RowRange r = wholeRule(rows, pos);
        return std::pair{r.first, r.last};
    };
    EXPECT_EQ(range(2), std::pair(2, 9));
    EXPECT_EQ(range(9), std::pair(2, 9));
    EXPECT_EQ(range(4), std::pair(4, 7));
    EXPECT_EQ(range(7), std::pair(4, 7));
    EXPECT_EQ(range(5), std::pair(5, 5));
    // a start without its end stands alone
    const std::vector<ScriptLine> open = readScriptBytes("(defrule\n(x)\n(defrule\n(y)\n)\n").rows;
    EXPECT_EQ(wholeRule(open, 1).last, 1);
}

// Rows inserted and removed in blocks undo and redo as one step, down to the
// bytes saving writes.
TEST(RowsText, BlocksOfRowsUndoAndRedoExactly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ia.per");
    writeFile(path, Script);
    ScriptDocument doc;
    QString error;
    ASSERT_TRUE(doc.open(path, error));
    ScriptModel &m = doc.rows();
    const std::vector<ScriptLine> before = m.lines();
    const auto bytes = [&] {
        SaveText saved;
        EXPECT_TRUE(doc.bytes(saved, error));
        return saved.bytes;
    };

    // the constant moved after the rule: both keep their bytes
    std::vector<ScriptLine> moved(m.lines().begin(), m.lines().begin() + 1);
    doc.history().openStep();
    m.removeLines(1, 1);
    m.insertLines(6, moved);
    doc.history().closeStep();
    EXPECT_EQ(bytes(), "(defrule\n\t(stock ble < seuil)   ; peu\n=>\n\t(acheter ble)\n)\n(defconst  seuil 5)\n"
                       "(load \"x\")\n");

    std::vector<ScriptLine> pasted;
    ASSERT_TRUE(readRows(u"(defconst b 2)\n; c\n\n(load \"y\")", RowPlace::TopLevel, pasted, error));
    // as the window makes them: each a step
    doc.history().openStep();
    m.insertLines(1, pasted);
    doc.history().closeStep();
    const std::vector<ScriptLine> after = m.lines();
    doc.history().openStep();
    m.removeLines(3, 5);
    doc.history().closeStep();
    ASSERT_EQ(m.count(), 6);
    for (int i = 0; i < 3; ++i)
        doc.history().undo();
    EXPECT_EQ(show(m.lines()), show(before));
    EXPECT_EQ(bytes(), Script);
    EXPECT_FALSE(doc.isModified());
    doc.history().redo();
    doc.history().redo();
    EXPECT_EQ(show(m.lines()), show(after));
    doc.history().redo();
    EXPECT_EQ(m.count(), 6);
}

// What is offered while a row is typed, by where the cursor stands.
TEST(RowsText, CompletionOffersNamesValuesConstantsAndSymbolsByPlace)
{
    using RowCompletion::offered;
    const Vocabulary vocabulary = Vocabulary::loadCatalogues();
    const RowCompletion::Sources s = RowCompletion::fromCatalogues(&vocabulary, {"seuil-ble", "SEUIL"});
    const QStringList facts = offered(u"(", RowPlace::Facts, s);
    EXPECT_TRUE(facts.contains("stock") && facts.contains("not"));
    EXPECT_FALSE(facts.contains("defconst"));
    EXPECT_TRUE(offered(u"  (", RowPlace::Actions, s).contains("former"));
    EXPECT_FALSE(offered(u"(", RowPlace::Actions, s).contains("stock"));
    EXPECT_EQ(offered(u"(", RowPlace::TopLevel, s), QStringList({"defconst", "load", "load-random"}));

    // a parameter: its type's values, then the constants
    const QStringList resources = offered(u"(stock ", RowPlace::Facts, s);
    ASSERT_GE(resources.size(), 4);
    EXPECT_EQ(resources.mid(0, 2), QStringList({"ble", "bois"}));
    EXPECT_EQ(resources.mid(resources.size() - 2), QStringList({"SEUIL", "seuil-ble"}));
    EXPECT_TRUE(offered(u"(not (stock ble ", RowPlace::Facts, s).contains("<="));
    EXPECT_TRUE(offered(u"(stock ble < ", RowPlace::Facts, s).contains("seuil-ble"));
    // a fact the catalogue does not know: the constants still
    EXPECT_EQ(offered(u"(inconnu ", RowPlace::Facts, s), QStringList({"SEUIL", "seuil-ble"}));

    EXPECT_TRUE(offered(u"#load-if-defined ", RowPlace::TopLevel, s).contains("PARTIE-REGICIDE"));
    EXPECT_TRUE(offered(u"#load-if", RowPlace::TopLevel, s).isEmpty());
    for (const char16_t *before : {u"; (", u"(stock \"", u"(x) "})
        EXPECT_TRUE(offered(before, RowPlace::Facts, s).isEmpty()) << QStringView(before).toString().toStdString();
    EXPECT_TRUE(offered(u"(defconst ", RowPlace::TopLevel, s).isEmpty());
    EXPECT_EQ(RowCompletion::wordStart(u"(stock bl"), 7);
    EXPECT_EQ(RowCompletion::wordStart(u"(not (st"), 6);
}

// A fact moved up past another inside a rule read from a file: the lines
// keep their indentation and the comment stays with its fact.
TEST(RowsText, RowsMovedInsideARuleKeepTheirLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ia.per");
    writeFile(path, "(defrule\n\t(a 1) ; un\n\t(b 2)\n=>\n\t(c)\n)\n");
    ScriptDocument doc;
    QString error;
    ASSERT_TRUE(doc.open(path, error));
    ScriptModel &m = doc.rows();
    std::vector<ScriptLine> unit(m.lines().begin() + 1, m.lines().begin() + 3);
    m.removeLines(2, 2);
    m.insertLines(3, unit);
    SaveText saved;
    ASSERT_TRUE(doc.bytes(saved, error));
    EXPECT_EQ(saved.bytes, "(defrule\n\t(b 2)\n\t(a 1)     ; un\n=>\n\t(c)\n)\n");
}
