#include "catalogues/records.h"
#include "document/linebuilders.h"
#include "files/saveopen.h"
#include "document/scriptmodel.h"

#include <QColor>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

TEST(LineText, EachBuilderMakesTheRowsText)
{
    using Catalogues::nameOf;
    using LineText::entryLine;
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
        // the name and the values, a field left empty giving none
        {entryLine(false, nameOf("lever-troupes <nombre> <texte>"), {"3", "deux mots", ""}), "lever-troupes 3 deux mots"},
        // without placeholder, no description: "(sonner-cloche (appel aux armes))" would not read back
        {entryLine(false, nameOf("sonner-cloche (appel aux armes)"), {}), "sonner-cloche"},
        // a name touching its placeholder loses its last character
        {entryLine(false, nameOf("recolter<nombre>"), {"5"}), "recolte 5"},
        {entryLine(false, nameOf("<nombre>"), {"5"}), " 5"},
        {entryLine(true, "stock", {"ble", "", "\"a b\"", "7"}), "Inverse de stock ble \"a b\" 7"},
        {entryLine(true, "vrai", {}), "Inverse de vrai"},
    };
    for (const auto &[built, expected] : cases)
        EXPECT_EQ(built, QString::fromUtf8(expected));
}

TEST(LineText, ValuesThatWouldBreakTheLineAreNamedAndTheRestReadBack)
{
    // what may stand in a fact's or an action's line as a value
    for (const char *fine : {"ble", "seuil-ble", "-5", "\"Bonjour ; salut\"", "\"a (b)\"", "\"\"", "deux mots"}) {
        EXPECT_EQ(LineText::valueProblem(fine), "") << fine;
        EXPECT_TRUE(SaveOpen::readsBack(LineKind::Act, LineText::entryLine(false, "dire", {fine}))) << fine;
    }
    const std::pair<const char *, const char *> refused[] = {
        {"Bonjour ; salut", "«;»"}, {"a(b", "«(»"}, {"b)", "«)»"}, {"\"ouvert", "sans les fermer"},
        {"\"a\" ; \"b\"", "«;»"}};
    for (const auto &[value, named] : refused) {
        EXPECT_THAT(LineText::valueProblem(value).toStdString(), testing::HasSubstr(named)) << value;
        EXPECT_FALSE(SaveOpen::readsBack(LineKind::Act, LineText::entryLine(false, "dire", {value}))) << value;
    }
    EXPECT_THAT(LineText::valueProblem("a\nb").toStdString(), testing::HasSubstr("saut de ligne"));
    // each kind of row the dialogs make, and what breaks it
    EXPECT_TRUE(SaveOpen::readsBack(LineKind::Load, "commun\\\\outils.per"));
    EXPECT_FALSE(SaveOpen::readsBack(LineKind::Load, "a\"b"));
    EXPECT_TRUE(SaveOpen::readsBack(LineKind::Const, "Constante: message = \"Bonjour ; à tous\""));
    EXPECT_FALSE(SaveOpen::readsBack(LineKind::Const, "Constante: x = 5 ; six"));
    EXPECT_TRUE(SaveOpen::readsBack(LineKind::CommE, "|--  le cœur du script"));
    EXPECT_TRUE(SaveOpen::readsBack(LineKind::Fact, "Inverse de stock ble < seuil-ble"));
    EXPECT_TRUE(SaveOpen::readsBack(LineKind::Prep, "Si inverse EPOQUE-FEODALE"));
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
    EXPECT_EQ(m.data(m.index(0), ScriptModel::ColourRole).toUInt(), qRgb(1, 2, 3));
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
