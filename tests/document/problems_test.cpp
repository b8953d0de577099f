// Scripts checked against the shipped catalogues' vocabulary, without a
// window: each kind of problem found where it is and nowhere else.
#include "catalogues/acts.h"
#include "catalogues/facts.h"
#include "catalogues/vocabulary.h"
#include "coresupport.h"
#include "document/problems.h"
#include "document/scriptdocument.h"
#include "document/scriptproblems.h"
#include "files/saveopen.h"
#include "shell/pluginfolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace TestSupport;

namespace {
const Vocabulary &shipped()
{
    static const Vocabulary v = Vocabulary::loadCatalogues();
    return v;
}

// "LINE: severity: message" for each problem of the script text.
QStringList problemsOf(const QString &text, const QString &folder = {})
{
    const std::vector<ScriptLine> rows = SaveOpen::readScriptBytes(text.toUtf8(), false).rows;
    QStringList out;
    for (const Problems::Problem &p : Problems::analyse(rows, Blocks::analyse(rows), {&shipped(), folder, nullptr}))
        out << QStringLiteral("%1: %2: %3").arg(p.line).arg(Problems::severityName(p.severity), p.message);
    return out;
}

// A value each type allows.
QString allowedValue(const Vocabulary::Type &type)
{
    if (!type.listed.isEmpty())
        return type.listed.first();
    if (!type.ranges.empty())
        return QString::number(type.ranges.front().second);
    return QStringLiteral("\"un texte\"");
}
} // namespace

TEST(Problems, AScriptWrittenFromEveryEntryOfTheCataloguesHasNone)
{
    QString script = QStringLiteral("(defconst seuil 400)\n#load-if-defined CARTE-ILES\n#end-if\n(defrule\n");
    const auto addAll = [&script](const std::vector<CatalogueRecord> &table, int count, bool fact) {
        for (int k = 1; k <= count; ++k) {
            QString line = QStringLiteral("(") + Catalogues::nameOf(table[size_t(k)].header);
            for (const QString &type : Catalogues::paramTypes(table[size_t(k)].header, 99))
                line += QLatin1Char(' ') + allowedValue(shipped().type(type));
            script += (fact ? QStringLiteral("\t(not %1))\n") : QStringLiteral("\t%1)\n")).arg(line);
        }
    };
    shipped();
    addAll(Facts::FactTable, Facts::FactCount, true);
    script += QStringLiteral("=>\n");
    addAll(Acts::ActTable, Acts::ActCount, false);
    script += QStringLiteral("\t(envoyer-serfs ble 3)\n\t(vendre BLE seuil)\n)\n");
    ASSERT_GT(Facts::FactCount, 20);
    EXPECT_EQ(problemsOf(script), QStringList{});
}

TEST(Problems, EachKindIsFoundAtItsLine)
{
    const QStringList found = problemsOf("(defconst seuil 400)\n"
                                         "(defconst seuil 400)\n"
                                         "(defconst Seuil 500)\n"
                                         "(defconst enorme 5000)\n"
                                         "#load-if-not-defined EPOQUE-FEODALE\n"
                                         "#end-if\n"
                                         "(defrule\n"
                                         "\t(stok ble < 200)\n"
                                         "\t(saison hiver)\n"
                                         "\t(stock ble <)\n"
                                         "\t(stock foret < seuil)\n"
                                         "\t(serfs > 25)\n"
                                         "\t(serfs > beaucoup)\n"
                                         "\t(stock ble < enorme)\n"
                                         "=>\n"
                                         "\t(envoyer-serf ble 3)\n"
                                         "\t(dire \"n'importe quoi ; ici\")\n"
                                         ")\n"
                                         "(defrule\n");
    EXPECT_EQ(found, (QStringList{
                         "2: attention: constante « seuil » déjà définie ligne 1, avec la même valeur",
                         "3: erreur: constante « Seuil » déjà définie ligne 1 avec la valeur 400: elle vaut ici 500",
                         "5: attention: symbole « EPOQUE-FEODALE » absent du catalogue des symboles",
                         "8: erreur: fait inconnu « stok »: vouliez-vous dire « stock » ?",
                         "9: erreur: fait inconnu « saison »: aucun fait du catalogue ne porte ce nom",
                         "10: erreur: « stock » attend 3 paramètres (ressource, comparateur, quantite); la ligne en donne 2",
                         "11: erreur: « foret » n'est ni une valeur de « ressource » ni une constante définie (attendu: "
                         "ble, bois, pierre, or, sel, laine, …)",
                         "12: erreur: « 25 » n'est pas une valeur de « petit-nombre » (attendu: un nombre de 0 à 20)",
                         "13: erreur: constante non définie « beaucoup »: « petit-nombre » attend un nombre de 0 à 20",
                         "14: erreur: la constante « enorme » vaut 5000, que « quantite » ne permet pas (attendu: un "
                         "nombre de 0 à 100 ou 150, 200, 250, 300, 400, 500, …)",
                         "16: erreur: action inconnue « envoyer-serf »: vouliez-vous dire « envoyer-serfs » ?",
                         "19: attention: Règle non fermée (il manque « Fin de règle »)",
                     }));
}

