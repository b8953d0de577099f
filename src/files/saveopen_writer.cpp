// The script writer: the editor's layout of every kind of row, and the save
// that keeps untouched forms as they were read.
#include "saveopen.h"
#include "saveopen_internal.h"
#include "saveopen_text.h"

#include "document/linebuilders.h"
#include "shell/fileservices.h"

#include <cstring>
#include <set>

namespace SaveOpen {

namespace {

// Appends to a string through its data, the string grown ahead: a piece
// costs a copy rather than a call into the string. The string is cut to
// what was written when the sink goes.
class StringSink
{
public:
    explicit StringSink(QString &s) : m_s(s), m_size(s.size()) {}
    ~StringSink() { m_s.resize(m_size); }
    StringSink(const StringSink &) = delete;
    StringSink &operator=(const StringSink &) = delete;

    void operator+=(QStringView piece)
    {
        const qsizetype n = piece.size();
        if (n == 0)
            return; // an empty view may have no data for memcpy
        if (m_size + n > m_capacity)
            grow(n);
        std::memcpy(m_data + m_size, piece.utf16(), size_t(n) * sizeof(char16_t));
        m_size += n;
    }
    void chop(qsizetype n) { m_size -= qMin(n, m_size); }

private:
    void grow(qsizetype n)
    {
        m_s.resize(qMax(m_size + n, qMax(m_s.capacity(), 2 * m_s.size() + 256)));
        m_data = reinterpret_cast<char16_t *>(m_s.data());
        m_capacity = m_s.size();
    }

    QString &m_s;
    qsizetype m_size;
    qsizetype m_capacity = 0;
    char16_t *m_data = nullptr;
};

// Writes rows in the editor's layout: one line per row, every line ended.
class LayoutWriter
{
public:
    // indent: what each level of a rule's groups adds before its lines
    // (none in the editor's own layout).
    LayoutWriter(QString &out, QStringView lineEnd, QStringView indent = {})
        : m_out(out), m_lineEnd(lineEnd), m_indent(indent)
    {
    }

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

    // A row read from several lines with comments among them: its text as
    // read, each line's leading blanks dropped, so that no comment moves.
    void verbatim(const ScriptLine &r, QStringView text)
    {
        if ((r.flags & ScriptLine::AfterArrow) || r.kind == LineKind::Act)
            separatorBeforeActions();
        if (r.kind == LineKind::FactB) {
            m_inRule = true;
            m_separatorWritten = false;
        }
        std::vector<QStringView> lines = FileServices::splitLines(text);
        // A text that ends with a line end runs on to an empty line: an
        // element left open up to the end of its form, whose last line is
        // empty, as a line of blanks would be once written.
        if (!text.isEmpty() && Text::isLineEnd(text.back()))
            lines.emplace_back();
        for (size_t k = 0; k < lines.size(); ++k) {
            indent();
            m_out += k ? Text::trimBlanks(lines[k]) : lines[k];
            end();
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
    void indent()
    {
        if (!m_indent.isEmpty())
            for (int d = 0; d < m_depth; ++d)
                m_out += m_indent;
    }
    void line(QStringView a, QStringView b = {}, QStringView c = {})
    {
        indent();
        m_out += a;
        m_out += b;
        m_out += c;
        end();
    }
    void separatorBeforeActions()
    {
        if (m_inRule && !m_separatorWritten) {
            --m_depth;
            line(u"=>");
            ++m_depth;
            m_separatorWritten = true;
            m_rowLine = m_lineEnds + 1;
        }
    }

    void row(const ScriptLine &r)
    {
        const QStringView t(r.text);
        if (r.flags & ScriptLine::AfterArrow)
            separatorBeforeActions();
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
            m_depth = 0;
            line(u"(defrule");
            m_depth = 1;
            m_inRule = true;
            m_separatorWritten = false;
            break;
        case LineKind::FactE:
            separatorBeforeActions();
            m_depth = 0;
            line(u")");
            m_inRule = false;
            m_separatorWritten = false;
            break;
        case LineKind::FactOB:
            line(u"(or");
            ++m_depth;
            break;
        case LineKind::FactAB:
            line(u"(nand");
            ++m_depth;
            break;
        case LineKind::FactTB:
            line(u"(and");
            ++m_depth;
            break;
        case LineKind::FactNB:
            line(u"(nor");
            ++m_depth;
            break;
        case LineKind::FactOE:
        case LineKind::FactAE:
        case LineKind::FactTE:
        case LineKind::FactNE:
            m_depth = qMax(m_inRule ? 1 : 0, m_depth - 1);
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
            if (t.isEmpty())
                end();
            else
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
        indent();
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
            m_out += u" ";
            m_out += t.mid(eq + RowText::ConstantSeparator.size());
        }
        line(u")");
    }

    // One possibility a line: the percentage and the quoted file name, or
    // the quoted name alone.
    void randomLoad(QStringView t)
    {
        indent();
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
                m_out += u" ";
            }
            m_out += u"\"";
            m_out += p.file;
            m_out += u"\"";
        }
        line(u")");
    }

