#include "document/linebuilders.h"
#include "files/saveopen.h"
#include "files/saveopen_internal.h"
#include "shell/fileservices.h"
#include "coresupport.h"

#include <QDir>
#include <QProcess>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <functional>
#include <random>
#include <gtest/gtest.h>

using namespace SaveOpen;
using K = LineKind;

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
QByteArray format(QByteArrayView bytes)
{
    QByteArray out;
    QString problem;
    EXPECT_TRUE(formatScriptBytes(bytes, [&](QByteArrayView chunk) { return out += chunk, true; }, problem))
        << problem.toStdString();
    return out;
}
// Saving what was read, every form laid out again or not.
QByteArray resave(const ReadResult &r, bool canonical = false)
{
    SaveText saved;
    QString error;
    EXPECT_TRUE(buildScriptBytes(r.rows, r.source, saved, error, canonical)) << error.toStdString();
    return saved.bytes;
}
QByteArray resave(const QByteArray &bytes, const std::function<void(std::vector<ScriptLine> &, ScriptSource &)> &edit)
{
    ReadResult r = readScriptBytes(bytes);
    edit(r.rows, r.source);
    return resave(r);
}
} // namespace

TEST(Writer, WritesEveryKindInTheEditorsLayout)
{
    const std::pair<std::vector<ScriptLine>, const char *> cases[] = {
        {R({{K::FactB, "Début de règle"}, {K::FactOB, "Ou"}, {K::Fact, "x 1"}, {K::Fact, "Inverse de y"},
            {K::FactOE, "Fin de ou"}, {K::FactTB, "Tous"}, {K::Fact, "a"}, {K::FactNB, "Ni"}, {K::Fact, "b"},
            {K::FactNE, "Fin de ni"}, {K::FactTE, "Fin de tous"}, {K::FactAB, "Et"}, {K::Fact, "c"},
            {K::FactAE, "Fin de et"}, {K::Act, "z 2"}, {K::FactE, "Fin de règle"}}),
         "(defrule\r\n(or\r\n(x 1)\r\n(not (y))\r\n)\r\n(and\r\n(a)\r\n(nor\r\n(b)\r\n)\r\n)\r\n"
         "(nand\r\n(c)\r\n)\r\n=>\r\n(z 2)\r\n)\r\n"},
        {{}, ""},
        {R({{K::Const, "Constante: a = b = c"}}), "(defconst a b = c)\r\n"},
        {readScriptText(u"(defconst txt \"x = y\")"), "(defconst txt \"x = y\")\r\n"},
        {R({{K::Prep, "Si CARTE"}, {K::Prep, "Si inverse X"}, {K::Prep, "Sinon"}, {K::Prep, "Fin de si"}}),
         "#load-if-defined CARTE\r\n#load-if-not-defined X\r\n#else\r\n#end-if\r\n"},
        {R({{K::Load, "base"}, {K::Text, "mot (libre"}, {K::Unknown, "y"}}), "(load \"base\")\r\nmot (libre\r\n"},
        // rows that break their kind's form keep their text
        {R({{K::Const, "Constante: sans-egal"}}), "(defconst sans-egal)\r\n"},
        {R({{K::Const, "libre 3"}}), "(defconst libre 3)\r\n"},
        {R({{K::Const, "libre valeur = 3"}}), "(defconst libre valeur = 3)\r\n"},
        {R({{K::Prep, "Peut-être"}}), ";Peut-être\r\n"},
        // comment and blank rows among the facts stay among the facts; "=>" before the first action
        {R({{K::FactB, ""}, {K::Fact, "x"}, {K::CommN, "c"}, {K::BL, " "}, {K::Fact, "y"}, {K::Act, "a"},
            {K::CommN, "d"}, {K::Act, "b"}, {K::FactE, ""}}),
         "(defrule\r\n(x)\r\n;c\r\n\r\n(y)\r\n=>\r\n(a)\r\n;d\r\n(b)\r\n)\r\n"},
        // a rule without actions still has its "=>"; actions outside a rule none
        {R({{K::FactB, ""}, {K::Fact, "x"}, {K::FactE, ""}, {K::Act, "a"}}), "(defrule\r\n(x)\r\n=>\r\n)\r\n(a)\r\n"},
        {R({{K::FactAB, "Et pas"}, {K::Load, "f"}}), "(nand\r\n(load \"f\")\r\n"},
        {R({{K::BL, " "}, {K::BL, ""}, {K::Act, "a"}, {K::BL, " "}, {K::Act, "b"}}), "\r\n\r\n(a)\r\n\r\n(b)\r\n"},
        {R({{K::Act, "a"}, {K::CommE, "|-- note"}, {K::CommE, "ab"}}), "(a)     ;note     ;ab\r\n"},
        // with no line to end, an end comment makes a comment line
        {R({{K::CommE, "|-- seul"}, {K::Act, "a"}, {K::BL, " "}, {K::CommE, "|-- c"}}), ";seul\r\n(a)\r\n\r\n;c\r\n"},
        // random loads: the editor's (three blanks) and the reader's (one) missing percentage; a row each
        {R({{K::RLoad, "a 20% b 30% "}}), "(load-random 20 \"a\"\r\n30 \"b\")\r\n"},
        {R({{K::RLoad, "a   b 30% "}, {K::RLoad, "a b 30% "}}),
         "(load-random \"a\"\r\n30 \"b\")\r\n(load-random \"a\"\r\n30 \"b\")\r\n"},
        {R({{K::RLoad, ""}}), "(load-random )\r\n"},
    };
    for (const auto &[rows, expected] : cases)
        EXPECT_EQ(BuildScriptText(rows), QString::fromUtf8(expected));
    EXPECT_EQ(BuildScriptText(cases[0].first, u"\n").count('\r'), 0);
    QString many;
    for (int i = 0; i < 1500; ++i)
        many += QString("f%1 1% ").arg(i);
    EXPECT_EQ(BuildScriptText(R({{K::RLoad, many}})).count("\r\n"), 1500);
}