TEST(Problems, LoadsAreLookedForInTheAiFolderInAnyCase)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Commun");
    writeFile(dir.filePath("Commun/Outils.per"), "");
    writeFile(dir.filePath("village.per"), "");
    const QString script = "(load \"commun\\\\outils.per\")\n(load \"village\")\n(load \"absent\")\n"
                           "(load-random 50 \"village\" 50 \"ailleurs\\\\x\")\n";
    EXPECT_EQ(problemsOf(script, dir.path()),
              (QStringList{"3: attention: fichier chargé introuvable dans le dossier de l'IA: « absent »",
                           "4: attention: fichier chargé introuvable dans le dossier de l'IA: « ailleurs\\\\x »"}));
    EXPECT_EQ(problemsOf(script), QStringList{}); // a script in no file
}

TEST(Problems, TheDocumentsListStaysWhatACheckFromScratchFinds)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("ia.per");
    writeFile(path, "(defconst seuil 400)\n(defrule\n(stock ble < seuil)\n(stok ble < 2)\n=>\n(construire moulin)\n)\n"
                    "(load \"absent\")\n");
    ScriptDocument doc;
    QString error;
    ASSERT_TRUE(doc.open(path, error));
    doc.problems().setVocabulary(&shipped());
    // a name is reported undefined once the AI is read
    ASSERT_TRUE(QTest::qWaitFor([&] { return !doc.problems().findingAi(); }));
    ScriptModel &rows = doc.rows();
    const auto fromScratch = [&] {
        QStringList out;
        for (const Problems::Problem &p :
             Problems::analyse(rows.lines(), Blocks::analyse(rows.lines()), {&shipped(), dir.path(), nullptr}))
            out << QStringLiteral("%1/%2 %3").arg(p.row).arg(p.line).arg(p.message);
        return out;
    };
    const auto kept = [&] {
        QStringList out;
        for (const Problems::Problem &p : doc.problems().problems())
            out << QStringLiteral("%1/%2 %3").arg(p.row).arg(p.line).arg(p.message);
        return out;
    };
    EXPECT_EQ(kept().size(), 2);
    const std::function<void()> changes[] = {
        [&] { rows.setText(4, "stock ble < 2"); },            // mended
        [&] { rows.setKind(rows.addRow("construire tour", 6), LineKind::Act); }, // a new bad row
        [&] { rows.setText(1, "Constante: seuil = 99999"); }, // a constant: every row again
        [&] { rows.removeRow(2); },                            // the rule loses its start
        [&] { doc.history().undo(); },
        [&] { doc.history().undo(); },
        [&] { doc.history().redo(); },
        [&] { rows.setKind(rows.addRow("Constante: seuil = 1", 1), LineKind::Const); },
        [&] { QString e; doc.saveAs(path, e); },               // lines as saved
    };
    for (size_t i = 0; i < std::size(changes); ++i) {
        changes[i]();
        EXPECT_EQ(kept(), fromScratch()) << "after change " << i;
    }
}

