// The fact, action, parameter and symbol catalogues: loading, limits,
// problems, and the header grammar the editors read.
#include "catalogues/acts.h"
#include "catalogues/facts.h"
#include "catalogues/params.h"
#include "catalogues/prepross.h"
#include "catalogues/records.h"
#include "testsupport.h"

using TestSupport::CatalogueFolder;

namespace {
// Every entry of a list field, as the list shows them.
QStringList entriesOf(const Params::Field &field)
{
    QStringList out;
    for (int row = 0; row < field.count(); ++row)
        out << field.entry(row);
    return out;
}

QStringList headers(const std::vector<CatalogueRecord> &table, int count)
{
    QStringList out;
    for (int k = 1; k <= count; ++k)
        out << table[k].header;
    return out;
}
} // namespace

TEST(FactCatalogue, StartLinesHelpLinesAndSpaces)
{
    CatalogueFolder folder;
    folder.write("Facts.txt", "avant tout\r\n|||---|||stock  <ressource>   <comparateur>\r\n\r\nA\r\n\r\nB\r\n"
                              " |||---|||vrai (toujours)\r\n  |||---|||pas un début\r\n\t|||---|||non plus\r\n"
                              "|||---||| espace gardé \r\n\r\nC\r\n\r\n");
    Facts::LoadFacts();
    EXPECT_TRUE(Catalogues::problems().isEmpty());
    EXPECT_EQ(headers(Facts::FactTable, Facts::FactCount),
              (QStringList{"stock <ressource> <comparateur>", "vrai (toujours)", " espace gardé "}));
    // empty lines vanish at the top of a help, stay at its end
    EXPECT_EQ(QStringList({Facts::FactTable[1].help, Facts::FactTable[2].help, Facts::FactTable[3].help}),
              (QStringList{"A\r\n\r\nB", "  |||---|||pas un début\r\n\t|||---|||non plus", "C\r\n"}));

    // a second, shorter load leaves nothing of the first
    folder.write("Facts.txt", "|||---|||seul\r\n");
    Facts::LoadFacts();
    EXPECT_EQ(headers(Facts::FactTable, Facts::FactCount), QStringList{"seul"});
    EXPECT_TRUE(Facts::FactTable[1].help.isEmpty());
}

TEST(Catalogues, MissingOrOversizedCataloguesAreReportedNotFatal)
{
    CatalogueFolder folder;
    Facts::LoadFacts();
    Params::LoadParams();
    Prepross::LoadSymbols();
    EXPECT_EQ(Facts::FactCount + Params::ParamCount, 0);
    EXPECT_EQ(Prepross::lastEntry(), -1);
    ASSERT_EQ(Catalogues::problems().size(), 3);
    EXPECT_TRUE(Catalogues::problems()[0].startsWith(QStringLiteral("« Facts.txt »: ")));
    EXPECT_TRUE(Catalogues::problems()[2].startsWith(QStringLiteral("« prepross.txt »")));
    EXPECT_TRUE(Catalogues::problemsMessage().contains(QStringLiteral("« Params.txt »")));

    // more records than the table holds: the excess is ignored and reported
    QString big;
    for (int i = 1; i <= Catalogues::MaxRecords + 3; ++i)
        big += QStringLiteral("||--||a%1\r\naide\r\n").arg(i);
    folder.write("Acts.txt", big);
    Catalogues::clearProblems();
    Acts::LoadActs();
    EXPECT_EQ(Acts::ActCount, Catalogues::MaxRecords);
    EXPECT_EQ(Acts::ActTable.back().header, QStringLiteral("a32767"));
    EXPECT_EQ(Acts::ActTable.back().help, QStringLiteral("aide"));
    ASSERT_EQ(Catalogues::problems().size(), 1);
    EXPECT_TRUE(Catalogues::problems()[0].contains(QStringLiteral("3 suivantes sont ignorées")));

    // likewise types and values of the parameters
    QString text;
    for (int t = 1; t <= Params::MaxTypes + 2; ++t) {
        text += QStringLiteral("<t%1>\r\n").arg(t);
        for (int v = 1; v <= (t == 1 ? Params::MaxValues + 5 : 2); ++v)
            text += QStringLiteral("v%1\r\n").arg(v);
    }
    folder.write("Params.txt", text);
    Catalogues::clearProblems();
    Params::LoadParams();
    EXPECT_EQ(Params::ParamCount, Params::MaxTypes);
    EXPECT_EQ(Params::ParamTable[1].values.size(), Params::MaxValues);
    EXPECT_EQ(Params::fieldFor("t1").count(), Params::MaxValues);
    EXPECT_EQ(Params::findType("t51"), 0);
    EXPECT_EQ(Catalogues::problems().size(), 2);
}

