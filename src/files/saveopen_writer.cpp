// The script writer: the editor's layout of every kind of row, and the save
// that keeps untouched forms as they were read.
#include "saveopen.h"
#include "saveopen_text.h"

#include "document/linebuilders.h"
#include "shell/fileservices.h"


namespace SaveOpen {

namespace {

// Writes rows in the editor's layout: one line per row, every line ended.
class LayoutWriter
{
public:
    LayoutWriter(QString &out, QStringView lineEnd) : m_out(out), m_lineEnd(lineEnd) {}

    // With lines, each row's line (1 for the first written, 0 for a row
    // not written) goes to lines[k] for the k-th row.
    void write(const ScriptLine *begin, const ScriptLine *end, int *lines = nullptr)
    {
        for (const ScriptLine *r = begin; r != end; ++r) {
            m_rowLine = m_lineEnds + 1;
            row(*r);
            if (lines)
                *lines++ = m_rowLine;
        }
    }

    // The line ends written.
    int lineEnds() const { return m_lineEnds; }

    // Whether the last line written is empty (or nothing was written).
    bool lastLineEmpty() const { return !m_canAppend; }

private:
    void end()
    {
        m_out += m_lineEnd;
        ++m_lineEnds;
        m_canAppend = true;
    }
    void line(QStringView a, QStringView b = {}, QStringView c = {})
    {
        m_out += a;
        m_out += b;
        m_out += c;
        end();
    }
    void separatorBeforeActions()
    {
        if (m_inRule && !m_separatorWritten) {
            line(u"=>");
            m_separatorWritten = true;
            m_rowLine = m_lineEnds + 1;
        }
    }

    void row(const ScriptLine &r)
    {
        const QStringView t(r.text);
        switch (r.kind) {
        case LineKind::Prep:
            if (t.startsWith(RowText::IfNotPrefix))
                line(u"#load-if-not-defined ", t.mid(RowText::IfNotPrefix.size()));
            else if (t.startsWith(RowText::IfPrefix))
                line(u"#load-if-defined ", t.mid(RowText::IfPrefix.size()));
            else if (t == RowText::Else)
                line(u"#else");
            else if (t == RowText::EndIf)
                line(u"#end-if");
            else
                line(u";", t); // no directive of that form: kept as a comment
            break;
        case LineKind::Const:
            constant(t);
            break;
        case LineKind::CommN:
            line(u";", t);
            break;
        case LineKind::CommE: {
            const QStringView comment = t.startsWith(RowText::EndCommentPrefix) ? t.mid(RowText::EndCommentPrefix.size()) : t;
            if (m_canAppend) {
                m_out.chop(m_lineEnd.size());
                m_rowLine = m_lineEnds--;
                line(u"     ;", comment);
            } else {
                line(u";", comment); // no line to end: a comment line
            }
            break;
        }
        case LineKind::FactB:
            line(u"(defrule");
            m_inRule = true;
            m_separatorWritten = false;
            break;
        case LineKind::FactE:
            separatorBeforeActions();
            line(u")");
            m_inRule = false;
            m_separatorWritten = false;
            break;
        case LineKind::FactOB:
            line(u"(or");
            break;
        case LineKind::FactAB:
            line(u"(nand");
            break;
        case LineKind::FactTB:
            line(u"(and");
            break;
        case LineKind::FactNB:
            line(u"(nor");
            break;
        case LineKind::FactOE:
        case LineKind::FactAE:
        case LineKind::FactTE:
        case LineKind::FactNE:
            line(u")");
            break;
        case LineKind::Fact:
            if (t.startsWith(RowText::NegationPrefix))
                line(u"(not (", t.mid(RowText::NegationPrefix.size()), u"))");
            else
                line(u"(", t, u")");
            break;
        case LineKind::Act:
            separatorBeforeActions();
            line(u"(", t, u")");
            break;
        case LineKind::Load:
            line(u"(load \"", t, u"\")");
            break;
        case LineKind::RLoad:
            randomLoad(t);
            break;
        case LineKind::BL:
            m_out += m_lineEnd;
            ++m_lineEnds;
            m_canAppend = false;
            break;
        case LineKind::Text:
            line(t);
            m_canAppend = !t.isEmpty();
            break;
        case LineKind::Unknown:
            m_rowLine = 0;
            break;
        }
    }