// The suggestions' index finds what measuring every name finds: the closest
// name a letter or two away, the first in order among equals.
TEST(Problems, TheSuggestionIsTheClosestNameOfTheWholeCatalogue)
{
    const auto measured = [](QStringView a, QStringView b) {
        std::vector<int> previous(size_t(b.size()) + 1), current(previous.size());
        for (size_t j = 0; j < previous.size(); ++j)
            previous[j] = int(j);
        for (qsizetype i = 1; i <= a.size(); ++i) {
            current[0] = int(i);
            for (qsizetype j = 1; j <= b.size(); ++j)
                current[size_t(j)] = std::min({previous[size_t(j)] + 1, current[size_t(j - 1)] + 1,
                                               previous[size_t(j - 1)] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            std::swap(previous, current);
        }
        return previous.back();
    };
    // names of few letters, so that many lie a letter or two apart
    quint32 seed = 7;
    const auto random = [&seed](int n) { return int((seed = seed * 1103515245u + 12345u) >> 16) % n; };
    const auto word = [&](int length) {
        QString w;
        for (int i = 0; i < length; ++i)
            w += QChar(u"abe-"[random(4)]);
        return w;
    };
    Facts::FactTable.assign(1, CatalogueRecord{});
    QStringList names;
    for (int k = 0; k < 400; ++k) {
        names << word(2 + random(12));
        Facts::FactTable.push_back({names.back(), {}});
    }
    Facts::FactCount = qint16(names.size());
    const Vocabulary vocabulary = Vocabulary::fromCatalogues();
    for (int k = 0; k < 300; ++k) {
        QString query = names[random(int(names.size()))];
        for (int edits = random(4); edits > 0; --edits) // each a change, a letter more or one less
            query.insert(random(int(query.size()) + 1), word(1)).remove(random(int(query.size())), random(2));
        if (vocabulary.fact(query))
            continue;
        const int limit = std::min(2, int(query.size()) / 3);
        QString best;
        int bestDistance = limit + 1;
        for (const QString &n : names) {
            const int d = measured(query, n);
            if (d < bestDistance || (d == bestDistance && n < best))
                best = n, bestDistance = d;
        }
        EXPECT_EQ(vocabulary.closestFact(query), bestDistance <= limit ? best : QString()) << query.toStdString();
    }
}

// A message quotes a name or a value cut short and with its control
// characters written out, whatever a script or a catalogue holds; names
// compare by their ASCII letters only, as the game's do.
TEST(Problems, MessagesStayShortAndPrintableWhateverTheFilesHold)
{
    const std::vector<ScriptLine> rows =
        SaveOpen::readScriptBytes(QByteArray("(defrule (st") + '\0'
                                      + "ck ble < 1) (stoc\xE2\x84\xAA ble < 1) => (semer))\n(defconst "
                                      + QByteArray(5000, 'x') + " 1)\n(defrule (stock ble < " + QByteArray(5000, 'y')
                                  + ") => (semer))\n",
                                  false)
            .rows;
    QStringList found;
    for (const Problems::Problem &p : Problems::analyse(rows, Blocks::analyse(rows), {&shipped(), {}, nullptr}))
        found << p.message;
    EXPECT_EQ(found, (QStringList{"fait inconnu « st\\x00ck »: vouliez-vous dire « stock » ?",
                                  QString::fromUtf8("fait inconnu « stoc\xE2\x84\xAA »: vouliez-vous dire « stock » ?"),
                                  "« " + QString(40, 'y') + "… » n'est ni une valeur de « quantite » ni une constante "
                                  "définie (attendu: un nombre de 0 à 100 ou 150, 200, 250, 300, 400, 500, …)"}));

    // a value of 100,000 characters in the parameter catalogue
    QTemporaryDir dir;
    writeFile(dir.filePath("Facts.txt"), "|||---|||mot <long>\r\n");
    writeFile(dir.filePath("Acts.txt"), "||--||semer\r\n");
    writeFile(dir.filePath("Params.txt"), "<long>\r\n" + QByteArray(100000, 'z') + "\r\nautre\r\n");
    writeFile(dir.filePath("prepross.txt"), "");
    struct Restore { // the shipped catalogues again for the tests after
        const QString folder = PluginFolder::path();
        ~Restore() { PluginFolder::setPath(folder), Vocabulary::loadCatalogues(); }
    } restore;
    PluginFolder::setPath(dir.path());
    const Vocabulary large = Vocabulary::loadCatalogues();
    const std::vector<ScriptLine> short_ = SaveOpen::readScriptBytes("(defrule (mot y) => (semer))\n", false).rows;
    const std::vector<Problems::Problem> p = Problems::analyse(short_, Blocks::analyse(short_), {&large, {}, nullptr});
    ASSERT_EQ(p.size(), 1u) << p.back().message.toStdString();
    EXPECT_EQ(p[0].message, "« y » n'est ni une valeur de « long » ni une constante définie (attendu: " + QString(40, 'z')
                                + "…, autre)");
}
