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
    return lock_.error() == QLockFile::LockFailedError ? Claim::HeldElsewhere : Claim::Unavailable;
}

} // namespace chimebox::app
