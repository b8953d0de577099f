#pragma once

#include "recovery.h"

#include <QString>
#include <memory>

class QLockFile;

// The lock an editor holds on the script it has open, beside the recovery
// files: another editor opening the same script learns which process holds
// it. A lock left by an editor that no longer runs is taken over.
class ScriptLock
{
public:
    ScriptLock();
    ~ScriptLock();
    ScriptLock(const ScriptLock &) = delete;
    ScriptLock &operator=(const ScriptLock &) = delete;

    // The running editor, other than this lock's, that holds script's lock.
    std::optional<Recovery::Holder> holder(const QString &script) const;
    // Releases the lock of the script held so far, then takes script's
    // (none for ""); when another running editor holds it, none is taken,
    // and following the same script again tries again.
    void follow(const QString &script);
    bool holds() const;
    // Why the last lock could not be taken when no editor holds it (the
    // folder of the locks cannot be made); empty otherwise.
    const QString &error() const { return m_error; }

private:
    QString m_script;
    std::unique_ptr<QLockFile> m_lock;
    QString m_error;
};