TEST(ParamCatalogue, TypesValuesAndFields)
{
    CatalogueFolder folder;
    folder.write("Params.txt", "perdu\r\n<liste> un commentaire\r\n   a (la première)\r\n\r\n\tb\r\n\r\n\r\n"
                               "jamais offert\r\n<libre>\r\nTextBox\r\n<mots>\r\nx\r\ntextbox\r\n<plage>\r\nNum 1 3\r\n"
                               "\r\napres\r\n<vide>\r\n<inverse>\r\nNum 5 2\r\n<bornes>\r\nNum\t-2   0  \r\n"
                               "Num 1 99999\r\nNum a b\r\nz\r\n\r\n  < (inférieur)\r\n<liste>\r\ndoublon\r\n"
                               "<sans chevron\r\nv\r\n");
    Params::LoadParams();
    EXPECT_EQ(Params::ParamCount, 9);
    EXPECT_EQ(Params::ParamTable[1].name, QStringLiteral("liste"));
    EXPECT_EQ(Params::value(1, 1), QStringLiteral("a (la première)"));
    EXPECT_EQ(Params::value(1, 3), QStringLiteral("\tb")); // a tab stays
    EXPECT_EQ(Params::value(1, 99), QString());

    using F = Params::Field;
    const std::tuple<const char *, F::Kind, QStringList> cases[] = {
        {"liste", F::List, {"a (la première)", " ", "\tb"}}, // the first of two types named alike
        {"libre", F::Text, {}},
        {"mots", F::List, {"x", "textbox"}},
        {"plage", F::List, {"1", "2", "3"}}, // no separator after a range
        {"vide", F::None, {}},
        {"inverse", F::List, {}},
        {"bornes", F::List, {"-2", "-1", "0", "z", " ", "< (inférieur)"}}, // bad ranges skipped
        {"sans chevron", F::List, {"v"}},
        {"absent", F::None, {}},
        {"", F::None, {}},
        {"Liste", F::None, {}}, // names compare exactly
    };
    for (const auto &[type, kind, entries] : cases) {
        const F field = Params::fieldFor(QString::fromUtf8(type));
        EXPECT_EQ(field.kind, kind) << type;
        EXPECT_EQ(entriesOf(field), entries) << type;
    }
}

TEST(ParamCatalogue, RangesOfferEachNumberOnceInFileOrder)
{
    CatalogueFolder folder;
    const QString full = QStringLiteral("Num -32768 32767\r\n");
    const QStringList fullFirst{"-32768", "-32767", "-32766", "-32765", "-32764"};
    // a type and its lines: its number of entries, its first entries (up to five) and its last
    const std::tuple<const char *, QString, int, QStringList, QString> cases[] = {
        {"une plage", "Num 3 5\r\n", 3, {"3", "4", "5"}, "5"},
        {"plage pleine", full, 65536, fullFirst, "32767"},
        {"mille plages pleines", full.repeated(Params::MaxValues), 65536, fullFirst, "32767"},
        {"chevauchements", "Num 1 5\r\nNum 3 8\r\nNum 10 12\r\nNum 0 11\r\n", 13, {"1", "2", "3", "4", "5"}, "9"},
        {"contenue", "Num 0 9\r\nNum 2 4\r\nNum 9 9\r\nNum 10 10\r\n", 11, {"0", "1", "2", "3", "4"}, "10"},
        {"accolees", "Num 5 6\r\nNum 1 4\r\nNum 7 8\r\n", 8, {"5", "6", "1", "2", "3"}, "8"},
        {"puis valeurs", "Num 1 2\r\nNum 2 2\r\nmot (desc)\r\n\r\nautre\r\nNum 2 3\r\n", 6,
         {"1", "2", "mot (desc)", " ", "autre"}, "3"},
        {"bornes extremes", "Num 32767 32767\r\nNum -32768 -32768\r\n", 2, {"32767", "-32768"}, "-32768"},
    };
    QString text;
    for (const auto &[name, lines, count, first, last] : cases)
        text += QStringLiteral("<%1>\r\n").arg(QString::fromUtf8(name)) + lines;
    folder.write("Params.txt", text);
    Params::LoadParams();
    EXPECT_TRUE(Catalogues::problems().isEmpty()) << Catalogues::problemsMessage().toStdString();
    for (const auto &[name, lines, count, first, last] : cases) {
        SCOPED_TRACE(name);
        const Params::Field f = Params::fieldFor(QString::fromUtf8(name));
        EXPECT_EQ(f.kind, Params::Field::List);
        ASSERT_EQ(f.count(), count);
        QStringList all = entriesOf(f);
        EXPECT_EQ(all.mid(0, 5), first);
        EXPECT_EQ(all.last(), last);
        EXPECT_EQ(f.entry(count) + f.entry(-1), QString());
        all.removeAll(QStringLiteral(" "));
        EXPECT_EQ(all.removeDuplicates(), 0); // no number twice
    }
    EXPECT_EQ(entriesOf(Params::fieldFor("chevauchements")).join(' '), "1 2 3 4 5 6 7 8 10 11 12 0 9");
    const Params::Field mixed = Params::fieldFor("puis valeurs");
    EXPECT_TRUE(mixed.isSeparator(3));
    EXPECT_FALSE(mixed.isSeparator(2) || mixed.isSeparator(99));
}

