#include "document/findbar.h"
#include "document/gotolinefrm.h"
#include "document/plugfrm.h"
#include "document/scriptdocument.h"
#include "document/rowsearch.h"
#include "document/scriptlistview.h"
#include "files/saveopen.h"
#include "testsupport.h"

#include <QToolButton>

using namespace TestSupport;

namespace {
const QStringList Texts = {"Mur de pierre", "tour", "lever-troupes piquier 3", "porte du MUR", "mur d'enceinte",
                           "tour de guet"};

QList<int> highlightedRows(PlugFrm &f)
{
    QList<int> out;
    const ScriptModel &m = f.ListView1->rows();
    for (int pos = 1; pos <= m.count(); ++pos)
        if (drawnAs(f, pos).backgroundBrush.style() != Qt::NoBrush)
            out << pos;
    return out;
}

using GoToLine = EditorTest;
} // namespace

TEST(RowSearch, WrapsRoundEitherEndAndLooksAtTheStartRowLast)
{
    std::vector<ScriptLine> rows;
    for (const QString &t : Texts)
        rows.push_back({t});
    using D = RowSearch::Direction;
    // the text, its case, the start row, the direction; the row found and whether round an end
    const std::tuple<const char *, Qt::CaseSensitivity, int, D, int, bool> cases[] = {
        {"mur", Qt::CaseInsensitive, 1, D::Forward, 1, false},  // the start row itself
        {"mur", Qt::CaseInsensitive, 2, D::Forward, 4, false},
        {"mur", Qt::CaseSensitive, 2, D::Forward, 5, false},
        {"mur", Qt::CaseSensitive, 6, D::Forward, 5, true},
        {"mur", Qt::CaseSensitive, 7, D::Forward, 5, true},    // past the end: from the top
        {"mur", Qt::CaseSensitive, 5, D::Backward, 5, false},
        {"mur", Qt::CaseSensitive, 4, D::Backward, 5, true},
        {"tour", Qt::CaseSensitive, 0, D::Backward, 6, true},  // before the start: from the bottom
        {"Mur", Qt::CaseSensitive, 2, D::Forward, 1, true},    // the only match, reached round the end
        {"bastion", Qt::CaseInsensitive, 3, D::Forward, 0, false},
        {"", Qt::CaseInsensitive, 1, D::Forward, 0, false},
    };
    for (const auto &[text, cs, start, direction, pos, wrapped] : cases) {
        const RowSearch::Hit hit = RowSearch::find(rows, text, cs, start, direction);
        EXPECT_EQ(std::pair(hit.pos, hit.wrapped), std::pair(pos, wrapped)) << text << " from " << start;
    }
    EXPECT_EQ(RowSearch::find({}, "mur", Qt::CaseInsensitive, 1, D::Forward).pos, 0);
}

// A row is found by its label and by its text as written in the file.
TEST(RowSearch, FindsTheTextAsWrittenInTheFile)
{
    const std::vector<ScriptLine> rows = SaveOpen::readScriptText(
        u"(defconst garde 5) ; Mur\n#load-if-defined CARTE\n(load \"murs\")\n#end-if\n(load-random 20 \"a\" \"b\")\n"
        u"(defrule\n(or (not (tour-prise)) (mur 1))\n=>\n(bâtir-mur-haut))\n");
    const auto all = [&rows](const QString &text) {
        QStringList kinds;
        QString buffer;
        const RowSearch::Matcher m(text, Qt::CaseInsensitive);
        for (const ScriptLine &l : rows)
            if (m.matchesRow(l, buffer))
                kinds << kindTag(l.kind);
        return kinds.join(' ');
    };
    const std::pair<const char *, const char *> cases[] = { // a text, the kinds of the rows it finds
        {"defconst", "Const"},          {"defrule", "FactB"},  {"load-if-defined", "Prép"},
        {"load-random", "RLoad"},       {"(not", "Fact"},      {"(or", "FactOB"},
        {"Constante: garde", "Const"},  {"Si CARTE", "Prép"}, // the labels still
        {"20 \"a\"", "RLoad"},          {"(load \"", "Load"},  {";", "Comm E"},
        {"mur", "Comm E Load Fact Act"}, {"#end-if", "Prép"}, {"(bâtir", "Act"}, {"haut)", "Act"},
    };
    for (const auto &[text, kinds] : cases)
        EXPECT_EQ(all(QString::fromUtf8(text)), kinds) << text;
    // the step finds what the highlight marks
    EXPECT_EQ(RowSearch::find(rows, "defrule", Qt::CaseSensitive, 1, RowSearch::Direction::Forward).pos, 7);
}

