#include "scriptline.h"

#include <array>

namespace {
const std::array<QString, 20> &tags()
{
    static const std::array<QString, 20> t = {
        QStringLiteral("Prép"),   QStringLiteral("Const"),  QStringLiteral("Comm N"),
        QStringLiteral("Comm E"), QStringLiteral("FactB"),  QStringLiteral("FactE"),
        QStringLiteral("FactOB"), QStringLiteral("FactOE"), QStringLiteral("FactAB"),
        QStringLiteral("FactAE"), QStringLiteral("Fact"),   QStringLiteral("Act"),
        QStringLiteral("Load"),   QStringLiteral("RLoad"),  QStringLiteral("BL"),
        QStringLiteral("FactTB"), QStringLiteral("FactTE"), QStringLiteral("FactNB"),
        QStringLiteral("FactNE"), QStringLiteral("Texte"),
    };
    return t;
}
} // namespace

QString kindTag(LineKind kind)
{
    const auto i = static_cast<size_t>(kind);
    return i < tags().size() ? tags()[i] : QString();
}

LineKind kindFromTag(QStringView tag)
{
    const auto &t = tags();
    for (size_t i = 0; i < t.size(); ++i)
        if (tag == t[i])
            return static_cast<LineKind>(i);
    return LineKind::Unknown;
}


QString rowPlace(const ScriptLine &line, int pos)
{
    return line.line > 0 ? QStringLiteral("ligne %1").arg(line.line)
                         : QStringLiteral("rangée %1 (pas encore enregistrée)").arg(pos);
}