TEST(Reader, ReadsRulesGroupsCommentsAndTextItDoesNotKnow)
{
    const std::pair<const char *, QStringList> cases[] = {
        {"; en-tête\r\n(defrule\r\n\t(or\t(stock ble 5)\r\n\t\t(stock bois 3))\r\n\t(NAND (x 1)\r\n\t)\r\n"
         "; (saison hiver)\r\n\t(not(ennemi proche))\r\n\r\n\t(not (paix)))\r\n=>\r\n"
         "\t(dire \"charger ; load defrule\")   ; la note\r\n)\r\n", // an extra ")" after the last fact closes the rule
         {"Comm N| en-tête", "FactB|Début de fait", "FactOB|Ou", "Fact|stock ble 5", "Fact|stock bois 3",
          "FactOE|Fin de ou", "FactAB|Et pas", "Fact|x 1", "FactAE|Fin de et pas", "Comm N| (saison hiver)",
          "Fact|Inverse de ennemi proche", "BL| ", "Fact|Inverse de paix", "FactE|Fin de règle", "Texte|=>",
          "Texte|(dire \"charger ; load defrule\")", "Comm E||--  la note", "Texte|)"}},
        {"(defrule\r\n\t(x)\r\n; (y)\r\n=>\r\n\t(dire \"charger ; load defrule\")   ; la note\r\n)\r\n",
         {"FactB|Début de fait", "Fact|x", "Comm N| (y)", "Act|dire \"charger ; load defrule\"",
          "Comm E||--  la note", "FactE|Fin de règle"}},
        // and-groups and nor-groups at any depth, keywords in any case
        {"(DEFRULE (or (AND (a 1) (b 2)) (Nor (c) (and (d) (not (e))))) (and (f)) => (x))",
         {"FactB|Début de fait", "FactOB|Ou", "FactTB|Tous", "Fact|a 1", "Fact|b 2", "FactTE|Fin de tous", "FactNB|Ni",
          "Fact|c", "FactTB|Tous", "Fact|d", "Fact|Inverse de e", "FactTE|Fin de tous", "FactNE|Fin de ni",
          "FactOE|Fin de ou", "FactTB|Tous", "Fact|f", "FactTE|Fin de tous", "Act|x", "FactE|Fin de règle"}},
        {"(DEFCONST A 1)\n(LOAD \"f\")\n(Load-Random 10 \"g\")\n#LOAD-IF-DEFINED X\n#Else\n#END-IF",
         {"Const|Constante: A = 1", "Load|f", "RLoad|g 10% ", "Prép|Si X", "Prép|Sinon", "Prép|Fin de si"}},
        // after "=>" a group keyword is an action's text
        {"(defrule (x) => (and y))", {"FactB|Début de fait", "Fact|x", "Act|and y", "FactE|Fin de règle"}},
        // an element over several lines is read whole
        {"(defrule\n\t(not\n\t\t(stock ble 5))\n\t(stock ; combien\n\t\tbois\n\n\t\t> 9) ; assez\n=>\n"
         "\t(dire\n\t\t\"deux lignes\")\n)",
         {"FactB|Début de fait", "Fact|Inverse de stock ble 5", "Fact|stock bois > 9", "Comm E||--  combien",
          "Comm E||--  assez", "Act|dire \"deux lignes\"", "FactE|Fin de règle"}},
        {"(defconst nom\n  12) ; douze\n(load\n\"suite\")", {"Const|Constante: nom = 12", "Comm E||--  douze", "Load|suite"}},
        // several elements on a line, quoted parentheses and "=>" left whole
        {"(defrule (vrai) (not (x)) => (dire \"a) (b => c\")) ; court\n(load \"u\") (load \"v\")",
         {"FactB|Début de fait", "Fact|vrai", "Fact|Inverse de x", "Act|dire \"a) (b => c\"", "FactE|Fin de règle",
          "Comm E||--  court", "Load|u", "Load|v"}},
        // outside a rule: "=>", a lone ")", words, unknown elements and directives
        {"(defrule\n(x 1)\n)\n=> (b)\n)\nmot seul\n(def ) ;c\n#pragma une fois",
         {"FactB|Début de fait", "Fact|x 1", "FactE|Fin de règle", "Texte|=>", "Texte|(b)", "Texte|)",
          "Texte|mot seul", "Texte|(def )", "Comm E||-- c", "Texte|#pragma une fois"}},
        // blank lines and empty comments are kept
        {"a\n\n \t\n;\n  ;  \n", {"Texte|a", "BL| ", "BL| ", "Comm N|", "Comm N|  "}},
        {"", {}},
        // a form left open stops before the next rule
        {"(defrule\n(x\n(defrule (y) => (z))",
         {"FactB|Début de fait", "Fact|x", "FactB|Début de fait", "Fact|y", "Act|z", "FactE|Fin de règle"}},
        // random loads in any layout, to a file that ends inside one
        {"(load-random 20 \"a\"\r\n30 \"b\")", {"RLoad|a 20% b 30% "}},
        {"(load-random 20 \"a\" 30 \"b\") ; un", {"RLoad|a 20% b 30% ", "Comm E||--  un"}},
        {"(load-random ; premier\n\t20 \"a\" ; deux\n; trois\n\t30 \"b\"\n) ; dernier",
         {"RLoad|a 20% b 30% ", "Comm E||--  premier", "Comm E||--  deux", "Comm E||--  trois", "Comm E||--  dernier"}},
        {"(load-random 20 \"a\"\n30 \"b", {"RLoad|a 20% b 30% "}},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(read(QString::fromUtf8(text)), expected) << text;
    // the comment among the facts stays there when written
    EXPECT_EQ(BuildScriptText(readScriptText(QString::fromUtf8(cases[1].first))),
              "(defrule\r\n(x)\r\n; (y)\r\n=>\r\n(dire \"charger ; load defrule\")     ; la note\r\n)\r\n");
}

TEST(Reader, DeepNestingNeedsNoDeepStack)
{
    const QString text = "(defrule " + QString("(or ").repeated(20000) + "(x)" + QString(20000, ')') + " => (a))";
    const ReadResult r = readScriptBytes(text.toLatin1());
    EXPECT_EQ(r.rows.size(), 40004u);
    EXPECT_EQ(r.source.keptCount(), 0);
    const QString written = BuildScriptText(r.rows);
    EXPECT_EQ(BuildScriptText(readScriptText(written)), written);
}

TEST(Save, AnUntouchedScriptIsWrittenByteForByte)
{
    QList<QByteArray> files = {"", "\r\n", "(a)", "; seul", "(defrule\n\t(x)\n=>\n\t(y))", "(defrule\r(x)\r=>\r(y)\r)\r",
                               "(defrule\r\n(x)\n=>\r(y)\r\n)", "  \t(defconst   a    1)   ;   x  \n\n\n",
                               "\xEF\xBB\xBF(defrule (x) => (y))\r\n", "(dire \"caf\xC3\xA9\")\n", "(dire \"caf\xE9\")\n",
                               "(and (a 1)\n\t\t(b 2))\n)))\n=>\nmot (\n", "(defrule\n(x\n", "\xEF\xBB\xBF\xE9\n"};
    for (const char *name : {"economie.per", "chargements.per", "perdu.per", "formes.per", "melange.per"})
        files << TestSupport::contents(QStringLiteral(VARDELO_TEST_DATA "/") + name);
    for (const QByteArray &bytes : files)
        EXPECT_EQ(resave(readScriptBytes(bytes)), bytes) << bytes.toStdString();
}

// Each row knows the file line it stands on: as read (an element over
// several lines on its first, an end-of-line comment and a group on one line
// on theirs), and as saved, the edited parts laid out anew and the parts
// after them moved: reading the saved bytes puts every row where the writer
// said.
TEST(Save, RowsStandOnTheirFileLinesAsReadAndAsSaved)
{
    const QByteArray bytes = "; en-tete\n(defconst a 1) ; fin\n\n(defrule\n  (and (x 1) (y 2))\n  (not\n    (z 3))   ; sur deux\n"
                             "=>\n  (dire \"a\")\n  )\n#load-if-defined B\n(load-random 50 \"p\"\n  50 \"q\")\n#end-if";
    ReadResult r = readScriptBytes(bytes);
    QStringList read;
    for (const ScriptLine &l : r.rows)
        read << kindTag(l.kind) + '@' + QString::number(l.line);
    EXPECT_EQ(read.join('|'), "Comm N@1|Const@2|Comm E@2|BL@3|FactB@4|FactTB@5|Fact@5|Fact@5|FactTE@5|Fact@6|Comm E@7|"
                              "Act@9|FactE@10|Prép@11|RLoad@12|Prép@14");
    EXPECT_EQ(r.source.lineCount, 14);

    const auto savedWhereSaid = [](const std::vector<ScriptLine> &rows, const ScriptSource &source) {
        SaveText saved;
        QString error;
        ASSERT_TRUE(buildScriptBytes(rows, source, saved, error)) << error.toStdString();
        const ReadResult again = readScriptBytes(saved.bytes);
        ASSERT_EQ(again.rows.size(), rows.size()) << saved.bytes.toStdString();
        for (size_t k = 0; k < rows.size(); ++k)
            EXPECT_EQ(saved.lines[k], again.rows[k].line) << k << ' ' << saved.bytes.toStdString();
        EXPECT_EQ(saved.lineCount, again.source.lineCount);
    };
    savedWhereSaid(r.rows, r.source);
    // the constant and the rule laid out (the rule on more lines), rows added
    // at the end
    r.rows[1].text = "Constante: a = 2";
    r.source.forms[1].edited = true;
    r.rows.insert(r.rows.begin() + 6, ScriptLine{"w 4", 0, K::Fact, r.rows[6].form});
    r.source.forms[r.rows[6].form].edited = true;
    r.rows.push_back({"fin", 0, K::CommN});
    r.rows.push_back({" ", 0, K::BL});
    savedWhereSaid(r.rows, r.source);
}

// (edits through the window are in keptforms_test) a new last line that is
// blank gets its line end, or it would not read back
TEST(Save, ANewBlankLastLineIsEnded)
{
    EXPECT_EQ(resave("(a)", [](auto &rows, auto &) { rows.push_back({" ", 0, K::BL}); }), "(a)\r\n\r\n");
}

TEST(Save, TheFileKeepsItsEncoding)
{
    // (UTF-8 files are in keptforms_test)
    // Windows-1252 refuses a character it cannot hold, naming the line
    ReadResult latin = readScriptBytes("(a \"\xE9\")\n(b)\n");
    EXPECT_EQ(latin.source.encoding, TextEncoding::Windows1252);
    EXPECT_EQ(latin.rows.front().text, QString::fromUtf8("(a \"é\")"));
    latin.rows.push_back({QString::fromUtf8("Constante: x = \"Ā\""), 0, K::Const});
    SaveText refused;
    QString refusal;
    EXPECT_FALSE(buildScriptBytes(latin.rows, latin.source, refused, refusal));
    EXPECT_TRUE(refused.bytes.isEmpty());
    EXPECT_TRUE(refusal.contains("ligne 3")) << refusal.toStdString();
    // a pure ASCII file is the game's code page
    EXPECT_EQ(readScriptBytes("(a)").source.encoding, TextEncoding::Windows1252);
    // a mark before bytes that are not UTF-8 stays a mark over the game's code page
    const ReadResult marked = readScriptBytes("\xEF\xBB\xBF(a \"\xE9\")\n");
    EXPECT_EQ(marked.source.encoding, TextEncoding::Windows1252);
    EXPECT_TRUE(marked.source.byteOrderMark);
    EXPECT_EQ(marked.rows.front().text, QString::fromUtf8("(a \"é\")"));
}

TEST(Check, FormsTheLayoutWouldChangeAreKeptAndNamed)
{
    const ReadResult r = readScriptBytes("(defconst a 1)\n(load \"x\" en-trop)\n(defrule (x))) ; trop\n"
                                         "#load-if-defined A B\n(and (y) (z))\n");
    ASSERT_EQ(r.source.formCount(), 5);
    EXPECT_EQ(r.source.keptCount(), 3);
    QString kept;
    for (const auto &form : r.source.forms)
        kept += form.keptAsRead ? 'k' : '-';
    EXPECT_EQ(kept, "-kkk-");
    EXPECT_TRUE(r.source.keptReason(1).contains("ligne 2: (load \"x\" en-trop)")) << r.source.keptReason(1).toStdString();
    const QString report = keptFormsReport(r.source);
    EXPECT_TRUE(report.contains("de 3 parties") && report.contains("ligne 4: #load-if-defined A B"))
        << report.toStdString();

    // layout, indentation and keyword case do not count; a changed comment does
    EXPECT_TRUE(compareContent(u"(defrule\n\t(OR (x))\n=>\t(a)\n)", u"(defrule\n(or\n(x)\n)\n=>\n(a)\n)").faithful());
    EXPECT_TRUE(sameContent(u"(x) ; a ; b", u"(x)     ; a     ;b"));
    EXPECT_FALSE(sameContent(u"(a) ; un", u"(a) ; deux"));
    const FidelityReport rep = compareContent(u"(a)\n(b)\nmot\n(c)", u"(a)\n(b)\n(c)", 10);
    ASSERT_EQ(rep.lines.size(), 1);
    EXPECT_EQ(rep.lines[0].number, 12);
    EXPECT_EQ(rep.lines[0].text, "mot");
}

// The one-walk comparison takes the layout's usual changes at once, and
// says "same" only where the tokens and the comments' places agree.
TEST(SaveOpen, ComparisonAtOnceNeverHidesAChange)
{
    const std::pair<QString, QString> alike[] = {
        {"(defrule\r\n\t(or\t(a 1)\r\n\t\t(b))\t; c\r\n\t(NAND\r\n\t\t(d)\r\n\t)\r\n=>\r\n\t(e \"f ; g\")\r\n)\r\n",
         "(defrule\r\n(or\r\n(a 1)\r\n(b)\r\n)     ; c\r\n(nand\r\n(d)\r\n)\r\n=>\r\n(e \"f ; g\")\r\n)\r\n"},
        {"; x   \n(a)", "; x\n(a)"},
        {"\t(a)\n", "(a)"},
        {"( a)", "(a)"},
        {"(defconst a \"ouvert\n(b)", "(defconst a \"ouvert\r\n(b)"},
    };
    for (const auto &[a, b] : alike) {
        EXPECT_TRUE(sameAtOnce(a, b)) << a.toStdString();
        EXPECT_TRUE(sameTokens(a, b)) << a.toStdString();
    }
    const std::pair<QString, QString> differ[] = {
        {"(a b)", "(ab)"},
        {"(\na)", "(a)"},            // a "(" alone, then a word
        {"(a) ; c", "(a)\n; c"},      // a comment moved onto a line of its own
        {"(a)\n; c", "(a) ; c"},      // or off it
        {"; a  b", "; a b"},
        {"(x \"a  b\")", "(x \"a b\")"},
        {"(x \"a\nb\")", "(x \"a b\")"},
        {"(Stock)", "(stock)"},        // only keywords may change case
        {"; a\n(b)", "; a (b)"},
        {"(a)", "(a) ; c"},
        {"(a) ; c", "(a)"},
        {"(and(x))", "(and)(x)"},      // parting right after a keyword
    };
    for (const auto &[a, b] : differ) {
        EXPECT_FALSE(sameContent(a, b)) << a.toStdString();
        EXPECT_FALSE(sameContent(b, a)) << b.toStdString();
    }

    // random changes of blanks, line ends, case and comments
    const QString base = "; en-tête ; deux\r\n; une remarque assez longue pour tenir sur plusieurs blocs\r\n(defrule\r\n\t(or\t(stock ble > 0)\r\n\t\t(stock bois >= 200))\t; bois\r\n"
                         "\t(not (ennemi-proche))   ; menace\r\n\t(NAND\r\n\t\t(minuteur 3)\r\n\t)\r\n=>\r\n"
                         "\t(dire \"Au marché ; (load) le blé, et un texte long entre ses guillemets\")\r\n)\r\n#load-if-defined X\r\n(load \"a\")\r\n";
    std::mt19937 random(24);
    int taken = 0;
    for (int round = 0; round < 4000; ++round) {
        QString v = base;
        for (int k = 0, changes = 1 + int(random() % 3); k < changes; ++k) {
            const qsizetype at = qsizetype(random() % quint32(v.size()));
            switch (random() % 7) {
            case 0: v.insert(at, ' '); break;
            case 1: v.insert(at, '\n'); break;
            case 2: if (v[at].isSpace()) v.remove(at, 1); break;
            case 3: if (v[at] == ' ' || v[at] == '\t') v[at] = '\n'; break;
            case 4: if (v[at] == '\n' || v[at] == '\r') v[at] = ' '; break;
            case 5: v[at] = v[at].isUpper() ? v[at].toLower() : v[at].toUpper(); break;
            default: v.insert(at, ';'); break;
            }
        }
        for (const auto &[a, b] : {std::pair{base, v}, std::pair{v, base}}) {
            if (sameAtOnce(a, b)) {
                ++taken;
                EXPECT_TRUE(sameTokens(a, b)) << b.toStdString();
            }
        }
    }
    EXPECT_GT(taken, 1000);
}

// Comments stay where their author put them: no part is kept as read for a
// comment's place; forms written close together are read into rows like any
// other. Every case, untouched, is saved as read, and formats stably.
TEST(Check, CommentsKeepTheirPlaceAndFormsCloseTogetherAreRead)
{
    const struct {
        const char *bytes;
        const char *rows;   // kinds, '|' between rows
        const char *kept;   // its lines the check names, "" when formatting lays it out
        const char *format; // what formatting gives, when laid out
    } cases[] = {
        // an end comment of the "=>" line stays on it
        {"(defrule\n\t(x)\n=>\t; fin des faits\n\t(a))\n", "FactB|Fact|Comm E|Act|FactE", "",
         "(defrule\n(x)\n=>     ; fin des faits\n(a)\n)\n"},
        // comments inside an element over several lines stay on their lines
        {"(defrule\n\t(stock ; a\n\t\tbois ; b\n\t\t> 9)\n=>\n\t(a))\n", "FactB|Fact|Comm E|Comm E|Act|FactE", "",
         "(defrule\n(stock ; a\nbois ; b\n> 9)\n=>\n(a)\n)\n"},
        {"(defrule\n\t(or (a) ; x\n\t    (b))\n=>\n\t(c))\n", "FactB|FactOB|Fact|Comm E|Fact|FactOE|Act|FactE", "",
         "(defrule\n(or\n(a)     ; x\n(b)\n)\n=>\n(c)\n)\n"},
        // a comment line between "=>" and the first action stays after "=>"
        {"(defrule\n\t(x)\n=>\n;\t(former piquier)\n\n\t(a))\n", "FactB|Fact|Comm N|BL|Act|FactE", "",
         "(defrule\n(x)\n=>\n;\t(former piquier)\n\n(a)\n)\n"},
        // what the layout would lose is kept as read, comments or not
        {"(defrule\n(not x) ; seul\n=>\n(a))\n", "FactB|Fact|Comm E|Act|FactE", "2", ""},
        // a line of comments keeps its line, and pieces of one comment stay together
        {"(defrule\n(x)\n;seul\n=>\n(a)\n)\n", "FactB|Fact|Comm N|Act|FactE", "", "(defrule\n(x)\n;seul\n=>\n(a)\n)\n"},
        {"(defrule (x) ; un ; deux\n=> (a))\n", "FactB|Fact|Comm E|Act|FactE", "",
         "(defrule\n(x)     ; un ; deux\n=>\n(a)\n)\n"},
        // two forms on one line
        {"(defconst a 1)(defconst b 2) ; deux\n", "Const|Const|Comm E", "",
         "(defconst a 1)\n(defconst b 2)     ; deux\n"},
        {"(defrule (x) => (a)) (load \"y\")\n", "FactB|Fact|Act|FactE|Load", "",
         "(defrule\n(x)\n=>\n(a)\n)\n(load \"y\")\n"},
        // no blanks between parentheses and keywords
        {"(defrule(true)=>(disable-self))\n(defrule(or(a)(not(b)))=>(c)(d))\n(load\"x\")\n",
         "FactB|Fact|Act|FactE|FactB|FactOB|Fact|Fact|FactOE|Act|Act|FactE|Load", "",
         "(defrule\n(true)\n=>\n(disable-self)\n)\n(defrule\n(or\n(a)\n(not (b))\n)\n=>\n(c)\n(d)\n)\n(load \"x\")\n"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.bytes);
        const ReadResult r = readScriptBytes(c.bytes);
        QStringList kinds;
        for (const ScriptLine &l : r.rows)
            kinds << kindTag(l.kind);
        EXPECT_EQ(kinds.join('|'), QString::fromUtf8(c.rows));
        QStringList kept;
        for (const auto &[form, lost] : r.source.lost)
            for (const LostLine &l : lost)
                kept << QString::number(l.number);
        EXPECT_EQ(kept.join(' '), QString::fromUtf8(c.kept));
        EXPECT_EQ(resave(r), QByteArray(c.bytes));
        const QByteArray once = format(c.bytes);
        EXPECT_EQ(once, QByteArray(*c.format ? c.format : c.bytes));
        EXPECT_EQ(format(once), once);
    }
}

namespace {
// A list of rows as the editors make them: constants, comments, loads,
// directives and blank lines around rules whose groups nest at random.
class RowGenerator
{
public:
    explicit RowGenerator(unsigned seed) : m_rng(seed) {}

    std::vector<ScriptLine> script()
    {
        for (int i = pick(12); i > 0; --i) {
            switch (pick(9)) {
            case 0: add(K::CommN, words()); break;
            case 1: add(K::BL, pick(2) ? " " : ""); break;
            case 2: add(K::Const, QString("Constante: c%1 = %2").arg(pick(99)).arg(pick(999) - 500)); break;
            case 3: add(K::Load, "fichier" + QString::number(pick(9))); break;
            case 4: add(K::RLoad, pick(2) ? "a 20% b 80% " : "a   b 30% "); break;
            case 5: add(K::Prep, QStringList{"Si CARTE", "Si inverse ILES", "Sinon", "Fin de si"}[pick(4)]); break;
            case 6: add(K::Text, "mot-" + QString::number(pick(9))); break;
            default: rule(); break;
            }
            if (pick(4) == 0 && !m_rows.empty())
                add(K::CommE, "|-- " + words());
        }
        return m_rows;
    }

private:
    int pick(int n) { return int(m_rng() % unsigned(n)); }
    void add(K kind, const QString &text) { m_rows.push_back({text, 0, kind}); }
    QString words()
    {
        static const QStringList w = {"blé", "bois", "; point", "\"a ; b\"", "(x)", "=>", "tous", "  deux  "};
        return w[pick(w.size())] + (pick(2) ? QString(" ") + w[pick(w.size())] : QString());
    }
    void aside()
    {
        const int k = pick(8);
        if (k < 3)
            add(QList{K::CommN, K::BL, K::CommE}[k], QStringList{words(), " ", "|-- " + words()}[k]);
    }
    void facts(int depth)
    {
        static const K open[] = {K::FactOB, K::FactAB, K::FactTB, K::FactNB, K::FactOB};
        static const K close[] = {K::FactOE, K::FactAE, K::FactTE, K::FactNE, K::FactOE};
        for (int i = pick(4); i > 0; --i) {
            aside();
            const int k = depth < 4 ? pick(7) : 0;
            if (k < 2) {
                add(K::Fact, (k ? "Inverse de " : "") + QString("stock ble > %1").arg(pick(9)));
                continue;
            }
            add(open[k - 2], "Groupe");
            facts(depth + 1);
            add(close[k - 2], "Fin");
        }
    }
    void rule()
    {
        add(K::FactB, "Début de règle");
        aside();
        facts(0);
        for (int i = pick(3); i > 0; --i) {
            aside();
            add(K::Act, QString("dire \"n°%1 ; (ok)\"").arg(pick(9)));
        }
        aside();
        add(K::FactE, "Fin de règle");
    }

    std::mt19937 m_rng;
    std::vector<ScriptLine> m_rows;
};
} // namespace

TEST(RoundTrip, WritingReadingAndWritingAgainGivesTheSameBytes)
{
    for (unsigned seed = 1; seed <= 400; ++seed) {
        const std::vector<ScriptLine> rows = RowGenerator(seed).script();
        for (const QStringView lineEnd : {QStringView(u"\r\n"), QStringView(u"\n")}) {
            const QString once = BuildScriptText(rows, lineEnd);
            const QByteArray bytes = FileServices::encode1252(once);
            const ReadResult back = readScriptBytes(bytes);
            ASSERT_EQ(BuildScriptText(back.rows, lineEnd), once) << "seed " << seed;
            // the editor's own layout is never kept as read, and formats as it was
            EXPECT_EQ(back.source.keptCount(), 0) << "seed " << seed << "\n" << once.toStdString();
            EXPECT_EQ(resave(back, true), bytes);
            EXPECT_EQ(format(bytes), bytes);
        }
    }
}

// Scripts indented by hand, edited at random a row at a time: each edited
// part reads back into the rows as edited.
TEST(RoundTrip, EditedPartsReadBackAsTheirRows)
{
    for (unsigned seed = 1; seed <= 400; ++seed) {
        std::mt19937 rng(seed);
        const auto pick = [&rng](int n) { return int(rng() % unsigned(n)); };
        const std::vector<ScriptLine> generated = RowGenerator(seed).script();
        QString text;
        const QString end = QStringList{"\r\n", "\n", "\r"}[pick(3)];
        const QString layout = BuildScriptText(generated, u"\n");
        for (QStringView line : FileServices::splitLines(layout)) {
            const QString indent = QStringList{"", "\t", "    ", "\t\t"}[pick(4)];
            text += (line.startsWith(u"=>") || line.startsWith(u")") ? QString() : indent) + line.toString();
            text += line == u"=>" && pick(2) ? QStringLiteral(" ") : end; // "=> (a)" on one line
        }
        ReadResult r = readScriptBytes(FileServices::encode1252(text));
        std::vector<ScriptLine> &rows = r.rows;
        for (int edits = 1 + pick(3); edits > 0 && rows.size() > 2; --edits) {
            const size_t k = 1 + size_t(pick(int(rows.size()) - 1));
            const K kind = rows[k].kind;
            const bool beforeEnd = rows[k].kind != K::CommE;
            switch (pick(3)) {
            case 0: // a new text
                if (kind == K::Fact || kind == K::Act)
                    rows[k].text = "nouveau " + QString::number(pick(99));
                else if (kind == K::CommN)
                    rows[k].text = " note";
                else if (kind == K::Const)
                    rows[k].text = "Constante: k = 3";
                else
                    continue;
                break;
            case 1: // deleted
                if (!QList{K::Fact, K::Act, K::CommN, K::CommE, K::BL, K::Const, K::Load}.contains(kind)
                    || (k + 1 < rows.size() && rows[k + 1].kind == K::CommE))
                    continue;
                r.source.forms[size_t(rows[k].form)].edited = true;
                rows.erase(rows.begin() + qsizetype(k));
                continue;
            default: { // inserted before row k, inside its part
                if (!beforeEnd || rows[k - 1].form != rows[k].form)
                    continue;
                const K next = rows[k].kind;
                ScriptLine row{"insere", 0, K::CommN, rows[k].form};
                if (next == K::Fact && pick(2))
                    row = {"ajout 1", 0, K::Fact, rows[k].form};
                else if (next == K::Act && pick(2))
                    row = {"ajout 2", 0, K::Act, rows[k].form};
                else if (pick(3) == 0)
                    row = {" ", 0, K::BL, rows[k].form};
                rows.insert(rows.begin() + qsizetype(k), row);
                break;
            }
            }
            r.source.forms[size_t(rows[k].form)].edited = true;
        }
        const QByteArray saved = resave(r);
        EXPECT_EQ(show(readScriptBytes(saved).rows), show(rows)) << "seed " << seed << "\n"
                                                                 << text.toStdString() << "\n--\n" << saved.toStdString();
    }
}

TEST(RoundTrip, AnyTextReadsAndSavesAsItWas)
{
    static const char *const pieces[] = {"(", ")", "(defrule", "(or", "(AND", "(nor", "(not", "=>", "; c",
                                         "\"q;(\"", " ", "\t", "\n", "\r\n", "\r", "#else", "#load-if-defined S",
                                         "(defconst", "(load-random 5 \"a\"", "mot", "\xE9"};
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes;
        for (int i = int(rng() % 60); i > 0; --i)
            bytes += pieces[rng() % std::size(pieces)];
        const ReadResult r = readScriptBytes(bytes);
        ASSERT_EQ(resave(r), bytes) << bytes.toStdString();
        // the formatter, form by form, writes what saving writes once every form is edited
        EXPECT_EQ(format(bytes), resave(r, true)) << bytes.toStdString();
        // every form shows as one row at least
        std::vector<bool> shown(size_t(r.source.formCount()), false);
        for (const ScriptLine &l : r.rows)
            shown[size_t(l.form)] = true;
        EXPECT_EQ(std::count(shown.begin(), shown.end(), false), 0) << bytes.toStdString();
        // a row changed, one deleted and one inserted anywhere: what stands
        // before the first edited part is saved as it was
        ReadResult edited = readScriptBytes(bytes);
        std::vector<ScriptLine> &rows = edited.rows;
        if (rows.empty())
            continue;
        int first = edited.source.formCount();
        const auto touch = [&](int form) {
            if (form >= 0) {
                edited.source.forms[size_t(form)].edited = true;
                first = qMin(first, form);
            }
        };
        const size_t k = rng() % rows.size();
        rows[k].text += " x";
        touch(rows[k].form);
        const size_t gone = rng() % rows.size();
        touch(rows[gone].form);
        rows.erase(rows.begin() + qsizetype(gone));
        const size_t at = rng() % (rows.size() + 1);
        rows.insert(rows.begin() + qsizetype(at), {"n", 0, K::CommN, at > 0 ? rows[at - 1].form : -1});
        touch(rows[at].form);
        if (at == 0)
            first = 0; // a part of its own at the start
        const QByteArray saved = resave(edited);
        if (first > 0 && first < edited.source.formCount()) {
            EXPECT_TRUE(saved.startsWith(bytes.left(edited.source.forms[size_t(first)].byteBegin))) << bytes.toStdString();
        }
    }
}

