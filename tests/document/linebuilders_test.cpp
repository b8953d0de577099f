#include "document/linebuilders.h"
#include "document/scriptmodel.h"

#include <QColor>

#include <gtest/gtest.h>

using LineText::Param;

TEST(LineText, EachBuilderMakesTheRowsText)
{
    const Param lists[3] = {{1, "3 (trois chevaliers)", {}}, {2, {}, "deux mots"}, {0, "x", "y"}};
    const Param typed[1] = {{2, {}, "salut (ami)"}}, five[1] = {{1, "5", {}}};
    // stale kinds of an earlier use are not read
    const Param stale[3] = {{1, "9", {}}, {2, {}, "z"}, {1, "8", {}}};
    const Param facts[4] = {{1, "ble (céréale)", {}}, {0, {}, {}}, {2, {}, "\"a b\""}, {1, "7", {}}};
    const std::pair<QString, const char *> cases[] = {
        // a symbol is cut at "(", then one trailing blank goes; "Sinon" and "Fin de si" ignore it
        {LineText::conditional(0, "CARTE-ILES (archipel)"), "Si CARTE-ILES"},
        {LineText::conditional(1, "CARTE-ILES (archipel)"), "Si inverse CARTE-ILES"},
        {LineText::conditional(0, "EPOQUE-FER  (fer)"), "Si EPOQUE-FER "},
        {LineText::conditional(0, "SANS-DESCRIPTION"), "Si SANS-DESCRIPTION"},
        {LineText::conditional(0, ""), "Si "},
        {LineText::conditional(2, "X (y)"), "Sinon"},
        {LineText::conditional(3, "X (y)"), "Fin de si"},
        // fields untrimmed
        {LineText::constant("taille-armee", "12"), "Constante: taille-armee = 12"},
        {LineText::constant("", " 1.5 "), "Constante:  =  1.5 "},
        // the value part of list entries, typed text whole
        {LineText::action("lever-troupes <nombre> <texte>", lists), "lever-troupes 3 deux mots"},
        {LineText::action("dire <texte>", typed), "dire salut (ami)"},
        // without placeholder, no description: "(sonner-cloche (appel aux armes))" would not read back
        {LineText::action("sonner-cloche (appel aux armes)", stale), "sonner-cloche"},
        {LineText::action("abandonner", stale), "abandonner"},
        // a name touching its placeholder loses its last character
        {LineText::action("recolter<nombre>", five), "recolte 5"},
        {LineText::action("<nombre>", five), " 5"},
        {LineText::fact(true, "stock <ressource> <x> <texte> <n>", facts), "Inverse de stock ble \"a b\" 7"},
        {LineText::fact(false, "paix-durable (aucune guerre)", {}), "paix-durable"},
        {LineText::fact(true, "vrai", {}), "Inverse de vrai"},
    };
    for (const auto &[built, expected] : cases)
        EXPECT_EQ(built, QString::fromUtf8(expected));
}

TEST(ScriptModel, TagsReadBackAndPositionsThatAreNotRowsChangeNothing)
{
    for (int i = 0; i < int(LineKind::Unknown); ++i)
        EXPECT_EQ(int(kindFromTag(kindTag(LineKind(i)))), i);
    EXPECT_EQ(kindFromTag(u"Prep"), LineKind::Unknown);
    ScriptModel m;
    m.addRow("b");
    EXPECT_EQ(m.addRow("a", 1), 1);
    m.setColour(1, qRgb(1, 2, 3)); // each row drawn in its own colour
    EXPECT_EQ(m.data(m.index(0), Qt::ForegroundRole).value<QColor>(), QColor(1, 2, 3));
    EXPECT_EQ(m.data(m.index(0), Qt::DisplayRole).toString(), "a");
    for (int pos : {0, -1, 3, 1 << 30}) {
        m.removeRow(pos);
        m.setText(pos, "x");
        m.setKind(pos, LineKind::Act);
        m.setColour(pos, qRgb(9, 9, 9));
        EXPECT_EQ(m.text(pos), "");
        EXPECT_EQ(m.kind(pos), LineKind::Unknown);
    }
    EXPECT_EQ(m.count(), 2);
    EXPECT_EQ(m.text(1) + m.text(2), "ab");
}

TEST(ConstantValue, NumbersAsUsersTypeThemAndTheRangeOfTheLeadingNumber)
{
    using namespace ConstantValue;
    for (const char *yes : {"0", "-5", "+7", " 12.50 ", "\t3", ".5", "5.", "1e3", "-2.5E-2", "32768"})
        EXPECT_TRUE(isNumeric(yes, QLatin1Char('.'))) << yes;
    for (const char *no : {"", " ", "abc", "1,5", "1.2.3", "e5", "5e", "--1", "1 2", "0x10"})
        EXPECT_FALSE(isNumeric(no, QLatin1Char('.'))) << no;
    EXPECT_TRUE(isNumeric("-0,25e1", QLatin1Char(',')));
    EXPECT_EQ(leadingNumber("1,5"), 1.0); // "." is the decimal point of the range test
    EXPECT_EQ(leadingNumber(" -12.5xyz"), -12.5);
    EXPECT_EQ(leadingNumber("abc"), 0.0);
    for (const char *in : {"32767", "-32768"})
        EXPECT_TRUE(inRange(in)) << in;
    for (const char *out : {"32767.5", "-32769", "1e9"})
        EXPECT_FALSE(inRange(out)) << out;
}
