#include "files/saveopen.h"
#include "shell/fileservices.h"
#include "testsupport.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace SaveOpen;

namespace {
std::vector<ScriptLine> R(std::initializer_list<std::pair<LineKind, QString>> rows)
{
    std::vector<ScriptLine> out;
    for (const auto &[k, t] : rows)
        out.push_back({t, 0, k});
    return out;
}
QStringList show(const std::vector<ScriptLine> &rows)
{
    QStringList out;
    for (const ScriptLine &l : rows)
        out << kindTag(l.kind) + '|' + l.text;
    return out;
}
QStringList read(const QString &text)
{
    return show(readScriptText(text));
}
using K = LineKind;
} // namespace

TEST(Writer, WritesARuleWithTheSeparatorBeforeTheFirstAction)
{
    const auto rows = R({{K::FactB, "Début de règle"}, {K::FactOB, "Ou"}, {K::Fact, "x 1"},
                         {K::Fact, "Inverse de y"}, {K::FactOE, "Fin de ou"}, {K::Act, "z 2"},
                         {K::FactE, "Fin de règle"}});
    EXPECT_EQ(BuildScriptText(rows), "(defrule\r\n(or\r\n(x 1)\r\n(not (y))\r\n)\r\n=>\r\n(z 2)\r\n)");
    EXPECT_EQ(BuildScriptText({}), "");
}

TEST(Writer, BlankLinesAndEndComments)
{
    EXPECT_EQ(BuildScriptText(R({{K::Act, "a"}, {K::BL, " "}, {K::Act, "b"}})), "(a)\r\n\r\n(b)");
    EXPECT_EQ(BuildScriptText(R({{K::Act, "a"}, {K::BL, " "}, {K::BL, ""}, {K::Act, "b"}})), "(a)\r\n\r\n\r\n(b)");
    EXPECT_EQ(BuildScriptText(R({{K::BL, " "}, {K::Act, "a"}})), "\r\n\r\n(a)");
    EXPECT_EQ(BuildScriptText(R({{K::Act, "a"}, {K::BL, " "}})), "(a)\r\n");
    EXPECT_EQ(BuildScriptText(R({{K::CommE, "|-- tout seul"}, {K::Act, "a"}})), "     ;tout seul\r\n(a)");
    EXPECT_EQ(BuildScriptText(R({{K::Act, "a"}, {K::CommE, "|-- note"}})), "(a)     ;note");
}

TEST(Writer, SeparatorRules)
{
    // a comment between two facts takes the "=>" before it
    EXPECT_EQ(BuildScriptText(R({{K::FactB, ""}, {K::Fact, "x"}, {K::CommN, "c"}, {K::Fact, "y"}, {K::FactE, ""}})),
              "(defrule\r\n(x)\r\n=>\r\n;c\r\n(y)\r\n)");
    // a rule without actions gets none
    EXPECT_EQ(BuildScriptText(R({{K::FactB, ""}, {K::Fact, "x"}, {K::FactE, ""}, {K::Act, "a"}})),
              "(defrule\r\n(x)\r\n)\r\n(a)");
    EXPECT_EQ(BuildScriptText(R({{K::FactAB, "Et pas"}, {K::Load, "f"}})), "(nand\r\n=>\r\n(load \"f\")");
}

TEST(Writer, ConstantsPreprocessorAndLoads)
{
    // a value holding " = " (a quoted text read from a file) is written whole
    EXPECT_EQ(BuildScriptText(R({{K::Const, "Constante: a = b = c"}})), "(defconst a b = c)");
    EXPECT_EQ(BuildScriptText(readScriptText(u"(defconst txt \"x = y\")")), "(defconst txt \"x = y\")");
    EXPECT_EQ(BuildScriptText(R({{K::Const, "Constante: n = -5"}})), "(defconst n -5)");
    EXPECT_EQ(BuildScriptText(R({{K::Prep, "Si CARTE"}, {K::Prep, "Si inverse X"}, {K::Prep, "Sinon"},
                                 {K::Prep, "Fin de si"}})),
              "#load-if-defined CARTE\r\n#load-if-not-defined X\r\n#else\r\n#end-if");
    EXPECT_EQ(BuildScriptText(R({{K::Load, "base"}})), "(load \"base\")");
    EXPECT_EQ(BuildScriptText(R({{K::Prep, "x"}, {K::Unknown, "y"}})), ";x");
}