// A part's layout, holding its content, is taken as cut like the part
// without cutting it only where cutting it agrees.
TEST(RoundTrip, ClosedPartsCutWithoutBeingCut)
{
    static const char *const pieces[] = {"(", ")", "(defrule", "(or", "(not", "=>", "; c", "\"q;(\"", " ", "\n",
                                         "\r\n", "#else", "(defconst", "(load \"a\"", "mot", "(a b)",
                                         "(defrule (a) (defrule (b)))", "(defrule (a) #else (b))"};
    std::mt19937 rng(11);
    int taken = 0;
    for (int round = 0; round < 1500; ++round) {
        QByteArray bytes;
        for (int i = int(rng() % 40); i > 0; --i)
            bytes += pieces[rng() % std::size(pieces)];
        FormCutter cutter(bytes, 0);
        FormCutter::Form f;
        while (cutter.next(f)) {
            const QString original = QString::fromLatin1(bytes.sliced(f.begin, f.end - f.begin));
            std::vector<QStringView> lines;
            FileServices::splitLines(original, lines);
            std::vector<ScriptLine> rows;
            std::vector<RowSpan> spans;
            readFormRows(rows, lines, 0, 1, &spans);
            QString text;
            appendFormLayout(text, rows, spans, original, u"\n");
            const QByteArray written = text.toLatin1();
            if (!sameContent(original, text) || !FormCutter::cutsClosed(f, written))
                continue;
            ++taken;
            FormCutter again(written, 0);
            FormCutter::Form w;
            ASSERT_TRUE(again.next(w));
            EXPECT_EQ(w.top, f.top) << bytes.toStdString();
            for (bool more = true; more; more = again.next(w))
                EXPECT_FALSE(w.open) << bytes.toStdString() << "\n--\n" << written.toStdString();
        }
    }
    EXPECT_GT(taken, 500);
}

