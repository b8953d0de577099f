#include "linebuilders.h"

#include "shell/fileservices.h"

#include <QRegularExpression>

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
    return RowText::ConstantPrefix + name + RowText::ConstantSeparator + value;
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
        return valuePart(header); // a description after " (" is not the action's

    QString s = nameBeforeFirstPlaceholder(header, lt);
    appendParams(s, params.first(qMin<size_t>(params.size(), 3)));
    return s;
}

QString fact(bool negated, const QString &header, std::span<const Param> params)
{
    QString s = negated ? RowText::NegationPrefix : QString();
    const qsizetype lt = header.indexOf(QLatin1Char('<'));
    if (lt < 0)
        return s + valuePart(header);
    s += nameBeforeFirstPlaceholder(header, lt);
    appendParams(s, params.first(qMin<size_t>(params.size(), 4)));
    return s;
}

QString endComment(const QString &comment)
{
    return RowText::EndCommentPrefix + comment;
}

QString blank(bool appending)
{
    return appending ? QStringLiteral(" ") : QString();
}

QString randomLoad(std::span<const Possibility> possibilities)
{
    QString s;
    for (const Possibility &p : possibilities) {
        s += FileServices::baseName(p.file);
        s += QLatin1Char(' ');
        if (p.percentage.isEmpty()) {
            s += QStringLiteral("  ");
        } else {
            s += p.percentage;
            s += QStringLiteral("% ");
        }
    }
    return s;
}

std::vector<Possibility> randomLoadPossibilities(QStringView t)
{
    std::vector<Possibility> out;
    qsizetype i = 0;
    const qsizetype n = t.size();
    while (i < n) {
        qsizetype sp = t.indexOf(QLatin1Char(' '), i);
        if (sp < 0)
            sp = n;
        const QStringView name = t.mid(i, sp - i);
        i = sp + 1;
        QStringView percentage;
        if (i < n && t[i] == QLatin1Char(' ')) {
            // the editor's form of a missing percentage: two more blanks
            i += (i + 1 < n && t[i + 1] == QLatin1Char(' ')) ? 2 : 1;
        } else if (i < n) {
            qsizetype end = t.indexOf(QLatin1Char(' '), i);
            if (end < 0)
                end = n;
            const QStringView token = t.mid(i, end - i);
            if (token.endsWith(QLatin1Char('%'))) {
                percentage = token.chopped(1);
                i = end + 1;
            } // else: no percentage, the token is the next file name
        }
        if (name.isEmpty() && percentage.isEmpty())
            continue; // a stray blank
        out.push_back({name.toString(), percentage.toString()});
    }
    return out;
}

} // namespace LineText

namespace ConstantValue {

bool isNumeric(const QString &text, QChar localeDecimal)
{
    QString decimals = QStringLiteral(".");
    if (localeDecimal != QLatin1Char('.'))
        decimals += QRegularExpression::escape(QString(localeDecimal));
    const QRegularExpression number(QStringLiteral(R"(^[ \t]*[+-]?(\d+([%1]\d*)?|[%1]\d+)([eE][+-]?\d+)?[ \t]*$)")
                                        .arg(decimals));
    return number.match(text).hasMatch();
}

double leadingNumber(const QString &text)
{
    static const QRegularExpression leading(QStringLiteral(R"(^[ \t]*([+-]?(\d+(\.\d*)?|\.\d+)([eE][+-]?\d+)?))"));
    const QRegularExpressionMatch m = leading.match(text);
    return m.hasMatch() ? m.captured(1).toDouble() : 0.0;
}

bool inRange(const QString &text)
{
    const double v = leadingNumber(text);
    return v >= -32768.0 && v <= 32767.0;
}

} // namespace ConstantValue

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
