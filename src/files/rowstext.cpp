#include "rowstext.h"

#include "saveopen.h"
#include "saveopen_internal.h"
#include "saveopen_text.h"

#include "document/blocks.h"

#include <algorithm>

namespace SaveOpen {

namespace {

// What text that is no form is, said for the place it was meant for.
QString notScript(RowPlace place, int line, QStringView text)
{
    const QString what = place == RowPlace::TopLevel
                             ? QStringLiteral("ni une règle, ni une constante, ni un chargement, ni une directive, "
                                              "ni un commentaire")
                             : QStringLiteral("ni un fait, ni une action, ni un commentaire");
    QString shown = Text::trimBlanks(text).toString();
    if (shown.size() > 80) // a whole file pasted on one line stays readable
        shown = shown.left(80) + QStringLiteral("…");
    return QStringLiteral("Ce texte ne se lit pas comme du script: sa ligne %1, «%2», n'est %3.").arg(line).arg(shown, what);
}

QStringView withoutFinalLineEnd(QStringView text)
{
    if (text.endsWith(u"\r\n"))
        return text.chopped(2);
    if (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        return text.chopped(1);
    return text;
}

} // namespace

bool opensBlock(LineKind k)
{
    return k == LineKind::FactB || k == LineKind::FactOB || k == LineKind::FactAB || k == LineKind::FactTB
           || k == LineKind::FactNB;
}

bool closesBlock(LineKind k)
{
    return k == LineKind::FactE || k == LineKind::FactOE || k == LineKind::FactAE || k == LineKind::FactTE
           || k == LineKind::FactNE;
}

RowPlace placeAt(std::span<const ScriptLine> rows, int pos)
{
    const int n = int(rows.size());
    pos = qBound(1, pos, n + 1);
    bool actions = pos <= n && rows[size_t(pos - 1)].kind == LineKind::Act;
    for (int i = pos - 1; i >= 1; --i) {
        const ScriptLine &r = rows[size_t(i - 1)];
        if (r.kind == LineKind::FactE)
            return RowPlace::TopLevel;
        if (r.kind == LineKind::FactB)
            return actions ? RowPlace::Actions : RowPlace::Facts;
        if (r.kind == LineKind::Act || (r.flags & ScriptLine::AfterArrow))
            actions = true;
    }
    return RowPlace::TopLevel;
}

RowRange wholeRule(std::span<const ScriptLine> rows, int pos)
{
    const int n = int(rows.size());
    const RowRange alone{pos, pos};
    if (pos < 1 || pos > n)
        return alone;
    const LineKind kind = rows[size_t(pos - 1)].kind;
    const bool opens = opensBlock(kind);
    if (!opens && !closesBlock(kind))
        return alone;
    // the matching row, blocks inside counted; a rule's start or end met on
    // the way means this one has no match
    const int step = opens ? 1 : -1;
    int depth = 0;
    for (int i = pos; i >= 1 && i <= n; i += step) {
        const LineKind k = rows[size_t(i - 1)].kind;
        if (opensBlock(k) || closesBlock(k)) {
            depth += opensBlock(k) == opens ? 1 : -1;
            if (depth == 0)
                return (k == LineKind::FactB || k == LineKind::FactE) == (kind == LineKind::FactB || kind == LineKind::FactE)
                           ? RowRange{qMin(pos, i), qMax(pos, i)}
                           : alone;
            if (i != pos && (k == LineKind::FactB || k == LineKind::FactE))
                return alone;
        }
    }
    return alone;
}

QString rowsText(std::span<const ScriptLine> rows, const std::vector<RowRange> &ranges, const ScriptSource &source)
{
    QString out;
    const int n = int(rows.size());
    const QString indent = indentUnit(source.text);
    const QStringView lineEnd(source.lineEnd);
    for (const RowRange &range : ranges) {
        const int first = qMax(1, range.first), last = qMin(n, range.last);
        int laidFrom = first; // rows from here on wait to be laid out together
        auto layOut = [&](int upTo) {
            if (upTo > laidFrom)
                appendLayout(out, rows.subspan(size_t(laidFrom - 1), size_t(upTo - laidFrom)), lineEnd, indent);
        };
        for (int i = first, j; i <= last; i = j) {
            const int form = rows[size_t(i - 1)].form;
            j = i + 1;
            while (j <= last && rows[size_t(j - 1)].form == form)
                ++j;
            const bool whole = form >= 0 && form < source.formCount() && (i == 1 || rows[size_t(i - 2)].form != form)
                               && (j > n || rows[size_t(j - 1)].form != form);
            if (!whole)
                continue;
            layOut(i);
            laidFrom = j;
            if (source.forms[size_t(form)].edited) {
                QString patched;
                std::vector<int> lines;
                patchForm(source, form, rows.subspan(size_t(i - 1), size_t(j - i)), [&indent] { return QStringView(indent); },
                          patched, lines);
                out += patched;
            } else {
                out += source.formText(form);
            }
            if (!out.isEmpty() && !Text::isLineEnd(out.back()))
                out += lineEnd; // the file's last line
        }
        layOut(last + 1);
    }
    return out;
}

bool readRows(QStringView text, RowPlace place, std::vector<ScriptLine> &rows, QString &error)
{
    rows.clear();
    text = withoutFinalLineEnd(text);
    if (Text::trimBlanks(text).isEmpty() && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
        error = QStringLiteral("Ce texte ne contient aucune ligne de script.");
        return false;
    }
    // Inside a rule, the text is read as the rule's own lines would be.
    QString wrapped;
    int linesBefore = 0;
    if (place == RowPlace::TopLevel) {
        wrapped = text.toString();
    } else {
        wrapped = place == RowPlace::Facts ? QStringLiteral("(defrule\n") : QStringLiteral("(defrule\n=>\n");
        linesBefore = place == RowPlace::Facts ? 1 : 2;
        wrapped += text;
        wrapped += QStringLiteral("\n)");
    }
    std::vector<ScriptLine> read = readScriptText(wrapped);
    if (place != RowPlace::TopLevel) {
        for (const ScriptLine &r : read) {
            const bool outside = r.kind == LineKind::Const || r.kind == LineKind::Load || r.kind == LineKind::RLoad
                                 || r.kind == LineKind::Prep;
            if (outside) {
                error = QStringLiteral("Ce texte ne se place pas dans une règle: sa ligne %1, «%2», ne se place que "
                                       "hors des règles.")
                            .arg(r.line - linesBefore)
                            .arg(r.text);
                return false;
            }
        }
        const bool framed = read.size() >= 2 && read.front().kind == LineKind::FactB && read.back().kind == LineKind::FactE;
        const auto ruleStart = [](const ScriptLine &r) { return r.kind == LineKind::FactB; };
        if (read.size() > 1 && std::any_of(read.begin() + 1, read.end(), ruleStart)) {
            error = QStringLiteral("Une règle ne peut pas se placer dans une autre règle: placez-la hors des règles.");
            return false;
        }
        bool balanced = framed;
        for (size_t i = 1; balanced && i + 1 < read.size(); ++i)
            balanced = read[i].kind != LineKind::FactE;
        if (!balanced) {
            error = QStringLiteral("Ce texte ne se lit pas comme des lignes de règle: ses parenthèses ne s'équilibrent pas.");
            return false;
        }
        read.erase(read.end() - 1);
        read.erase(read.begin());
        if (!read.empty())
            read.front().flags &= ~ScriptLine::AfterArrow;
    }
    for (const ScriptLine &r : read) {
        const int line = r.line - linesBefore;
        if (r.kind == LineKind::Text) {
            error = notScript(place, line, r.text);
            return false;
        }
        if (place == RowPlace::Facts && r.kind == LineKind::Act) {
            error = QStringLiteral("Ce texte contient des actions (après «=>», ligne %1): elles ne se placent pas parmi "
                                   "les faits d'une règle.")
                        .arg(line);
            return false;
        }
    }
    if (place == RowPlace::TopLevel) {
        for (const Blocks::Diagnostic &d : Blocks::analyse(read).diagnostics) {
            if (d.problem == Blocks::Problem::RuleNotClosed || d.problem == Blocks::Problem::RuleEndAlone
                || d.problem == Blocks::Problem::GroupNotClosed || d.problem == Blocks::Problem::GroupEndAlone) {
                error = QStringLiteral("Ce texte ne se lit pas comme des lignes de script: sa ligne %1: %2")
                            .arg(read[size_t(d.row - 1)].line)
                            .arg(Blocks::describe(d));
                return false;
            }
        }
    }
    for (ScriptLine &r : read) {
        r.form = ScriptLine::NoForm;
        r.line = r.readLine = 0;
    }
    rows = std::move(read);
    return true;
}

QString rowText(const ScriptLine &row)
{
    QString out;
    rowLayoutText(row, out);
    // a random load's possibilities on one line read the same
    out.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return out;
}

bool readOneRow(QStringView text, RowPlace place, ScriptLine &row, QString &error)
{
    if (Text::trimBlanks(text).isEmpty()) {
        error = QStringLiteral("La ligne est vide: écrivez son texte, ou supprimez-la.");
        return false;
    }
    std::vector<ScriptLine> rows;
    if (!readRows(text, place, rows, error))
        return false;
    if (rows.size() != 1) {
        error = QStringLiteral("Ce texte donne %1 lignes de script: il doit n'en donner qu'une.").arg(rows.size());
        return false;
    }
    const LineKind kind = rows.front().kind;
    bool fits = kind == LineKind::CommN;
    switch (place) {
    case RowPlace::TopLevel:
        fits = fits || kind == LineKind::Const || kind == LineKind::Load || kind == LineKind::RLoad
               || kind == LineKind::Prep;
        break;
    case RowPlace::Facts:
        fits = fits || kind == LineKind::Fact;
        break;
    case RowPlace::Actions:
        fits = fits || kind == LineKind::Act;
        break;
    }
    if (!fits) {
        error = QStringLiteral("Ce texte donne une ligne «%1» qui ne peut pas se placer ici.").arg(kindTag(kind));
        return false;
    }
    if (!readsBack(kind, rows.front().text)) {
        error = QStringLiteral("La ligne «%1» ne pourrait pas être relue telle quelle: vérifiez ses guillemets, ses "
                               "parenthèses et ses «;».")
                    .arg(Text::trimBlanks(text).toString());
        return false;
    }
    row = std::move(rows.front());
    return true;
}

} // namespace SaveOpen
