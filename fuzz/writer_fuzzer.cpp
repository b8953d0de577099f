// The writer on rows no reader made: each line of the input is a row, its
// first byte the kind ('A' for the first kind, 'B' for the next, ...) and the
// rest its text in UTF-8. Whatever the rows, writing must not crash, and the
// bytes saving would write are either refused with a message or hold the
// text the writer laid out.
#include "files/saveopen.h"
#include "fuzzsupport.h"
#include "shell/fileservices.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {
constexpr int KindCount = int(LineKind::Unknown) + 1;

std::vector<ScriptLine> rowsOf(QByteArrayView input)
{
    std::vector<ScriptLine> rows;
    while (!input.isEmpty()) {
        qsizetype end = input.indexOf('\n');
        if (end < 0)
            end = input.size();
        const QByteArrayView line = input.first(end);
        input = input.sliced(qMin(end + 1, input.size()));
        if (line.isEmpty())
            continue;
        ScriptLine row;
        row.kind = LineKind(quint8(line[0] - 'A') % KindCount);
        row.text = QString::fromUtf8(line.sliced(1));
        rows.push_back(std::move(row));
    }
    return rows;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    const std::vector<ScriptLine> rows = rowsOf(input);

    const QString crlf = SaveOpen::BuildScriptText(rows);
    // with texts of one line, the line end is the only thing that differs
    const bool oneLineTexts = std::none_of(rows.begin(), rows.end(), [](const ScriptLine &r) {
        return r.text.contains(QLatin1Char('\r')) || r.text.contains(QLatin1Char('\n'));
    });
    if (oneLineTexts) {
        const QString lf = SaveOpen::BuildScriptText(rows, u"\n");
        if (QString(crlf).replace(QStringLiteral("\r\n"), QStringLiteral("\n")) != lf)
            FuzzSupport::violation("the line end changed more than the line ends", crlf.toUtf8(), lf.toUtf8());
    }

    // saving new rows writes the layout, encoded, or refuses the one
    // character the game's encoding cannot hold
    ScriptSource source;
    SaveOpen::SaveText saved;
    QString error;
    const bool encodable = FileServices::firstUnencodable(crlf) < 0;
    if (encodable != SaveOpen::buildScriptBytes(rows, source, saved, error))
        FuzzSupport::violation("saving refused exactly the unencodable texts", crlf.toUtf8(), error.toUtf8());
    if (encodable && saved.bytes != FileServices::encode1252(crlf))
        FuzzSupport::violation("saving wrote other bytes than the layout", FileServices::encode1252(crlf), saved.bytes);
    source.encoding = TextEncoding::Utf8;
    SaveOpen::SaveText utf8;
    if (!SaveOpen::buildScriptBytes(rows, source, utf8, error, true) || utf8.bytes != crlf.toUtf8())
        FuzzSupport::violation("a UTF-8 save differs from the layout", crlf.toUtf8(), utf8.bytes);

    // what was written reads back into rows that write the same text again
    const QString again = SaveOpen::BuildScriptText(SaveOpen::readScriptText(crlf));
    SaveOpen::BuildScriptText(SaveOpen::readScriptText(again));
    return 0;
}
