// The block structure of the rows: depths and diagnostics of small lists,
// then through the window: marked rows and the options of "Affichage".
#include "document/blocks.h"
#include "document/scriptdocument.h"
#include "document/rowdelegate.h"
#include "files/filetests.h"

#include <QHeaderView>
#include <QImage>
#include <QMenu>

using namespace TestSupport;

namespace {
// "Kind|text" rows, as TestSupport::rows shows them.
std::vector<ScriptLine> parse(const QStringList &rows)
{
    std::vector<ScriptLine> lines;
    for (const QString &r : rows)
        lines.push_back({r.section('|', 1), 0, kindFromTag(r.section('|', 0, 0))});
    return lines;
}
} // namespace

TEST(Blocks, DepthsAndDiagnosticsOfSmallLists)
{
    // what, the rows, their depths and the diagnostics found ("row: text")
    const std::tuple<const char *, QStringList, std::vector<int>, QStringList> cases[] = {
        {"balanced blocks, conditional around a rule",
         {"Prép|Si A", "FactB|Début de fait", "FactOB|Ou", "Fact|x 1", "Comm N|note", "FactOE|Fin de ou", "Act|y",
          "FactE|Fin de règle", "Prép|Sinon", "Load|z", "Prép|Fin de si", "BL| "},
         {0, 1, 2, 3, 3, 2, 2, 1, 0, 1, 0, 0},
         {}},
        {"groups left open when their rule ends; a rule left open when the next one starts",
         {"FactB|Début de règle", "FactTB|Tous", "Fact|x", "Act|y", "FactE|Fin de règle", "FactB|Début de règle",
          "Fact|x", "FactB|Début de règle", "FactAB|Et"},
         {0, 1, 2, 2, 0, 0, 1, 0, 1},
         {"2: Groupe « Tous » non fermé (il manque « Fin de tous »)",
          "6: Règle non fermée (il manque « Fin de règle »)", "8: Règle non fermée (il manque « Fin de règle »)",
          "9: Groupe « Et pas » non fermé (il manque « Fin de et pas »)"}},
        {"a group end closes its own group, leaving the one inside open",
         {"FactB|Début de règle", "FactOB|Ou", "FactNB|Ni", "Fact|x", "FactOE|Fin de ou", "FactE|Fin de règle"},
         {0, 1, 2, 3, 1, 0},
         {"3: Groupe « Ni » non fermé (il manque « Fin de ni »)"}},
        {"ends without their openings",
         {"FactB|Début de règle", "FactOE|Fin de ou", "Act|y", "FactE|Fin de règle", "FactE|Fin de règle",
          "Prép|Sinon", "Prép|Fin de si", "FactNE|Fin de ni"},
         {0, 1, 1, 0, 0, 0, 0, 0},
         {"2: « Fin de ou » sans son « Ou »", "5: « Fin de règle » sans début de règle", "6: « Sinon » sans son « Si »",
          "7: « Fin de si » sans son « Si »", "8: « Fin de ni » sans son « Ni »"}},
        {"conditional blocks nest, need their end and may cross a rule's rows; text and comments do not count",
         {"Prép|Si inverse A", "Prép|Si B", "Texte|(defrule", "Comm E||-- x", "FactB|Début de règle", "Prép|Fin de si",
          "Fact|x", "FactE|Fin de règle"},
         {0, 1, 2, 2, 2, 2, 2, 1},
         {"1: Bloc « Si » non fermé (il manque « Fin de si »)"}},
    };
    for (const auto &[what, rows, depths, expected] : cases) {
        SCOPED_TRACE(what);
        const Blocks::Structure s = Blocks::analyse(parse(rows));
        EXPECT_EQ(std::vector<int>(s.depth.begin(), s.depth.end()), depths);
        QStringList found;
        for (const Blocks::Diagnostic &d : s.diagnostics) {
            found << QStringLiteral("%1: %2").arg(d.row).arg(Blocks::describe(d));
            EXPECT_EQ(s.diagnosticAt(d.row), &d);
        }
        EXPECT_EQ(found, expected);
    }
}