TEST(HeaderGrammar, NamesTypesAndEditedLines)
{
    using namespace Catalogues;
    EXPECT_EQ(QStringList({nameOf("stock <ressource> <comparateur>"), nameOf("colle<type>"), nameOf("vrai (toujours vrai)"),
                           nameOf("attendre")}),
              (QStringList{"stock", "coll", "vrai", "attendre"})); // one character dropped before "<"
    EXPECT_EQ(paramTypes("f <a> <b> <c> <d> <e>", 4), (QStringList{"a", "b", "c", "d"}));
    EXPECT_EQ(paramTypes("f <a> <> <c>", 4), QStringList{"a"});
    EXPECT_EQ(paramTypes("f <a> <b", 4), QStringList{"a"});
    EXPECT_EQ(paramTypes("f <a b> texte", 4), QStringList{"a b"});
    const std::tuple<const char *, int, const char *> splits[] = {
        {"dire \"deux mots\" 3", 3, "dire|\"deux mots\"|3"}, {"dire deux mots", 3, "dire|deux|mots"},
        {"dire \"pas fini", 3, "dire|\"pas fini"},           {"a 1 2 3 4 5", 4, "a|1|2|3|4"},
        {"seul", 4, "seul"},
    };
    for (const auto &[line, max, parts] : splits) {
        const SplitLine s = splitLine(QString::fromUtf8(line), max);
        EXPECT_EQ((QStringList{s.name} + s.values).join('|'), QString::fromUtf8(parts));
    }
    std::vector<CatalogueRecord> table{{}, {"x <a>", ""}, {"y", ""}, {"x <b>", ""}};
    EXPECT_EQ(QList<int>({findByName(table, 3, "x"), findByName(table, 3, "y"), findByName(table, 3, "z")}),
              QList<int>({1, 2, 0}));
}

TEST(ShippedCatalogues, AreCompleteAndConsistent)
{
    // the catalogues beside the plug-in (the test's plug-in folder is the data folder)
    Catalogues::clearProblems();
    Facts::LoadFacts();
    Acts::LoadActs();
    Params::LoadParams();
    Prepross::LoadSymbols();
    EXPECT_TRUE(Catalogues::problems().isEmpty()) << Catalogues::problemsMessage().toStdString();
    EXPECT_GE(Facts::FactCount, 60);
    EXPECT_GE(Acts::ActCount, 60);
    EXPECT_GE(Params::ParamCount, 25);
    // every type a header names exists and gives a field
    const auto check = [](const std::vector<CatalogueRecord> &table, int count, int max) {
        for (int k = 1; k <= count; ++k) {
            const QStringList types = Catalogues::paramTypes(table[k].header, 9);
            EXPECT_LE(types.size(), max) << table[k].header.toStdString();
            for (const QString &t : types)
                EXPECT_NE(Params::fieldFor(t).kind, Params::Field::None) << table[k].header.toStdString();
            EXPECT_FALSE(table[k].help.isEmpty()) << table[k].header.toStdString();
        }
    };
    check(Facts::FactTable, Facts::FactCount, 4);
    check(Acts::ActTable, Acts::ActCount, 3);
    // the symbols: the eleven categories the filter knows, and one it does not
    int titles = 0;
    for (const Prepross::SymbolEntry &e : Prepross::SymbolTable)
        titles += Prepross::isSeparator(e.listText);
    EXPECT_EQ(titles, 12);
}

TEST(SymbolCatalogue, CategoriesSymbolsAndOddLines)
{
    CatalogueFolder folder;
    folder.write("prepross.txt", "  AVANT (sans catégorie)\r\nTaille de la carte\r\n(global, type 1)\r\n"
                                 "  CARTE-PETITE (deux joueurs)\r\n\r\n  \r\n Titre à un blanc\r\n(local, type 2)\r\n"
                                 "\t  TAB (un titre aussi)\r\n(local, type 1)\r\nDernier titre\r\n");
    Prepross::LoadSymbols();
    ASSERT_EQ(Prepross::lastEntry(), 6);
    const auto &t = Prepross::SymbolTable;
    EXPECT_EQ(t[0].listText, QStringLiteral("AVANT (sans catégorie)"));
    EXPECT_EQ(t[0].category, QString());
    EXPECT_EQ(t[1].listText, QStringLiteral("---------------------   Taille de la carte   ----------------------"));
    EXPECT_TRUE(Prepross::isSeparator(t[1].listText));
    EXPECT_EQ(t[2].category, QStringLiteral("Taille de la carte"));
    EXPECT_EQ(t[3].listText, QString()); // two blanks only
    EXPECT_EQ(t[4].category, QStringLiteral(" Titre à un blanc"));
    EXPECT_EQ(t[5].category, QStringLiteral("\t  TAB (un titre aussi)"));
    // a title on the last line has no type line to read, and fails nothing
    EXPECT_EQ(t[6].category, QStringLiteral("Dernier titre"));
    EXPECT_TRUE(Prepross::isSeparator(t[6].listText));
}
