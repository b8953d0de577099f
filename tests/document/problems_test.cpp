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

#include <QDir>
#include <QTemporaryDir>
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
    for (const Problems::Problem &p : Problems::analyse(rows, Blocks::analyse(rows), {&shipped(), folder}))
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

TEST(Problems, LoadsAreLookedForBesideTheScriptInAnyCase)
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("Commun");
    writeFile(dir.filePath("Commun/Outils.per"), "");
    writeFile(dir.filePath("village.per"), "");
    const QString script = "(load \"commun\\\\outils.per\")\n(load \"village\")\n(load \"absent\")\n"
                           "(load-random 50 \"village\" 50 \"ailleurs\\\\x\")\n";
    EXPECT_EQ(problemsOf(script, dir.path()),
              (QStringList{"3: attention: fichier chargé introuvable à côté du script: « absent »",
                           "4: attention: fichier chargé introuvable à côté du script: « ailleurs\\\\x »"}));
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
    ScriptModel &rows = doc.rows();
    const auto fromScratch = [&] {
        QStringList out;
        for (const Problems::Problem &p :
             Problems::analyse(rows.lines(), Blocks::analyse(rows.lines()), {&shipped(), dir.path()}))
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