namespace {
// The view's pixels of one row.
QImage rowImage(PlugFrm &f, int pos)
{
    QApplication::processEvents();
    const QRect r = f.ListView1->visualRect(f.ListView1->rows().index(pos - 1));
    return f.ListView1->viewport()->grab(r).toImage();
}
// Where the first pixel unlike the row's background is, -1 when none is.
int inkStart(const QImage &row)
{
    const QRgb background = row.pixel(row.width() - 1, row.height() / 2);
    for (int x = 0; x < row.width(); ++x)
        for (int y = 0; y < row.height(); ++y)
            if (row.pixel(x, y) != background)
                return x;
    return -1;
}
} // namespace

// (The question before saving broken blocks is the file commands' tests'.)
TEST(Blocks, BrokenBlocksAreMarkedUntilMendedAndTheViewOptionsIndentRowsMarkBlanksAndAreKept)
{
    PlugFrm &f = openEditor();
    ASSERT_EQ(f.ViewMnu->actions().mid(0, 3), (QList<QAction *>{f.IndentRows, f.MarkBlankRows, f.LineNumbers}));
    EXPECT_EQ(f.ViewMnu->actions().last(), f.ShowProblems);
    for (const ScriptLine &l : parse({"FactB|Début de règle", "FactOB|Ou", "Fact|x 1", "Act|y", "FactE|Fin de règle"}))
        f.insertRow(0, l.text, l.colour, l.kind);
    const QImage marked = rowImage(f, 2);
    EXPECT_EQ(FileTests::tooltip(f, 2), "Groupe « Ou » non fermé (il manque « Fin de ou »)");
    f.insertRow(4, RowText::OrEnd, Colours::Rule, LineKind::FactOE);
    EXPECT_NE(rowImage(f, 2), marked);
    EXPECT_EQ(FileTests::tooltip(f, 2), "");

    // "Affichage": the rows indented by their depth, the blank ones marked
    f.insertRow(0, "", Colours::Blank, LineKind::BL);

    int flat[8];
    for (int pos = 1; pos <= 7; ++pos)
        flat[pos] = inkStart(rowImage(f, pos));
    EXPECT_EQ(flat[7], -1); // a blank row shows nothing
    f.ViewMnu->popup({0, 0});
    QTest::keyClick(f.ViewMnu, Qt::Key_Down);
    QTest::keyClick(f.ViewMnu, Qt::Key_Return);
    ASSERT_TRUE(f.IndentRows->isChecked());
    const int step = RowDelegate::indentStep(f.ListView1->fontMetrics());
    const int depths[] = {0, 1, 2, 1, 1, 0};
    for (int pos = 2; pos <= 6; ++pos) // (the first row holds the focus)
        EXPECT_EQ(inkStart(rowImage(f, pos)), flat[pos] + depths[pos - 1] * step) << pos;
    f.MarkBlankRows->trigger();
    EXPECT_NE(inkStart(rowImage(f, 7)), -1);

    // the line numbers show by default; off, their margin goes
    ASSERT_TRUE(f.LineNumbers->isChecked());
    EXPECT_FALSE(f.ListView1->verticalHeader()->isHidden());
    f.LineNumbers->trigger();
    EXPECT_TRUE(f.ListView1->verticalHeader()->isHidden());

    // kept: a new window opens with these options
    f.document().setModified(false);
    PlugFrm::unload();
    QApplication::processEvents();
    PlugFrm &again = openEditor();
    EXPECT_TRUE(again.IndentRows->isChecked() && again.MarkBlankRows->isChecked());
    EXPECT_TRUE(!again.LineNumbers->isChecked() && again.ListView1->verticalHeader()->isHidden());
}
