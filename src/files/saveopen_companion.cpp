// The companion ".ai" file the game wants beside a script.
#include "saveopen.h"

#include "shell/fileservices.h"

#include <QFileInfo>

namespace SaveOpen {

QString companionFileName(const QString &scriptPath)
{
    const QString ext = FileServices::GetExtensionName(scriptPath);
    const QString stem = ext.isEmpty() && !scriptPath.endsWith(QLatin1Char('.'))
                             ? scriptPath
                             : scriptPath.left(scriptPath.size() - ext.size() - 1);
    return stem + QStringLiteral(".ai");
}

bool ensureCompanionFile(const QString &companionPath, QString &error)
{
    return QFileInfo::exists(companionPath) || FileServices::createEmptyFile(companionPath, error);
}

} // namespace SaveOpen