// The case-blind search folds the rows its own way: checked against
// QString::contains on every short text of a small alphabet with capitals,
// accented letters and a sign that folds to an ASCII letter.
TEST(RowSearch, MatcherAgreesWithQtOnShortTexts)
{
    const QString alphabet = QString::fromUtf8("aAkéÉ\u212A");
    QStringList texts = {""};
    for (int len = 1; len <= 5; ++len)
        for (const QString &t : QStringList(texts))
            if (t.size() == len - 1)
                for (QChar c : alphabet)
                    texts << t + c;
    int checked = 0;
    for (const QString &needle : texts) {
        if (needle.isEmpty() || needle.size() > 3)
            continue;
        for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
            const RowSearch::Matcher m(needle, cs);
            for (const QString &row : texts) {
                ASSERT_EQ(m.matches(row), row.contains(needle, cs)) << needle.toStdString() << " in " << row.toStdString() << " cs " << int(cs);
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 100000);
}

TEST(FindBar, TypingStepsWrapsHighlightsAndMindsTheCaseUntilEscapeInTheWindowsWidth)
{
    PlugFrm &f = openEditor();
    for (const QString &t : Texts)
        f.insertRow(0, t, qRgb(0, 0, 0), LineKind::Act);
    activate(&f);
    FindBar *bar = f.FindBar1;
    EXPECT_TRUE(bar->isHidden());
    clickRow(f, 2);
    press(&f, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    ASSERT_EQ(QApplication::focusWidget(), bar->Text1);

    // typing searches from the selected row, without regard to case
    QTest::keyClicks(QApplication::focusWidget(), "mu");
    EXPECT_EQ(f.ListView1->selectedPosition(), 4);
    EXPECT_EQ(highlightedRows(f), (QList<int>{1, 4, 5}));
    QTest::keyClicks(QApplication::focusWidget(), "r d"); // row 4 no longer matches
    EXPECT_EQ(f.ListView1->selectedPosition(), 5);
    EXPECT_EQ(highlightedRows(f), (QList<int>{1, 5}));

    // Entrée and F3 go on, round the end; Maj+Entrée and Maj+F3 go back,
    // round the start
    const std::tuple<Qt::Key, Qt::KeyboardModifiers, int, const char *> steps[] = {
        {Qt::Key_Return, {}, 1, "Recherche reprise au début"}, {Qt::Key_F3, {}, 5, ""},
        {Qt::Key_Return, Qt::ShiftModifier, 1, ""}, {Qt::Key_F3, Qt::ShiftModifier, 5, "Recherche reprise à la fin"}};
    for (const auto &[key, modifiers, row, said] : steps) {
        press(&f, key, modifiers);
        EXPECT_EQ(f.ListView1->selectedPosition(), row);
        EXPECT_EQ(bar->Label2->text(), QString::fromUtf8(said));
    }

    // Echap closes the bar, drops the highlight and gives the list the focus
    press(&f, Qt::Key_Escape);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_TRUE(highlightedRows(f).isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), f.ListView1);

    // F3 with the bar closed finds on with the same text, and shows the bar
    press(&f, Qt::Key_F3);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(f.ListView1->selectedPosition(), 1);
    EXPECT_EQ(highlightedRows(f), (QList<int>{1, 5}));
    // and Ctrl+F again selects the text to type a new one
    press(&f, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(bar->Text1->selectedText(), "mur d");

    // the case option: only the capitals now, found alone round the end
    QTest::keyClicks(bar->Text1, "MUR");
    tick(bar->Check1);
    EXPECT_EQ(f.ListView1->selectedPosition(), 4);
    EXPECT_EQ(highlightedRows(f), QList<int>{4});
    press(&f, Qt::Key_F3);
    EXPECT_EQ(f.ListView1->selectedPosition(), 4);

    // nothing found: said in the bar, no message box, the selection stays
    QTest::keyClicks(bar->Text1, "X");
    EXPECT_EQ(bar->Label2->text(), "Texte introuvable");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    press(&f, Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(f.ListView1->selectedPosition(), 4);
    EXPECT_TRUE(highlightedRows(f).isEmpty());
    // the close button does what Echap does
    QTest::mouseClick(bar->Command3, Qt::LeftButton);
    EXPECT_TRUE(bar->isHidden());
    EXPECT_TRUE(bar->Label2->text().isEmpty());

    // the outcome never widens the window nor squeezes the text to find
    // below 20 characters
    f.resize(760, f.height());
    QApplication::processEvents();
    const int width = f.width();
    const int twenty = QFontMetrics(bar->Text1->font()).horizontalAdvance(QString(20, QLatin1Char('x')));
    clickRow(f, 1);
    press(&f, Qt::Key_F, Qt::ControlModifier);
    for (const char *typed : {"guet", "bastion"}) { // round the end, then nowhere
        bar->Text1->clear();
        QTest::keyClicks(bar->Text1, typed);
        press(&f, Qt::Key_F3);
        QApplication::processEvents();
        EXPECT_FALSE(bar->Label2->text().isEmpty()) << typed;
        EXPECT_EQ(f.width(), width) << typed;
        EXPECT_GE(bar->Text1->width(), twenty) << typed;
    }
}

// "Aller à la ligne" goes by the file's lines, as the list shows them (the
// rows' lines are the document's tests).
TEST_F(GoToLine, AsksForAFileLineAndSelectsItsRow)
{
    PlugFrm &f = open("; a\r\n(defconst a 1) ; b\r\n(defrule\r\n(x 1)\r\n=>\r\n(dire\r\n  \"long\")\r\n)\r\n");
    activate(&f);
    clickRow(f, 3); // the end-of-line comment of line 2
    answerDialog<GoToLineFrm>([](GoToLineFrm &d) {
        EXPECT_EQ(d.Label1->text(), "Numéro de ligne (de 1 à 8) :");
        // the row's line, ready to be typed over
        EXPECT_TRUE(QTest::qWaitFor([&d] { return QApplication::focusWidget() == d.Text1; }));
        EXPECT_EQ(d.Text1->selectedText(), "2");
        for (const char *typed : {"9", "0", "-1", "deux", ""}) {
            d.Text1->setText(typed);
            EXPECT_EQ(messageDuring([&d] { QTest::keyClick(d.Text1, Qt::Key_Return); }),
                      "Le numéro de ligne doit être un nombre entier de 1 à 8.") << typed;
        }
        d.Text1->selectAll();
        QTest::keyClicks(d.Text1, "7");
        QTest::keyClick(d.Text1, Qt::Key_Return);
    });
    press(&f, Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(f.ListView1->selectedPosition(), 6); // line 7 is inside the action begun on line 6
    EXPECT_EQ(f.focusWidget(), f.ListView1); // once the window is active again

    // from the menu, with OK; cancelled, the selection stays
    for (QPushButton *GoToLineFrm::*button : {&GoToLineFrm::Command1, &GoToLineFrm::Command2}) {
        trigger(f.GoToLine, [button](GoToLineFrm &d) {
            d.Text1->setText("8");
            QTest::mouseClick(d.*button, Qt::LeftButton);
        });
        EXPECT_EQ(f.ListView1->selectedPosition(), 7);
    }
}
