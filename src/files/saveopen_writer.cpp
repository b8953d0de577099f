// The script writer: the one place where the text form of every element is fixed.
#include "saveopen.h"

namespace SaveOpen {

namespace {
const QString Crlf = QStringLiteral("\r\n");

// A random-load text, one possibility after the other: the file name, one
// blank, then "NN% " for a percentage; without a percentage the name is
// followed by two more blanks (as the editor makes it) or by nothing (as the
// reader makes it).
void appendRandomLoadBody(QString &out, QStringView t)
{
    bool first = true;
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
            // editor form of a missing percentage: two more blanks
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
            continue; // stray blank
        if (!first)
            out += Crlf;
        first = false;
        if (!percentage.isEmpty()) {
            out += percentage;
            out += QLatin1Char(' ');
        }
        out += QLatin1Char('"');
        out += name;
        out += QLatin1Char('"');
    }
}

void appendConstant(QString &out, QStringView t)
{
    static const QString prefix = QStringLiteral("Constante: ");
    static const QString eq = QStringLiteral(" = ");
    const qsizetype first = t.size() > 10 ? t.indexOf(eq, 10) : -1;
    out += QStringLiteral("(defconst ");
    if (first < 0) {
        // not the editor's form: keep the whole text rather than lose it
        out += t.startsWith(prefix) ? t.mid(prefix.size()) : t;
    } else {
        const qsizetype last = t.lastIndexOf(eq);
        out += t.mid(11, qMax<qsizetype>(0, first - 11));
        out += QLatin1Char(' ');
        out += t.mid(last + eq.size());
    }
    out += QLatin1Char(')');
}
} // namespace

QString BuildScriptText(const std::vector<ScriptLine> &rows)
{
    qsizetype size = 0;
    for (const ScriptLine &r : rows)
        size += r.text.size() + 24;
    QString out;
    out.reserve(size);

    bool separatorPending = false;
    // Starts a new output line; "=>" goes first when a rule's facts end here.
    auto newLine = [&](bool testsSeparator) {
        if (testsSeparator && separatorPending) {
            if (!out.isEmpty())
                out += Crlf;
            out += QStringLiteral("=>");
            separatorPending = false;
        }
        if (!out.isEmpty())
            out += Crlf;
    };

    for (const ScriptLine &r : rows) {
        const QString &t = r.text;
        switch (r.kind) {
        case LineKind::Prep:
            newLine(true);
            if (t.startsWith(QLatin1String("Si ")) && !t.startsWith(QLatin1String("Si inverse "))) {
                out += QStringLiteral("#load-if-defined ");
                out += QStringView(t).mid(3);
            } else if (t.startsWith(QLatin1String("Si inverse "))) {
                out += QStringLiteral("#load-if-not-defined ");
                out += QStringView(t).mid(11);
            } else if (t == QLatin1String("Sinon"))
                out += QStringLiteral("#else");
            else if (t == QLatin1String("Fin de si"))
                out += QStringLiteral("#end-if");
            else
                out += QLatin1Char(';') + t; // no directive of that form: kept as a comment
            break;
        case LineKind::Const:
            newLine(true);
            appendConstant(out, t);
            break;
        case LineKind::CommN:
            newLine(true);
            out += QLatin1Char(';');
            out += t;
            break;
        case LineKind::CommE:
            out += QStringLiteral("     ;");
            out += t.startsWith(QLatin1String("|-- ")) ? QStringView(t).mid(4) : QStringView(t);
            break;
        case LineKind::FactB:
            newLine(false);
            out += QStringLiteral("(defrule");
            break;
        case LineKind::FactE:
            newLine(false);
            out += QLatin1Char(')');
            separatorPending = false;
            break;
        case LineKind::FactOB:
            newLine(false);
            out += QStringLiteral("(or");
            separatorPending = true;
            break;
        case LineKind::FactAB:
            newLine(false);
            out += QStringLiteral("(nand");
            separatorPending = true;
            break;
        case LineKind::FactOE:
        case LineKind::FactAE:
            newLine(false);
            out += QLatin1Char(')');
            break;
        case LineKind::Fact:
            newLine(false);
            if (t.startsWith(QLatin1String("Inverse de "))) {
                out += QStringLiteral("(not (");
                out += QStringView(t).mid(11);
                out += QStringLiteral("))");
            } else {
                out += QLatin1Char('(');
                out += t;
                out += QLatin1Char(')');
            }
            separatorPending = true;
            break;
        case LineKind::Act:
            newLine(true);
            out += QLatin1Char('(');
            out += t;
            out += QLatin1Char(')');
            break;
        case LineKind::Load:
            newLine(true);
            out += QStringLiteral("(load \"");
            out += t;
            out += QStringLiteral("\")");
            break;
        case LineKind::RLoad:
            newLine(true);
            out += QStringLiteral("(load-random ");
            appendRandomLoadBody(out, t);
            out += QLatin1Char(')');
            break;
        case LineKind::BL:
            out += Crlf;
            break;
        case LineKind::Unknown:
            break;
        }
    }
    return out;
}

} // namespace SaveOpen
