// The checks: a script read against catalogues read, then changed row by
// row; the document's problems, kept current one change at a time, must
// always be those a fresh analysis of its rows finds. The input holds
// Facts.txt, Acts.txt, Params.txt and the script, separated by NUL bytes;
// what follows the fourth NUL are the row changes, three bytes each (what,
// where, which text of the script).
#include "catalogues/records.h"
#include "catalogues/vocabulary.h"
#include "document/scriptdocument.h"
#include "document/scriptproblems.h"
#include "files/saveopen.h"
#include "fuzzsupport.h"
#include "shell/pluginfolder.h"

#include <QCoreApplication>
#include <cstddef>
#include <cstdint>

namespace {
QByteArray listed(const std::vector<Problems::Problem> &problems)
{
    QByteArray out;
    for (const Problems::Problem &p : problems)
        out += QByteArray::number(p.row) + ':' + QByteArray::number(p.line) + ':'
               + Problems::severityName(p.severity).toUtf8() + ": " + p.message.toUtf8() + '\n';
    return out;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "checks_fuzzer";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static const bool folderSet = (PluginFolder::setPath(FuzzSupport::folder().path()), true);
    (void)folderSet;

    const QByteArrayView input(data, qsizetype(size));
    QByteArrayView parts[5];
    qsizetype from = 0;
    for (int i = 0; i < 5; ++i) {
        qsizetype end = i < 4 && from <= input.size() ? input.indexOf('\0', from) : -1;
        if (end < 0)
            end = input.size();
        parts[i] = from < end ? input.sliced(from, end - from) : QByteArrayView();
        from = qMin(end + 1, input.size());
    }
    const char *names[] = {"Facts.txt", "Acts.txt", "Params.txt"};
    for (int i = 0; i < 3; ++i)
        FuzzSupport::writeFile(QString::fromLatin1(names[i]), parts[i]);
    Catalogues::clearProblems();
    const Vocabulary vocabulary = Vocabulary::loadCatalogues();

    ScriptDocument document;
    document.problems().setVocabulary(&vocabulary);
    document.loadUnsaved(parts[3].toByteArray(), TextEncoding::Windows1252, QString(), TextEncoding::Windows1252);
    const SaveOpen::ReadResult read = SaveOpen::readScriptBytes(parts[3].toByteArray(), false);
    ScriptModel &rows = document.rows();
    const Problems::Context context{&vocabulary, QString()};
    const auto compare = [&] {
        const QByteArray kept = listed(document.problems().problems());
        const QByteArray fresh = listed(Problems::analyse(rows.lines(), rows.structure(), context));
        if (kept != fresh)
            FuzzSupport::violation("the problems kept current differ from a fresh analysis", fresh, kept);
    };
    compare();
    const QByteArrayView changes = parts[4];
    for (qsizetype i = 0; i + 3 <= changes.size(); i += 3) {
        const auto what = uchar(changes[i]), where = uchar(changes[i + 1]), which = uchar(changes[i + 2]);
        const int count = rows.count();
        const int pos = count > 0 ? 1 + where % count : 0;
        const ScriptLine &source =
            read.rows.empty() ? ScriptLine{} : read.rows[size_t(which) % read.rows.size()];
        switch (what % 4) {
        case 0: // a row of the script, typed again elsewhere
            rows.setKind(rows.addRow(source.text, pos), source.kind);
            break;
        case 1:
            if (pos > 0)
                rows.removeRow(pos);
            break;
        case 2:
            if (pos > 0)
                rows.setText(pos, source.text);
            break;
        default:
            if (pos > 0)
                rows.setKind(pos, source.kind);
            break;
        }
        // a run of changes is checked at once, or once the loop turns
        if (what & 0x80)
            QCoreApplication::processEvents();
        if (what & 0x40)
            compare();
    }
    compare();
    return 0;
}