TEST(RoundTrip, FormattingIsStableOnOddText)
{
    // inputs that once formatted differently the second time
    for (const QByteArray &bytes : {QByteArray("(\"\n)x"), QByteArray("\0(\n\n", 4), QByteArray("(a \"b\n c)\n"),
                                   QByteArray("(load-random \"5\" \"25%\" 35 \"b c\" \"\")\n"),
                                   QByteArray("\xD8(a\n(b)\n(c))\n") /* a line starting with a byte above 127 */,
                                   // a mark before text that stops being UTF-8 only in a part formatting drops
                                   QByteArray("\xEF\xBB\xBF  ;\xC3\xA9\n#load-if-defined A \xD1\n"),
                                   // "=>" in a group outside any rule
                                   QByteArray("(and (a)\n=>\nmot\n(and (b) (c))\n"),
                                   // a group keyword on the line after its "("
                                   QByteArray("(defrule\n(\n; pourquoi\n nor (a) (b))\n=>\n(c))\n"),
                                   // a random load whose "percentage" is not a number
                                   QByteArray("(load-random dire \"(\" ) \"ok(def)\")\n"),
                                   // a UTF-8 file with U+FEFF starting a line other than the first
                                   QByteArray("(a \"\xC3\xA9\")\n\xEF\xBB\xBFmot\n"),
                                   // an element left open with a comment, up to a last line of blanks
                                   QByteArray("(rd ; v\n\t"), QByteArray("(rd ; v\n\n\n"),
                                   // a rule left open whose layout put a "#" at the start of a line
                                   // (cutting the rule there) and a load with one name too many
                                   QByteArray("(defrule\n(vrai)\n=>#x\n(load \"a\" \"b\")\n"),
                                   QByteArray("(load \"a\" \"b\")\n(defrule (a) => (b)) =>\n"),
                                   // a first line whose layout starts with the bytes of a byte-order mark
                                   QByteArray(" \xEF\xBB\xBF;; \xBF\n"),
                                   // a U+FEFF right after the mark: text, not a second mark
                                   QByteArray("\xEF\xBB\xBF\xEF\xBB\xBF")}) {
        const QByteArray once = format(bytes);
        EXPECT_EQ(format(once), once) << bytes.toStdString();
        // what the layout would change stays as it was
        EXPECT_TRUE(sameContent(decodeScript(bytes).text, decodeScript(once).text)) << bytes.toStdString();
        const ReadResult r = readScriptBytes(bytes);
        EXPECT_EQ(resave(r), bytes);
        EXPECT_EQ(resave(r, true), once) << bytes.toStdString();
    }
}

