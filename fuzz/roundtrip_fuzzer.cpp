// Reading then saving an untouched script gives back its bytes exactly, and
// the formatter is stable: formatting its own output changes nothing.
#include "files/saveopen.h"
#include "fuzzsupport.h"

#include <cstddef>
#include <cstdint>

namespace {
QByteArray format(QByteArrayView bytes)
{
    QByteArray out;
    QString problem;
    const auto write = [&out](QByteArrayView chunk) {
        out += chunk;
        return true;
    };
    if (!SaveOpen::formatScriptBytes(bytes, write, problem))
        FuzzSupport::violation("the formatter refused a file", bytes.toByteArray(), problem.toUtf8());
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));

    const SaveOpen::ReadResult read = SaveOpen::readScriptBytes(input);
    SaveOpen::SaveText saved;
    QString error;
    if (!SaveOpen::buildScriptBytes(read.rows, read.source, saved, error))
        FuzzSupport::violation("saving an untouched script failed", input, error.toUtf8());
    if (saved.bytes != input)
        FuzzSupport::violation("saving an untouched script changed its bytes", input, saved.bytes);
    // every form marked kept must be one of the script's forms
    for (const ScriptLine &row : read.rows)
        if (row.form < 0 || row.form >= read.source.formCount())
            FuzzSupport::violation("a row read from the file has no form", input, QByteArray::number(row.form));
    SaveOpen::keptFormsReport(read.source);

    const QByteArray once = format(input);
    const QByteArray twice = format(once);
    if (twice != once)
        FuzzSupport::violation("formatting the formatter's output changed it", once, twice);
    return 0;
}
