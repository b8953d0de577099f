// The registry of a Wine prefix as the settings read it. The input's first
// line is the value asked for: a root digit (0 HKCU, 1 HKLM, 2 HKCR, any
// other an incorrect root) then the value's path; the rest is written as
// both system.reg and user.reg of the prefix.
#include "fuzzsupport.h"
#include "shell/reg.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool prefixSet = [] {
        qputenv("WINEPREFIX", FuzzSupport::folder().path().toLocal8Bit());
        Reg::setMessageHandler([](const QString &) {});
        return true;
    }();
    (void)prefixSet;
    const QByteArrayView input(data, qsizetype(size));
    qsizetype end = input.indexOf('\n');
    if (end < 0)
        end = input.size();
    const QByteArrayView query = input.first(end);
    const QByteArrayView file = input.sliced(qMin(end + 1, input.size()));
    FuzzSupport::writeFile(QStringLiteral("system.reg"), file);
    FuzzSupport::writeFile(QStringLiteral("user.reg"), file);

    const int root = query.isEmpty() ? 1 : query[0] - '0';
    const QString path = QString::fromUtf8(query.isEmpty() ? query : query.sliced(1));
    QString value, error;
    if (Reg::ReadRegistryValue(root, path, value, error) && value.isNull())
        FuzzSupport::violation("a value was read as a null string", path.toUtf8(), QByteArray());
    return 0;
}
