#include "document/linebuilders.h"
#include "document/scriptmodel.h"

#include <QColor>

#include <gtest/gtest.h>

using LineText::Param;

TEST(LineText, ConditionalCutsTheSymbolBeforeItsDescription)
{
    // cut at "(", then one trailing blank removed
    EXPECT_EQ(LineText::conditional(0, "CARTE-ILES (archipel)"), "Si CARTE-ILES");
    EXPECT_EQ(LineText::conditional(1, "CARTE-ILES (archipel)"), "Si inverse CARTE-ILES");
    // two blanks before "(": only one goes
    EXPECT_EQ(LineText::conditional(0, "EPOQUE-FER  (fer)"), "Si EPOQUE-FER ");
    EXPECT_EQ(LineText::conditional(0, "SANS-DESCRIPTION"), "Si SANS-DESCRIPTION");
    EXPECT_EQ(LineText::conditional(0, ""), "Si ");
    // "Sinon" and "Fin de si" ignore the symbol
    EXPECT_EQ(LineText::conditional(2, "X (y)"), "Sinon");
    EXPECT_EQ(LineText::conditional(3, "X (y)"), "Fin de si");
}

TEST(LineText, ConstantKeepsItsFieldsUntrimmed)
{
    EXPECT_EQ(LineText::constant("taille-armee", "12"), "Constante: taille-armee = 12");
    EXPECT_EQ(LineText::constant("vide", ""), "Constante: vide = ");
    EXPECT_EQ(LineText::constant("", " 1.5 "), "Constante:  =  1.5 ");
}

TEST(LineText, ActionTakesValuePartsOfListsAndTypedTextWhole)
{
    const Param p[3] = {{1, "3 (trois chevaliers)", {}}, {2, {}, "deux mots"}, {0, "x", "y"}};
    EXPECT_EQ(LineText::action("lever-troupes <nombre> <texte>", p), "lever-troupes 3 deux mots");
    // a typed value keeps its " (" as typed
    const Param typed[1] = {{2, {}, "salut (ami)"}};
    EXPECT_EQ(LineText::action("dire <texte>", typed), "dire salut (ami)");
}

TEST(LineText, ActionWithoutPlaceholderIsItsNameWithoutDescription)
{
    // stale kinds of an earlier use are not read; the description is not
    // part of the script: "(sonner-cloche (appel aux armes))" would not read back
    const Param stale[3] = {{1, "9", {}}, {2, {}, "z"}, {1, "8", {}}};
    EXPECT_EQ(LineText::action("sonner-cloche (appel aux armes)", stale), "sonner-cloche");
    EXPECT_EQ(LineText::action("abandonner", stale), "abandonner");
}

TEST(LineText, NameTouchingThePlaceholderLosesItsLastCharacter)
{
    const Param p[1] = {{1, "5", {}}};
    EXPECT_EQ(LineText::action("recolter<nombre>", p), "recolte 5");
    EXPECT_EQ(LineText::action("<nombre>", p), " 5");
}

TEST(LineText, FactBuildsNegationNameAndValues)
{
    const Param p[4] = {{1, "ble (céréale)", {}}, {0, {}, {}}, {2, {}, "\"a b\""}, {1, "7", {}}};
    EXPECT_EQ(LineText::fact(true, "stock <ressource> <x> <texte> <n>", p),
              "Inverse de stock ble \"a b\" 7");
    EXPECT_EQ(LineText::fact(false, "paix-durable (aucune guerre)", {}), "paix-durable");
    EXPECT_EQ(LineText::fact(true, "vrai", {}), "Inverse de vrai");
}

TEST(Placement, AppendGoesLastInsertGoesAtTheSelection)
{
    EXPECT_EQ(Placement::target(true, 0, 0), 1);
    EXPECT_EQ(Placement::target(true, 2, 5), 6);
    EXPECT_EQ(Placement::target(false, 2, 5), 2);
    EXPECT_EQ(Placement::target(false, 0, 5), 0);
}