TEST(Writer, RandomLoadsInEveryForm)
{
    EXPECT_EQ(BuildScriptText(R({{K::RLoad, "a 20% b 30% "}})), "(load-random 20 \"a\"\r\n30 \"b\")");
    // editor form (three blanks) and reader form (one blank) of a missing percentage
    EXPECT_EQ(BuildScriptText(R({{K::RLoad, "a   b 30% "}})), "(load-random \"a\"\r\n30 \"b\")");
    EXPECT_EQ(BuildScriptText(R({{K::RLoad, "a b 30% "}})), "(load-random \"a\"\r\n30 \"b\")");
    // each row is written from its own possibilities
    EXPECT_EQ(BuildScriptText(R({{K::RLoad, "a 1% "}, {K::RLoad, "b 2% "}})),
              "(load-random 1 \"a\")\r\n(load-random 2 \"b\")");
    EXPECT_EQ(BuildScriptText(R({{K::RLoad, ""}})), "(load-random )");
    QString many;
    for (int i = 0; i < 1500; ++i)
        many += QString("f%1 1% ").arg(i);
    EXPECT_EQ(BuildScriptText(R({{K::RLoad, many}})).count("\r\n"), 1499);
}

TEST(Writer, RowsThatBreakTheirFormKeepTheirText)
{
    EXPECT_EQ(BuildScriptText(R({{K::Const, "Constante: sans-egal"}})), "(defconst sans-egal)");
    EXPECT_EQ(BuildScriptText(R({{K::Const, "libre 3"}})), "(defconst libre 3)");
    EXPECT_EQ(BuildScriptText(R({{K::Act, "a"}, {K::CommE, "ab"}})), "(a)     ;ab");
    EXPECT_EQ(BuildScriptText(R({{K::Prep, "Peut-être"}})), ";Peut-être");
}

TEST(Reader, ReadsTabIndentedRulesGroupsAndComments)
{
    const QString text = "; en-tête\r\n"
                         "(defrule\r\n"
                         "\t(or\t(stock ble 5)\r\n"
                         "\t\t(stock bois 3))\r\n"
                         "\t(NAND (x 1)\r\n"
                         "\t)\r\n"
                         "\t(not(ennemi proche))\r\n"
                         "\t(not (paix)))\r\n"
                         "=>\r\n"
                         "\t(dire \"charger ; load defrule\")   ; la note\r\n"
                         ")\r\n";
    EXPECT_EQ(read(text), (QStringList{"Comm N| en-tête", "FactB|Début de fait", "FactOB|Ou", "Fact|stock ble 5",
                                       "Fact|stock bois 3", "FactOE|Fin de ou", "FactAB|Et pas", "Fact|x 1",
                                       "FactAE|Fin de et pas",
                                       "Fact|Inverse de ennemi proche", "Fact|Inverse de paix",
                                       "Act|dire \"charger ; load defrule\"", "Comm E||--  la note",
                                       "FactE|Fin de règle"}));
}

TEST(Reader, KeywordsCountOnlyAtTheStart)
{
    EXPECT_EQ(read("(defconst actionid-unload 621)"), QStringList{"Const|Constante: actionid-unload = 621"});
    EXPECT_EQ(read("(defconst msg  bonjour tout le monde)"), QStringList{"Const|Constante: msg = bonjour tout le monde"});
    EXPECT_EQ(read("(defrule\n(order-ready)\n=>\n(unload-all)\n)"),
              (QStringList{"FactB|Début de fait", "Fact|order-ready", "Act|unload-all", "FactE|Fin de règle"}));
    EXPECT_EQ(read("(load \"base (v2).per\")\n(load-random 40 \"a\" \"b\")"),
              (QStringList{"Load|base (v2).per", "RLoad|a 40% b "}));
}