    void constant(QStringView t)
    {
        m_out += u"(defconst ";
        const qsizetype eq = t.startsWith(RowText::ConstantPrefix)
                                 ? t.indexOf(RowText::ConstantSeparator, RowText::ConstantPrefix.size())
                                 : -1;
        if (eq < 0) {
            // not the editor's form: keep the whole text rather than lose it
            m_out += t.startsWith(RowText::ConstantPrefix) ? t.mid(RowText::ConstantPrefix.size()) : t;
        } else {
            // The value is all that follows the name's " = ", so a value that
            // holds " = " itself (a quoted text) is written whole.
            m_out += t.mid(RowText::ConstantPrefix.size(), eq - RowText::ConstantPrefix.size());
            m_out += QLatin1Char(' ');
            m_out += t.mid(eq + RowText::ConstantSeparator.size());
        }
        line(u")");
    }

    // One possibility a line: the percentage and the quoted file name, or
    // the quoted name alone.
    void randomLoad(QStringView t)
    {
        m_out += u"(load-random ";
        bool first = true;
        for (const LineText::Possibility &p : LineText::randomLoadPossibilities(t)) {
            if (!first) {
                m_out += m_lineEnd;
                ++m_lineEnds;
            }
            first = false;
            if (!p.percentage.isEmpty()) {
                m_out += p.percentage;
                m_out += QLatin1Char(' ');
            }
            m_out += QLatin1Char('"');
            m_out += p.file;
            m_out += QLatin1Char('"');
        }
        line(u")");
    }

