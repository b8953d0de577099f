// Decoding a script: its encoding, byte-order mark and line ends.
#include "saveopen.h"
#include "saveopen_internal.h"
#include "saveopen_text.h"

#include "shell/fileservices.h"

#include <QStringDecoder>

namespace SaveOpen {

namespace {

// Whether bytes are well-formed UTF-8 (no overlong forms, surrogates or
// values beyond U+10FFFF).
bool isUtf8(QByteArrayView b)
{
    const auto *p = reinterpret_cast<const unsigned char *>(b.data());
    const qsizetype n = b.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int more = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0)
                lo = 0xA0;
            else if (c == 0xED)
                hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0)
                lo = 0x90;
            else if (c == 0xF4)
                hi = 0x8F;
        } else {
            return false;
        }
        for (int k = 1; k <= more; ++k) {
            if (i + k >= n)
                return false;
            const unsigned char d = p[i + k];
            if (d < (k == 1 ? lo : 0x80) || d > (k == 1 ? hi : 0xBF))
                return false;
        }
        i += more + 1;
    }
    return true;
}

} // namespace

void readConventions(QByteArrayView b, ScriptSource &s)
{
    s.byteOrderMark = b.startsWith(Text::Utf8Mark);
    const QByteArrayView body = s.byteOrderMark ? b.sliced(3) : b;
    bool ascii = true;
    for (const char c : body) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    }
    // A mark before bytes that are not UTF-8 stays a mark (kept on saving)
    // over text in the game's code page: read as text, it would make the
    // file's first line depend on whether the rest happens to be UTF-8.
    s.encoding = (s.byteOrderMark || !ascii) && isUtf8(body) ? TextEncoding::Utf8 : TextEncoding::Windows1252;
    // the file's own line end, from its first; CR LF when it has none
    const qsizetype nl = b.indexOf('\n');
    const qsizetype cr = b.indexOf('\r');
    if (cr >= 0 && (nl < 0 || cr < nl))
        s.lineEnd = cr + 1 < b.size() && b[cr + 1] == '\n' ? QStringLiteral("\r\n") : QStringLiteral("\r");
    else if (nl >= 0)
        s.lineEnd = QStringLiteral("\n");
    s.finalLineEnd = b.isEmpty() || b.endsWith('\n') || b.endsWith('\r');
}

QString decodeUtf8(QByteArrayView bytes)
{
    // a U+FEFF that starts the text after the file's mark is text
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(bytes);
}

ScriptSource decodeScript(QByteArray bytes)
{
    ScriptSource s;
    readConventions(bytes, s);
    const QByteArrayView body = QByteArrayView(bytes).sliced(s.byteOrderMark ? 3 : 0);
    s.text = s.encoding == TextEncoding::Utf8 ? decodeUtf8(body) : FileServices::decode1252(body);
    s.bytes = std::move(bytes);
    return s;
}

QString decodeScriptBytes(const QByteArray &bytes, const ScriptSource &source)
{
    QByteArrayView b(bytes);
    if (source.byteOrderMark && b.startsWith(Text::Utf8Mark))
        b = b.sliced(3);
    return source.encoding == TextEncoding::Utf8 ? decodeUtf8(b) : FileServices::decode1252(b);
}

} // namespace SaveOpen