TEST(Reader, ClosingLevelsAndSeparator)
{
    // ")" before "=>" ends nothing; an action after "=>" on its line is read
    EXPECT_EQ(read("(defrule\n(x 1)\n)\n=> (b)\n(a)\n)"),
              (QStringList{"FactB|Début de fait", "Fact|x 1", "Act|b", "Act|a", "FactE|Fin de règle"}));
    // several elements on a line, quoted parentheses and "=>" left whole
    EXPECT_EQ(read("(defrule (vrai) (not (x)) => (dire \"a) (b => c\")) ; court\n(load \"u\") (load \"v\")"),
              (QStringList{"FactB|Début de fait", "Fact|vrai", "Fact|Inverse de x", "Act|dire \"a) (b => c\"",
                           "FactE|Fin de règle", "Comm E||--  court", "Load|u", "Load|v"}));
    // a fact ending in "))" inside an or-group closes it
    EXPECT_EQ(read("(defrule\n(or\n(x 1))\n=>\n(a))"),
              (QStringList{"FactB|Début de fait", "FactOB|Ou", "Fact|x 1", "FactOE|Fin de ou", "Act|a",
                           "FactE|Fin de règle"}));
    // a line of closers closes a level for each
    EXPECT_EQ(read("(defrule\n(or\n(x 1)\n=>\n(a)\n))"),
              (QStringList{"FactB|Début de fait", "FactOB|Ou", "Fact|x 1", "Act|a", "FactOE|Fin de ou",
                           "FactE|Fin de règle"}));
    // a rule or group start carrying its first element on the same line
    EXPECT_EQ(read("(defrule\t(x 1)\n\t(or (y 2)\n\t\t(z 3))\n\t(nand(w))\n=>\n(a))"),
              (QStringList{"FactB|Début de fait", "Fact|x 1", "FactOB|Ou", "Fact|y 2", "Fact|z 3",
                           "FactOE|Fin de ou", "FactAB|Et pas", "Fact|w", "FactAE|Fin de et pas", "Act|a",
                           "FactE|Fin de règle"}));
}

TEST(Reader, PreprocessorBlanksAndComments)
{
    EXPECT_EQ(read("#load-if-defined CARTE-ILES ; iles\n#load-if-not-defined\tX\n#else\n#end-if\n#pragma"),
              (QStringList{"Prép|Si CARTE-ILES", "Comm E||--  iles", "Prép|Si inverse X", "Prép|Sinon",
                           "Prép|Fin de si"}));
    EXPECT_EQ(read("a\n\n \t\n;\n  ;  \nmot seul"), (QStringList{"BL| ", "BL| "}));
    EXPECT_TRUE(read("").isEmpty());
}

TEST(Reader, RandomLoadsInAnyLayout)
{
    EXPECT_EQ(read("(load-random 20 \"a\"\r\n30 \"b\")"), QStringList{"RLoad|a 20% b 30% "});
    EXPECT_EQ(read("(load-random 20 \"a\" 30 \"b\") ; un"), (QStringList{"RLoad|a 20% b 30% ", "Comm E||--  un"}));
    EXPECT_EQ(read("(load-random ; premier\n\t20 \"a\" ; perdu\n\t30 \"b\"\n) ; dernier"),
              (QStringList{"RLoad|a 20% b 30% ", "Comm E||--  premier", "Comm E||--  dernier"}));
    // a file that ends inside the statement
    EXPECT_EQ(read("(load-random 20 \"a\"\n30 \"b"), QStringList{"RLoad|a 20% b 30% "});
}

TEST(RoundTrip, WritingReadingAndWritingAgainIsStable)
{
    const auto rows = R({{K::CommN, "titre"},
                         {K::Const, "Constante: a = 3"},
                         {K::Prep, "Si CARTE"},
                         {K::FactB, "Début de règle"},
                         {K::FactAB, "Et"},
                         {K::Fact, "x 1"},
                         {K::FactAE, "Fin de et"},
                         {K::Fact, "Inverse de y \"deux mots\""},
                         {K::CommE, "|-- pourquoi"},
                         {K::Act, "dire \"a ; b\""},
                         {K::Load, "suite"},
                         {K::RLoad, "a 50% b   c 50% "},
                         {K::CommE, "|-- au hasard"},
                         {K::FactE, "Fin de règle"},
                         {K::Prep, "Sinon"},
                         {K::BL, " "},
                         {K::Prep, "Fin de si"}});
    const QString once = BuildScriptText(rows);
    const auto back = readScriptText(once);
    const QString twice = BuildScriptText(back);
    EXPECT_EQ(once, twice);
    EXPECT_TRUE(compareContent(once, twice).faithful());
}

