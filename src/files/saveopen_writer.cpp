// The script writer: the one place where the text form of every element is fixed.
#include "saveopen.h"

#include "document/linebuilders.h"

namespace SaveOpen {

namespace {
const QString Crlf = QStringLiteral("\r\n");

// A random-load text, one possibility after the other: the percentage and
// the quoted file name, or the quoted name alone.
void appendRandomLoadBody(QString &out, QStringView t)
{
    bool first = true;
    for (const LineText::Possibility &p : LineText::randomLoadPossibilities(t)) {
        if (!first)
            out += Crlf;
        first = false;
        if (!p.percentage.isEmpty()) {
            out += p.percentage;
            out += QLatin1Char(' ');
        }
        out += QLatin1Char('"');
        out += p.file;
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
        // The value is all that follows the name's " = ", so a value that
        // holds " = " itself (a quoted text) is written whole.
        out += t.mid(11, qMax<qsizetype>(0, first - 11));
        out += QLatin1Char(' ');
        out += t.mid(first + eq.size());
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