    QString &m_out;
    const QStringView m_lineEnd;
    int m_lineEnds = 0;
    int m_rowLine = 0;        // the line the row being written starts on
    bool m_canAppend = false; // a "Comm E" row may end the last line
    bool m_inRule = false;
    bool m_separatorWritten = false;
};

qsizetype sizeHint(const ScriptLine *begin, const ScriptLine *end)
{
    qsizetype size = 0;
    for (const ScriptLine *r = begin; r != end; ++r)
        size += r->text.size() + 16;
    return size;
}

// The refusal of a character Windows-1252 cannot hold, naming its line:
// linesBefore lines of the file come before text.
QString unencodableMessage(QStringView text, qsizetype at, int linesBefore)
{
    const qsizetype start = qMax(text.lastIndexOf(QLatin1Char('\n'), at), text.lastIndexOf(QLatin1Char('\r'), at)) + 1;
    qsizetype end = start;
    while (end < text.size() && !Text::isLineEnd(text[end]))
        ++end;
    qsizetype line = linesBefore + 1;
    for (qsizetype i = 0; i < start; ++i) {
        if (text[i] == QLatin1Char('\n') || (text[i] == QLatin1Char('\r') && (i + 1 >= text.size() || text[i + 1] != QLatin1Char('\n'))))
            ++line;
    }
    return QStringLiteral("Le script ne peut pas être enregistré: la ligne %1 contient le caractère «%2», "
                          "que le codage du jeu (Windows-1252) ne peut pas représenter.\n\nligne %1: %3")
        .arg(line)
        .arg(text.mid(at, text[at].isHighSurrogate() ? 2 : 1).toString(), text.mid(start, end - start).toString());
}

bool endsWithLineEnd(const QByteArray &b)
{
    return !b.isEmpty() && Text::isLineEnd(b.back());
}

} // namespace

void appendScriptText(QString &out, std::span<const ScriptLine> rows, QStringView lineEnd)
{
    LayoutWriter(out, lineEnd).write(rows.data(), rows.data() + rows.size());
}

void rowLayoutText(const ScriptLine &row, QString &out)
{
    out.truncate(0);
    LayoutWriter(out, u"\n").write(&row, &row + 1);
    if (out.endsWith(QLatin1Char('\n')))
        out.chop(1);
}

bool layoutWraps(const ScriptLine &row, QStringView &prefix, QStringView &suffix)
{
    switch (row.kind) {
    case LineKind::Fact:
        if (row.text.startsWith(RowText::NegationPrefix))
            return false;
        [[fallthrough]];
    case LineKind::Act:
        prefix = u"(";
        suffix = u")";
        return true;
    case LineKind::CommN:
        prefix = u";";
        suffix = {};
        return true;
    case LineKind::Load:
        prefix = u"(load \"";
        suffix = u"\")";
        return true;
    case LineKind::Text:
        prefix = suffix = {};
        return true;
    default:
        return false;
    }
}

QString BuildScriptText(const std::vector<ScriptLine> &rows, QStringView lineEnd)
{
    QString out;
    out.reserve(sizeHint(rows.data(), rows.data() + rows.size()));
    LayoutWriter(out, lineEnd).write(rows.data(), rows.data() + rows.size());
    return out;
}

bool buildScriptBytes(const std::vector<ScriptLine> &rows, const ScriptSource &source, SaveText &result, QString &error,
                      bool canonical)
{
    result = SaveText();
    QByteArray &out = result.bytes;
    out.reserve(source.bytes.size() + 4096);
    if (source.byteOrderMark)
        out += Text::Utf8Mark;
    const qsizetype start = out.size();
    const bool utf8 = source.encoding == TextEncoding::Utf8;
    const QByteArray lineEnd = source.lineEnd.toLatin1();
    int linesBefore = 0; // lines written so far
    result.lines.assign(rows.size(), 0);
    bool lastLaidOut = false;
    bool lastLineEmpty = false;
    QString text;
    bool refused = false;

    const ScriptLine *data = rows.data();
    forEachFormRun(rows, [&](size_t i, size_t j, int form) {
        if (refused)
            return;
        if (out.size() > start && !endsWithLineEnd(out))
            out += lineEnd; // the file's last line, without its line end, is no longer last
        const bool asRead = form >= 0 && form < source.formCount() && !source.forms[size_t(form)].edited
                            && (!canonical || source.isKept(form));
        if (asRead) {
            out += source.formBytes(form);
            const int firstLine = source.forms[size_t(form)].firstLine;
            for (size_t k = i; k < j; ++k)
                result.lines[k] = linesBefore + 1 + qMax(0, data[k].readLine - firstLine);
            linesBefore += source.lastLine(form) - firstLine + 1;
            lastLaidOut = false;
            return;
        }
        text.clear();
        LayoutWriter writer(text, source.lineEnd);
        int *lines = result.lines.data() + i;
        writer.write(data + i, data + j, lines);
        for (size_t k = i; k < j; ++k, ++lines)
            *lines += *lines > 0 ? linesBefore : 0;
        lastLineEmpty = writer.lastLineEmpty();
        if (utf8) {
            out += text.toUtf8();
        } else {
            const qsizetype bad = FileServices::firstUnencodable(text);
            if (bad >= 0) {
                refused = true;
                error = unencodableMessage(text, bad, linesBefore);
                result.character = text.mid(bad, text[bad].isHighSurrogate() ? 2 : 1);
                for (size_t k = i; k < j && result.row == 0; ++k)
                    if (data[k].text.contains(result.character))
                        result.row = int(k + 1);
                return;
            }
            out += FileServices::encode1252(text);
        }
        linesBefore += writer.lineEnds();
        lastLaidOut = true;
    });
    if (refused) {
        result.bytes.clear();
        result.lines.clear();
        return false;
    }
    result.lineCount = linesBefore;
    // A file that ended without a line end keeps that, unless its last line
    // is blank: it could not read back without one.
    if (lastLaidOut && !source.finalLineEnd && !lastLineEmpty && out.endsWith(lineEnd))
        out.chop(lineEnd.size());
    return true;
}

QString SaveText::rowMessage(const std::vector<ScriptLine> &rows, const QString &error) const
{
    if (row < 1 || size_t(row) > rows.size())
        return error;
    // The row as the list names it: its file line, or its place for one
    // not saved yet.
    const QString place = rowPlace(rows[size_t(row - 1)], row);
    return QStringLiteral("Le script ne peut pas être enregistré: la %1 contient le caractère «%2», "
                          "que le codage du jeu (Windows-1252) ne peut pas représenter.\n\n%1: %3")
        .arg(place, character, rows[size_t(row - 1)].text);
}

} // namespace SaveOpen