    StringSink m_out;
    const QStringView m_lineEnd;
    const QStringView m_indent;
    int m_depth = 0; // of the rule's groups, the rule itself counting one
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

int countLineEnds(QStringView t)
{
    int n = 0;
    for (qsizetype i = 0; i < t.size(); ++i)
        if (t[i] == QLatin1Char('\n') || (t[i] == QLatin1Char('\r') && (i + 1 >= t.size() || t[i + 1] != QLatin1Char('\n'))))
            ++n;
    return n;
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

int appendLayout(QString &out, std::span<const ScriptLine> rows, QStringView lineEnd, QStringView indent, int *lines)
{
    LayoutWriter writer(out, lineEnd, indent);
    writer.write(rows.data(), rows.data() + rows.size(), lines);
    return writer.lineEnds();
}

void appendFormLayout(QString &out, std::span<const ScriptLine> rows, const std::vector<RowSpan> &spans,
                      QStringView formText, QStringView lineEnd)
{
    LayoutWriter writer(out, lineEnd);
    const size_t n = rows.size();
    for (size_t i = 0, j; i < n; i = j) {
        j = i + 1;
        while (j < n && spans[i].contains(spans[j]))
            ++j;
        if (j == i + 1) {
            writer.write(&rows[i], &rows[i] + 1);
        } else {
            qint32 end = spans[i].end;
            for (size_t k = i + 1; k < j; ++k)
                end = qMax(end, spans[k].end);
            writer.verbatim(rows[i], formText.mid(spans[i].begin, end - spans[i].begin));
        }
    }
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
    std::vector<int> patchedLines;
    std::set<int> patchedForms;
    std::vector<QStringView> formLines;
    std::vector<ScriptLine> readRows;
    std::vector<RowSpan> readSpans;
    bool refused = false;
    // New lines take the indentation the file uses (a new script has none).
    QString indent;
    bool indentKnown = false;
    const std::function<QStringView()> fileIndent = [&]() -> QStringView {
        if (!indentKnown)
            indent = indentUnit(source.text);
        indentKnown = true;
        return indent;
    };

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
        int *lines = result.lines.data() + i;
        int lineEnds = 0;
        // a part's text is written once: rows of it found apart again are laid out
        const bool patched = !canonical && form >= 0 && form < source.formCount() && patchedForms.insert(form).second;
        if (patched) {
            patchForm(source, form, std::span<const ScriptLine>(data + i, j - i), fileIndent, text, patchedLines);
            std::copy(patchedLines.begin(), patchedLines.end(), lines);
            lineEnds = countLineEnds(text);
        } else if (canonical && form >= 0 && form < source.formCount() && !source.forms[size_t(form)].edited) {
            // as the formatter lays it out: rows read with comments inside as read
            const QStringView formText = source.formText(form);
            FileServices::splitLines(formText, formLines);
            readRows.clear();
            readSpans.clear();
            readFormRows(readRows, formLines, form, source.forms[size_t(form)].firstLine, &readSpans);
            appendFormLayout(text, readRows, readSpans, formText, source.lineEnd);
            // the lines of the rows as read, one after the other
            lineEnds = countLineEnds(text);
            lastLineEmpty = text == source.lineEnd || text.endsWith(source.lineEnd + source.lineEnd);
        } else {
            LayoutWriter writer(text, source.lineEnd, canonical ? QStringView() : fileIndent());
            writer.write(data + i, data + j, lines);
            lastLineEmpty = writer.lastLineEmpty();
            lineEnds = writer.lineEnds();
        }
        for (size_t k = i; k < j; ++k, ++lines)
            *lines += *lines > 0 ? linesBefore : 0;
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
        // a patched form ends as its text read did
        linesBefore += lineEnds + (patched && !text.isEmpty() && !Text::isLineEnd(text.back()) ? 1 : 0);
        lastLaidOut = !patched;
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
