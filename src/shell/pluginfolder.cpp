#include "pluginfolder.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace PluginFolder {

namespace {
QString &overridden()
{
    static QString folder;
    return folder;
}

QString libraryFolder()
{
#ifdef Q_OS_WIN
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&libraryFolder), &module);
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(module, buffer, DWORD(std::size(buffer)));
    return QFileInfo(QString::fromWCharArray(buffer, int(n))).absolutePath();
#else
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&libraryFolder), &info) && info.dli_fname)
        return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).absolutePath();
    return {};
#endif
}
} // namespace

QString dataFolder(const QString &folder, const QString &installed)
{
    const QDir beside(folder);
    if (beside.exists(QStringLiteral("Facts.txt")))
        return folder;
    const QString data = QDir::cleanPath(beside.filePath(installed));
    return QFileInfo(data).isDir() ? data : folder;
}

QString path()
{
    if (!overridden().isEmpty())
        return overridden();
    return dataFolder(libraryFolder(), QStringLiteral(VARDELO_DATA_FROM_PLUGINS));
}

void setPath(const QString &folder)
{
    overridden() = folder;
}

} // namespace PluginFolder
