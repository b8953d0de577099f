#include "linebuilders.h"

#include "shell/fileservices.h"

#include <QRegularExpression>
#include <algorithm>

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

QString entryLine(bool negated, const QString &name, const QStringList &values)
{
    QString s = negated ? RowText::NegationPrefix + name : name;
    for (const QString &v : values) {
        if (!v.isEmpty())
            s += QLatin1Char(' ') + v;
    }
    return s;
}

QString valueProblem(const QString &value)
{
    bool quoted = false;
    for (const QChar c : value) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            return QStringLiteral("La valeur «%1» ne peut pas contenir de saut de ligne: il couperait la ligne du script.")
                .arg(value);
        } else if (!quoted && (c == QLatin1Char(';') || c == QLatin1Char('(') || c == QLatin1Char(')'))) {
            return QStringLiteral("La valeur «%1» ne peut pas contenir le caractère «%2» hors des guillemets: il "
                                  "couperait la ligne du script. Un texte s'écrit entre guillemets (\"...\").")
                .arg(value, QString(c));
        }
    }
    if (quoted)
        return QStringLiteral("La valeur «%1» ouvre des guillemets («\"») sans les fermer: la suite de la ligne du script "
                              "serait prise dans le texte.")
            .arg(value);
    return {};
}

namespace {
bool hasBlank(const QString &value)
{
    return std::any_of(value.begin(), value.end(), [](QChar c) { return c.isSpace(); });
}
} // namespace

QString typedValueProblem(const QString &value, bool text)
{
    const QString problem = valueProblem(value);
    if (!problem.isEmpty())
        return problem;
    const qsizetype quotes = value.count(QLatin1Char('"'));
    const bool wholeText = quotes == 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"'));
    if (quotes > 0 && !wholeText)
        return QStringLiteral("La valeur «%1» ne peut pas contenir de guillemets («\"») dans un texte: le jeu ne sait "
                              "pas les écrire.")
            .arg(value);
    if (!wholeText && !text && hasBlank(value))
        return QStringLiteral("La valeur «%1» ne peut pas contenir d'espace: elle compterait pour plusieurs "
                              "paramètres.")
            .arg(value);
    return {};
}

QString writtenValue(const QString &value, bool text)
{
    if (!text || value.startsWith(QLatin1Char('"')) || !hasBlank(value))
        return value;
    return QLatin1Char('"') + value + QLatin1Char('"');
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
        s += p.file;
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

bool isQuotedText(const QString &text)
{
    const QString t = text.trimmed();
    return t.size() >= 2 && t.startsWith(QLatin1Char('"')) && t.endsWith(QLatin1Char('"')) && t.count(QLatin1Char('"')) == 2;
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