TEST(Placement, CommentChoices)
{
    using C = Placement::CommentChoice;
    auto r = Placement::comment(C::AfterSelected, "note", 2, 5);
    EXPECT_EQ(r.pos, 3);
    EXPECT_EQ(r.text, "note");
    EXPECT_EQ(r.kind, LineKind::CommN);
    // after the last row: the same place as the end of the list
    EXPECT_EQ(Placement::comment(C::AfterSelected, "n", 5, 5).pos, 6);
    EXPECT_EQ(Placement::comment(C::EndOfList, "n", 0, 5).pos, 6);
    r = Placement::comment(C::EndOfSelected, "fin", 1, 5);
    EXPECT_EQ(r.pos, 2);
    EXPECT_EQ(r.text, "|-- fin");
    EXPECT_EQ(r.kind, LineKind::CommE);
    EXPECT_EQ(Placement::comment(C::EndOfSelected, "fin", 0, 5).pos, 0);
}

TEST(LineKinds, TagsAreExact)
{
    EXPECT_EQ(kindTag(LineKind::Prep), QStringLiteral("Prép"));
    EXPECT_EQ(kindTag(LineKind::CommN), "Comm N");
    for (int i = 0; i < int(LineKind::Unknown); ++i)
        EXPECT_EQ(int(kindFromTag(kindTag(LineKind(i)))), i);
    EXPECT_EQ(kindFromTag(u"Prep"), LineKind::Unknown);
    EXPECT_EQ(kindFromTag(u"fact"), LineKind::Unknown);
}

TEST(ScriptModel, RowOperationsAreOneBased)
{
    ScriptModel m;
    EXPECT_EQ(m.addRow("b"), 1);
    EXPECT_EQ(m.addRow("c"), 2);
    EXPECT_EQ(m.addRow("a", 1), 1);
    EXPECT_EQ(m.text(1), "a");
    EXPECT_EQ(m.text(3), "c");
    m.setKind(2, LineKind::Act);
    m.setColour(2, qRgb(1, 2, 3));
    m.setText(2, "B");
    EXPECT_EQ(m.kind(2), LineKind::Act);
    EXPECT_EQ(m.data(m.index(1), Qt::DisplayRole).toString(), "B");
    EXPECT_EQ(m.data(m.index(1), Qt::ForegroundRole).value<QColor>(), QColor(1, 2, 3));
    m.removeRow(1);
    EXPECT_EQ(m.count(), 2);
    EXPECT_EQ(m.text(1), "B");
    // positions that are not rows change nothing and read as an empty row
    for (int pos : {0, -1, 3, 1 << 30}) {
        m.removeRow(pos);
        m.setText(pos, "x");
        m.setKind(pos, LineKind::Act);
        m.setColour(pos, qRgb(9, 9, 9));
        EXPECT_EQ(m.text(pos), "");
        EXPECT_EQ(m.kind(pos), LineKind::Unknown);
    }
    EXPECT_EQ(m.count(), 2);
    EXPECT_EQ(m.text(1), "B");
    m.clear();
    EXPECT_EQ(m.count(), 0);
}

TEST(ConstantValue, NumbersAsUsersTypeThemAndTheRangeOfTheLeadingNumber)
{
    using namespace ConstantValue;
    for (const char *yes : {"0", "-5", "+7", " 12.50 ", "\t3", ".5", "5.", "1e3", "-2.5E-2", "32768"})
        EXPECT_TRUE(isNumeric(yes, QLatin1Char('.'))) << yes;
    for (const char *no : {"", " ", "abc", "1,5", "1.2.3", "e5", "5e", "--1", "1 2", "0x10"})
        EXPECT_FALSE(isNumeric(no, QLatin1Char('.'))) << no;
    EXPECT_TRUE(isNumeric("1,5", QLatin1Char(',')));
    EXPECT_TRUE(isNumeric("-0,25e1", QLatin1Char(',')));

    EXPECT_EQ(leadingNumber("1,5"), 1.0); // "." is the decimal point of the range test
    EXPECT_EQ(leadingNumber(" -12.5xyz"), -12.5);
    EXPECT_EQ(leadingNumber("abc"), 0.0);
    EXPECT_TRUE(inRange("32767"));
    EXPECT_TRUE(inRange("-32768"));
    EXPECT_FALSE(inRange("32767.5"));
    EXPECT_FALSE(inRange("-32769"));
    EXPECT_FALSE(inRange("1e9"));
}