TEST(RoundTrip, TheFormatterHandsOnLargeOutputInChunks)
{
    QByteArray bytes;
    for (int i = 0; i < 4000; ++i)
        bytes += "(defrule\r\n\t(stock ble > " + QByteArray::number(i) + ")\t; assez\r\n=>\r\n\t(dire \"ok\"))\r\n\r\n";
    bytes.chop(4); // no final line end
    int chunks = 0;
    QByteArray out;
    QString error;
    EXPECT_TRUE(formatScriptBytes(bytes, [&](QByteArrayView chunk) { return ++chunks, out += chunk, true; }, error));
    EXPECT_GT(chunks, 1);
    EXPECT_EQ(out, resave(readScriptBytes(bytes), true));
    EXPECT_FALSE(out.endsWith("\r\n"));
    // a write that fails stops it
    EXPECT_FALSE(formatScriptBytes(bytes, [](QByteArrayView) { return false; }, error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(RoundTrip, TheEditorsRowsReadBackAsBefore)
{
    const QStringList params = {"ble", "\"Au moulin ; vite\""};
    const auto rows = R({{K::Prep, LineText::conditional(0, "CARTE-ILES (une carte d'îles)")},
                         {K::Const, LineText::constant("seuil", "-12.5")},
                         {K::CommN, "un commentaire ; avec point-virgule"},
                         {K::FactB, "Début de règle"},
                         {K::Fact, LineText::entryLine(true, "stock", params)},
                         {K::FactAB, "Et"},
                         {K::Fact, LineText::entryLine(false, "saison", params.mid(0, 1))},
                         {K::FactAE, "Fin de et"},
                         {K::FactNB, "Ni"},
                         {K::Fact, LineText::entryLine(false, "vrai", {})},
                         {K::FactNE, "Fin de ni"},
                         {K::Act, LineText::entryLine(false, "dire", params)},
                         {K::CommE, LineText::endComment("pourquoi")},
                         {K::FactE, "Fin de règle"},
                         {K::Load, "suite"},
                         {K::RLoad, LineText::randomLoad(std::vector<LineText::Possibility>{{"a", "20"}, {"b", ""}})},
                         {K::BL, LineText::blank(true)},
                         {K::Prep, LineText::conditional(3, "")}});
    // the same rows, but for the reader's own texts of a rule start, an
    // and-not group and a random load without percentage
    QStringList expected = show(rows);
    expected[3] = "FactB|Début de fait";
    expected[5] = "FactAB|Et pas";
    expected[7] = "FactAE|Fin de et pas";
    expected[15] = "RLoad|a 20% b ";
    EXPECT_EQ(read(BuildScriptText(rows)), expected);
}

TEST(FileServices, EveryByteRoundTripsLinesSplitAndPathsName)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString ours = FileServices::decode1252(all);
    QStringDecoder icu("windows-1252");
    ASSERT_TRUE(icu.isValid());
    EXPECT_EQ(ours, QString(icu.decode(all)));
    EXPECT_EQ(FileServices::encode1252(ours), all);
    EXPECT_EQ(FileServices::firstUnencodable(ours), -1);
    EXPECT_EQ(FileServices::firstUnencodable(u"ab€c\u0100"), 4);

    for (const auto &[text, lines] : {std::pair<const char *, const char *>{"a\r\nb\nc\rd", "a|b|c|d"},
                                      {"a\r\n", "a"}, {"\r\n\r\n", "|"}, {"", ""}}) {
        QStringList out;
        const QString whole(text);
        for (QStringView l : FileServices::splitLines(whole))
            out << l.toString();
        EXPECT_EQ(out.join('|'), lines) << text;
        EXPECT_EQ(out.size(), QByteArray(lines).count('|') + (*text != 0)) << text;
    }

    // Blocks of ASCII are converted at once: a character of another kind,
    // or a line end, at any place in or across them is still seen.
    const QString scalarDecoded = QString(icu.decode(QByteArray(40, 'a')));
    for (int at = 0; at < 40; ++at) {
        QByteArray bytes(40, 'a');
        bytes[at] = '\x80'; // the euro sign
        QString expected = scalarDecoded;
        expected[at] = QChar(0x20AC);
        EXPECT_EQ(FileServices::decode1252(bytes), expected) << at;
        EXPECT_EQ(FileServices::encode1252(expected), bytes) << at;
        QString refused = expected;
        refused[at] = QChar(0x0100);
        QByteArray out("début");
        EXPECT_FALSE(FileServices::appendEncoded1252(refused, out)) << at;
        EXPECT_EQ(out, "début") << at;
        EXPECT_TRUE(FileServices::appendEncoded1252(expected, out)) << at;
        EXPECT_EQ(out, "début" + bytes) << at;

        for (const char *end : {"\n", "\r", "\r\n"}) {
            QString text(40, 'x');
            text.replace(at, 1, QLatin1String(end));
            const std::vector<QStringView> lines = FileServices::splitLines(text);
            ASSERT_EQ(lines.size(), at == 39 ? 1u : 2u) << at << end;
            EXPECT_EQ(lines[0].size(), at) << at << end;
            EXPECT_EQ(lines[0].size() + qsizetype(strlen(end)) + (lines.size() > 1 ? lines[1].size() : 0), text.size())
                << at << end;
        }
    }

    using namespace FileServices;
    const std::pair<QString, const char *> paths[] = {
        {GetFileName("C:\\jeux\\ia\\base.per"), "base.per"},
        {GetFileName("/home/x/base.per"), "base.per"},
        {GetExtensionName("a\\b.c\\nom"), ""},
        {GetExtensionName("a/nom.v2.per"), "per"},
        {GetParentFolderName("C:\\Jeux\\Kelvarra\\desinstaller.exe"), "C:\\Jeux\\Kelvarra"},
        {baseName("/x/nom.v2.per"), "nom.v2"},
        {companionFileName("/x/ia.per"), "/x/ia.ai"},
        {companionFileName("/x/ia.v2.per"), "/x/ia.v2.ai"},
        {companionFileName("/x.d/ia"), "/x.d/ia.ai"},
    };
    for (const auto &[got, expected] : paths)
        EXPECT_EQ(got, expected);
}

TEST(Files, CompanionIsCreatedOnlyWhenMissingSavesAreAtomicAndFailuresNamedInFrench)
{
    QTemporaryDir dir;
    const QString ai = dir.filePath("ia.ai");
    QString error;
    EXPECT_TRUE(ensureCompanionFile(ai, error));
    EXPECT_TRUE(QFile::exists(ai));
    TestSupport::writeFile(ai, "garde");
    EXPECT_TRUE(ensureCompanionFile(ai, error));
    EXPECT_EQ(QFile(ai).size(), 5);
    const QString per = dir.filePath("ia.per");
    EXPECT_TRUE(FileServices::saveFile(per, "une longue version", error));
    EXPECT_TRUE(FileServices::saveFile(per, "court", error));
    QString text;
    EXPECT_TRUE(FileServices::readTextFile(per, text, error));
    EXPECT_EQ(text, "court");
    ReadResult absent;
    EXPECT_FALSE(ReadScriptFile(dir.filePath("absent.per"), absent, error));
    EXPECT_EQ(error,
              QString("Impossible d'ouvrir le fichier \"%1\": fichier ou dossier introuvable").arg(dir.filePath("absent.per")));
    const QString folder = dir.filePath("dossier.per");
    ASSERT_TRUE(QDir().mkdir(folder));
    QString overFolder;
    EXPECT_FALSE(FileServices::saveFile(folder, "x", overFolder));
    EXPECT_TRUE(overFolder.contains("dossier.per") && !overFolder.contains("Unknown")) << overFolder.toStdString();

    // the system's text, or its code when the text says nothing
    const std::tuple<int, const char *> reasons[] = {
        {EACCES, "permission refusée"}, {ENOSPC, "plus de place sur le disque"},
        {EROFS, "le système de fichiers est en lecture seule"}, {ENOENT, "fichier ou dossier introuvable"},
        {EISDIR, "c'est un dossier"}, {EFBIG, "le fichier est trop gros"}, {EDQUOT, "quota de disque dépassé"},
    };
    for (const auto &[code, french] : reasons) {
        EXPECT_EQ(FileServices::reasonInFrench(QString::fromLocal8Bit(std::strerror(code)), 0), QString::fromUtf8(french));
        EXPECT_EQ(FileServices::reasonInFrench("Unknown error", code), QString::fromUtf8(french));
    }
    EXPECT_EQ(FileServices::reasonInFrench("Unknown error", 0), "erreur inconnue du système");
}

TEST(Files, AFullDiskIsNamedAndTheOldFileKept)
{
    // a small file system of its own, where this machine allows it
    QTemporaryDir dir;
    if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", dir.path()}) != 0)
        GTEST_SKIP() << "no small file system can be mounted here";
    const QString path = dir.filePath("ia.per");
    QString error;
    EXPECT_TRUE(FileServices::saveFile(path, "ancien", error));
    EXPECT_FALSE(FileServices::saveFile(path, QByteArray(200 * 1024, 'x'), error));
    EXPECT_EQ(error, QString("Impossible d'écrire le fichier \"%1\": plus de place sur le disque").arg(path));
    QString text;
    EXPECT_TRUE(FileServices::readTextFile(path, text, error));
    EXPECT_EQ(text, "ancien");
    QProcess::execute("umount", {dir.path()});
}
