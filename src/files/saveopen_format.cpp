// The formatter of `vardelo format`: every form in the editor's layout but
// those the layout would change, which stay as they were read.
#include "saveopen.h"
#include "saveopen_internal.h"
#include "saveopen_text.h"

#include "shell/fileservices.h"

#include <QStringDecoder>

namespace SaveOpen {

using Text::Utf8Mark;

namespace {

// Whether written, which holds the original's content, is cut as the
// original form was: into whole forms (two forms on one line are written on
// two lines), the first starting a top-level form as the original did, only
// the last left open and only if the original was, so the forms around it
// are cut as before; and whether it starts with the bytes of a byte-order
// mark only when the original did (at the start of a file they would read
// back as one).
bool cutsAs(const FormCutter::Form &original, bool originalMark, QByteArrayView written)
{
    if (written.startsWith(Utf8Mark) != originalMark)
        return false;
    if (FormCutter::cutsClosed(original, written))
        return true;
    FormCutter cutter(written, 0);
    FormCutter::Form f;
    if (!cutter.next(f) || f.top != original.top)
        return false;
    while (f.end < written.size()) {
        if (f.open || !cutter.next(f))
            return false;
    }
    return f.open == original.open;
}

} // namespace

bool cutsAlike(QByteArrayView original, QByteArrayView written)
{
    FormCutter cutter(original, 0);
    FormCutter::Form f;
    if (!cutter.next(f))
        return written.isEmpty();
    return cutsAs(f, original.startsWith(Utf8Mark), written);
}

bool formatScriptBytes(QByteArrayView bytes, const std::function<bool(QByteArrayView)> &write, QString &error)
{
    ScriptSource conventions;
    readConventions(bytes, conventions);
    const bool utf8 = conventions.encoding == TextEncoding::Utf8;
    const QStringView lineEnd(conventions.lineEnd);
    const QString blankLineEnd = conventions.lineEnd + conventions.lineEnd;
    QByteArray out;
    constexpr qsizetype Chunk = 1 << 16;
    out.reserve(2 * Chunk);
    if (conventions.byteOrderMark)
        out += Utf8Mark;

    // Form by form, with buffers kept from one to the next, handed on in
    // chunks: the output is never held whole.
    FormCutter cutter(bytes, conventions.byteOrderMark ? 3 : 0);
    FormCutter::Form f;
    QString source, text;
    std::vector<QStringView> lines;
    std::vector<ScriptLine> rows;
    std::vector<RowSpan> spans;
    QStringDecoder utf8Decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    bool lastLineEmpty = false;
    while (cutter.next(f)) {
        if (out.size() >= Chunk) {
            if (!write(out)) {
                error = QStringLiteral("écriture impossible");
                return false;
            }
            out.truncate(0);
        }
        const QByteArrayView formBytes = bytes.sliced(f.begin, f.end - f.begin);
        if (utf8)
            source = utf8Decoder.decode(formBytes); // a form's own leading U+FEFF is text
        else
            FileServices::decode1252(formBytes, source);
        FileServices::splitLines(source, lines);
        rows.clear();
        spans.clear();
        readFormRows(rows, lines, 0, 1, &spans);
        text.truncate(0);
        appendFormLayout(text, rows, spans, source, lineEnd);
        // A form the layout would change (its content, or how it is cut
        // from the forms around it) stays as it was read.
        const qsizetype mark = out.size();
        bool laidOut = sameContent(source, text);
        if (laidOut) {
            if (utf8)
                out += text.toUtf8();
            else
                laidOut = FileServices::appendEncoded1252(text, out);
            laidOut = laidOut && cutsAs(f, formBytes.startsWith(Utf8Mark), QByteArrayView(out).sliced(mark));
        }
        if (laidOut) {
            lastLineEmpty = text == lineEnd || text.endsWith(blankLineEnd);
        } else {
            out.truncate(mark);
            out += formBytes;
            lastLineEmpty = false;
        }
    }
    // A file that ended without a line end keeps that, unless its last line
    // is blank: it could not read back without one.
    const QByteArray end = conventions.lineEnd.toLatin1();
    if (!conventions.finalLineEnd && !lastLineEmpty && out.endsWith(end))
        out.chop(end.size());
    if (!out.isEmpty() && !write(out)) {
        error = QStringLiteral("écriture impossible");
        return false;
    }
    return true;
}

} // namespace SaveOpen
