// A generated script with the variety of real ones: tab-indented rules,
// groups, inverse facts, comments everywhere, quoted chat texts, random loads,
// conditional blocks. 120,000 lines make about 3.5 MB.
#pragma once

#include <QString>

namespace GeneratedScript {
inline QString generatedScript(int lines)
{
    QString s;
    s.reserve(lines * 32);
    int n = 0;
    auto line = [&](const QString &l) {
        s += l;
        s += QStringLiteral("\r\n");
        ++n;
    };
    for (int i = 0; n < lines; ++i) {
        line(QStringLiteral("; règle %1 : économie et défense du village quand le blé manque ou que l'ennemi approche").arg(i));
        if (i % 10 == 0)
            line(QStringLiteral("(defconst seuil-ble-%1 %2)").arg(i).arg(i % 500));
        if (i % 25 == 0)
            line(QStringLiteral("#load-if-defined CARTE-ILES"));
        line(QStringLiteral("(defrule"));
        line(QStringLiteral("\t(or\t(stock ble > %1)").arg(i % 300));
        line(QStringLiteral("\t\t(stock bois >= 200))\t; assez de bois pour la palissade"));
        line(QStringLiteral("\t(not (ennemi-proche))   ; pas de menace aux portes du village"));
        line(QStringLiteral("\t(NAND"));
        line(QStringLiteral("\t\t(minuteur-declenche 3)"));
        line(QStringLiteral("\t)"));
        line(QStringLiteral("=>"));
        line(QStringLiteral("\t(lever-troupes piquier %1)").arg(i % 20));
        line(QStringLiteral("\t(dire \"Au marché ; on charge (load) le blé\")"));
        line(QStringLiteral(")"));
        if (i % 25 == 0) {
            line(QStringLiteral("#else"));
            line(QStringLiteral("(load-random 30 \"defense-a\""));
            line(QStringLiteral("\t70 \"defense-b\")"));
            line(QStringLiteral("#end-if"));
        }
        line(QString());
    }
    return s;
}

inline const QString &script()
{
    static const QString s = generatedScript(120000);
    return s;
}
} // namespace GeneratedScript
