// Reading a recovery file: any bytes are refused with a reason or give a
// copy that, written again, reads back the same; a copy taken back into a
// document saves in the script's own encoding or names the row it cannot.
#include "document/scriptdocument.h"
#include "files/recovery.h"
#include "files/saveopen.h"
#include "fuzzsupport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(data, qsizetype(size));
    Recovery::Saved saved;
    QString why;
    if (!Recovery::decode(input, saved, why)) {
        if (why.isEmpty())
            FuzzSupport::violation("a refused recovery file has no reason", input.toByteArray(), {});
        return 0;
    }
    Recovery::Saved again;
    const QByteArray written = Recovery::encode(saved);
    if (!Recovery::decode(written, again, why) || again.bytes != saved.bytes || again.script != saved.script
        || again.time != saved.time || again.encoding != saved.encoding || again.scriptEncoding != saved.scriptEncoding)
        FuzzSupport::violation("a recovery file written again reads back otherwise", written, why.toUtf8());

    ScriptDocument document;
    document.loadUnsaved(saved.bytes, saved.encoding, saved.script, saved.scriptEncoding);
    SaveOpen::SaveText text;
    QString error;
    if (!document.bytes(text, error) && error.isEmpty())
        FuzzSupport::violation("a refused save has no reason", saved.bytes, {});
    return 0;
}
