#include "app/SingleInstance.h"

namespace chimebox::app {

SingleInstance::SingleInstance(const QString &settingsFolder)
    : lock_(settingsFolder + u'/' + QLatin1String(kLockFileName))
{
    // The lock is held for weeks, so its age says nothing: it is stale only
    // when the process named in it is gone (or the machine has restarted).
    lock_.setStaleLockTime(0);
}

SingleInstance::Claim SingleInstance::claim()
{
    if (lock_.tryLock(0))
        return Claim::Held;
    if (lock_.error() != QLockFile::LockFailedError)
        return Claim::Unavailable;
    // A file that names no process (a crash right after it was made left it
    // empty) is no program's lock. A program still starting holds it locked,
    // so the removal fails then.
    if (!lock_.getLockInfo(nullptr, nullptr, nullptr) && lock_.removeStaleLockFile() &&
        lock_.tryLock(0))
        return Claim::Held;
    return Claim::HeldElsewhere;
}

} // namespace chimebox::app