TEST(Fidelity, NamesTheLinesSavingWouldLose)
{
    const QString text = "(defrule\n(x 1)\n(and (y) (z))\n=>\n(a)\n)\nmot-libre\n; garde\n";
    const auto rep = compareContent(text, BuildScriptText(readScriptText(text)));
    ASSERT_EQ(rep.lines.size(), 2);
    EXPECT_EQ(rep.lines[0].number, 3);
    EXPECT_EQ(rep.lines[0].text, "(and (y) (z))");
    EXPECT_EQ(rep.lines[1].number, 7);
    // layout, indentation and group keyword case do not count
    EXPECT_TRUE(compareContent(u"(defrule\n\t(OR (x))\n=>\t(a)\n)", u"(defrule\n(or\n(x)\n)\n=>\n(a)\n)").faithful());
    // a changed comment counts
    EXPECT_FALSE(compareContent(u"(a) ; un", u"(a) ; deux").faithful());
}

TEST(Encoding, EveryByteRoundTripsAndMatchesTheSystemConverter)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString ours = FileServices::decode1252(all);
    QStringDecoder icu("windows-1252");
    ASSERT_TRUE(icu.isValid());
    const QString theirs = icu.decode(all);
    EXPECT_EQ(ours, theirs);
    EXPECT_EQ(FileServices::encode1252(ours), all);
    EXPECT_EQ(FileServices::firstUnencodable(ours), -1);
    EXPECT_EQ(FileServices::firstUnencodable(u"ab€c\u0100"), 4);
}

TEST(Encoding, LineEnds)
{
    auto lines = [](const QString &t) {
        QStringList out;
        for (QStringView l : FileServices::splitLines(t))
            out << l.toString();
        return out;
    };
    EXPECT_EQ(lines("a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(lines("a\r\n"), QStringList{"a"});
    EXPECT_EQ(lines("\r\n\r\n"), (QStringList{"", ""}));
    EXPECT_TRUE(lines("").isEmpty());
}

TEST(Paths, BothSeparatorsAndCompanionNames)
{
    using namespace FileServices;
    EXPECT_EQ(GetFileName("C:\\jeux\\ia\\base.per"), "base.per");
    EXPECT_EQ(GetFileName("/home/x/base.per"), "base.per");
    EXPECT_EQ(GetExtensionName("a\\b.c\\nom"), "");
    EXPECT_EQ(GetExtensionName("a/nom.v2.per"), "per");
    EXPECT_EQ(GetParentFolderName("C:\\Jeux\\Kelvarra\\desinstaller.exe"), "C:\\Jeux\\Kelvarra");
    EXPECT_EQ(baseName("/x/nom.v2.per"), "nom.v2");
    EXPECT_EQ(companionFileName("/x/ia.per"), "/x/ia.ai");
    EXPECT_EQ(companionFileName("/x/ia.v2.per"), "/x/ia.v2.ai");
    EXPECT_EQ(companionFileName("/x.d/ia"), "/x.d/ia.ai");
}

TEST(Files, CompanionIsCreatedOnlyWhenMissingAndSavesAreAtomic)
{
    QTemporaryDir dir;
    const QString ai = dir.filePath("ia.ai");
    EXPECT_EQ(ensureCompanionFile(ai), "");
    EXPECT_TRUE(QFile::exists(ai));
    {
        QFile f(ai);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("garde");
    }
    EXPECT_EQ(ensureCompanionFile(ai), "");
    EXPECT_EQ(QFile(ai).size(), 5);

    const QString per = dir.filePath("ia.per");
    EXPECT_EQ(FileServices::saveFile(per, "une longue version"), "");
    EXPECT_EQ(FileServices::saveFile(per, "court"), "");
    EXPECT_EQ(FileServices::readTextFile(per).text, "court");
    const QString err = FileServices::saveFile(dir.filePath("absent/ia.per"), "x");
    EXPECT_TRUE(err.contains("absent/ia.per")) << err.toStdString();
    EXPECT_FALSE(ReadScriptFile(dir.filePath("nulle-part.per")).error.isEmpty());
}
