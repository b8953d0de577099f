// The language server's reading of what a client sends: the input is the
// byte stream of a client, its first byte choosing the size of the pieces it
// arrives in. The messages cut from it must not depend on those pieces, and
// the server takes each one (a session of the seed corpus opens a script
// and asks for every feature) without crashing, hanging or leaking.
#include "fuzzsupport.h"
#include "lsp/lspmessages.h"
#include "lsp/lspserver.h"

#include <cstddef>
#include <cstdint>

namespace {
QList<QByteArray> cut(QByteArrayView stream, qsizetype piece)
{
    LspMessages::Reader reader;
    QList<QByteArray> out;
    for (qsizetype i = 0; i < stream.size(); i += piece) {
        reader.feed(stream.sliced(i, std::min(piece, stream.size() - i)));
        QByteArray body;
        QString error;
        for (auto r = reader.next(body, error); r != LspMessages::Reader::Result::NeedMore; r = reader.next(body, error))
            out << (r == LspMessages::Reader::Result::Message ? "M" + body : "E" + error.toUtf8());
    }
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool catalogues = [] {
        FuzzSupport::writeFile(QStringLiteral("Facts.txt"), "|||---|||stock <ressource> <quantite>\nAide.\n|||---|||serfs-oisifs\n");
        FuzzSupport::writeFile(QStringLiteral("Acts.txt"), "||--||former <unite>\n||--||dire <texte>\n");
        FuzzSupport::writeFile(QStringLiteral("Params.txt"), "<ressource>\nble (blé)\nbois\n\n<quantite>\nNum 0 100\n\n<unite>\narcher\n\n<texte>\n");
        FuzzSupport::writeFile(QStringLiteral("prepross.txt"), "Cartes\n(global, type 1)\n  CARTE-ILES (îles)\n");
        return true;
    }();
    (void)catalogues;
    if (size == 0)
        return 0;
    const QByteArrayView stream(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    const QList<QByteArray> whole = cut(stream, std::max<qsizetype>(stream.size(), 1));
    const QList<QByteArray> pieces = cut(stream, 1 + data[0] % 64);
    if (whole != pieces)
        FuzzSupport::violation("the same messages whatever pieces the bytes come in", whole.join('\n'), pieces.join('\n'));

    LspServer server(FuzzSupport::folder().path(), [](const QByteArray &) { return true; });
    for (const QByteArray &body : whole) {
        if (server.exited())
            break;
        if (body.startsWith('E'))
            server.badHeader(QString::fromUtf8(body.sliced(1)));
        else
            server.receive(body.sliced(1));
        server.idle();
    }
    return 0;
}
