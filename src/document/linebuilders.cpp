#include "linebuilders.h"

namespace LineText {

QString valuePart(const QString &entry)
{
    const qsizetype p = entry.indexOf(QLatin1String(" ("));
    return p < 0 ? entry : entry.left(p);
}

QString symbolOf(const QString &symbolEntry)
{
    QString s = symbolEntry;
    const qsizetype p = s.indexOf(QLatin1Char('('));
    if (p >= 0)
        s.truncate(p);
    if (s.endsWith(QLatin1Char(' ')))
        s.chop(1);
    return s;
}

QString conditional(int conditionType, const QString &symbolEntry)
{
    if (conditionType < 0 || conditionType > 3)
        return {};
    if (conditionType <= 1)
        return ConditionTypes[conditionType] + QLatin1Char(' ') + symbolOf(symbolEntry);
    return ConditionTypes[conditionType];
}

QString constant(const QString &name, const QString &value)
{
    return QStringLiteral("Constante: ") + name + QStringLiteral(" = ") + value;
}

namespace {
// The name of a header with parameters: the text before the character that
// precedes its first "<" (normally the space before it).
QString nameBeforeFirstPlaceholder(const QString &header, qsizetype lt)
{
    return header.left(qMax<qsizetype>(0, lt - 1));
}

void appendParams(QString &s, std::span<const Param> params)
{
    for (const Param &p : params) {
        if (p.kind == 1)
            s += QLatin1Char(' ') + valuePart(p.listText);
        else if (p.kind == 2)
            s += QLatin1Char(' ') + p.typedText;
    }
}
} // namespace

QString action(const QString &header, std::span<const Param> params)
{
    const qsizetype lt = header.indexOf(QLatin1Char('<'));
    if (lt < 0)
        return header;
    QString s = nameBeforeFirstPlaceholder(header, lt);
    appendParams(s, params.first(qMin<size_t>(params.size(), 3)));
    return s;
}

QString fact(bool negated, const QString &header, std::span<const Param> params)
{
    QString s = negated ? QStringLiteral("Inverse de ") : QString();
    const qsizetype lt = header.indexOf(QLatin1Char('<'));
    if (lt < 0)
        return s + valuePart(header);
    s += nameBeforeFirstPlaceholder(header, lt);
    appendParams(s, params.first(qMin<size_t>(params.size(), 4)));
    return s;
}

QString endComment(const QString &comment)
{
    return QStringLiteral("|-- ") + comment;
}

QString blank(bool appending)
{
    return appending ? QStringLiteral(" ") : QString();
}

} // namespace LineText

namespace Placement {

int target(bool add, int selected, int count)
{
    if (add)
        return count + 1;
    return selected >= 1 && selected <= count ? selected : 0;
}

Row comment(CommentChoice choice, const QString &comment, int selected, int count)
{
    const bool hasSelection = selected >= 1 && selected <= count;
    switch (choice) {
    case CommentChoice::AfterSelected:
        return {hasSelection ? selected + 1 : 0, comment, LineKind::CommN};
    case CommentChoice::EndOfList:
        return {count + 1, comment, LineKind::CommN};
    case CommentChoice::EndOfSelected:
        return {hasSelection ? selected + 1 : 0, LineText::endComment(comment), LineKind::CommE};
    }
    return {};
}

} // namespace Placement
