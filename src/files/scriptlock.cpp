#include "scriptlock.h"

#include <QDir>
#include <QLockFile>

ScriptLock::ScriptLock() = default;
ScriptLock::~ScriptLock() = default;

std::optional<Recovery::Holder> ScriptLock::holder(const QString &script) const
{
    if (holds() && script == m_script)
        return std::nullopt;
    return Recovery::heldBy(Recovery::lockFor(script));
}

void ScriptLock::follow(const QString &script)
{
    if (script == m_script && (holds() || script.isEmpty()))
        return;
    m_lock.reset();
    m_error.clear();
    m_script = script;
    if (script.isEmpty() || !Recovery::makeFolder(m_error))
        return;
    m_lock = std::make_unique<QLockFile>(Recovery::lockFor(script));
    // stale only when its editor is gone, however long it has been held
    if (!Recovery::takeLock(*m_lock))
        m_lock.reset();
}

bool ScriptLock::holds() const
{
    return m_lock != nullptr;
}
