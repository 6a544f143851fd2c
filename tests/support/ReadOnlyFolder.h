#pragma once

#include <QFile>
#include <QString>

#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

// Root writes into any folder whatever its mode: a test run as root gives up
// that right for the rest of its process, and the programs it starts give it up
// for good, so that they meet a read-only folder as a user's would.
namespace readonlyfolder {

#ifdef Q_OS_LINUX
constexpr int kOverrides[] = {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH};
#endif

inline void giveUpOverrideHere()
{
#ifdef Q_OS_LINUX
    if (geteuid() != 0)
        return;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return;
    for (const int cap : kOverrides)
        data[CAP_TO_INDEX(cap)].effective &= ~CAP_TO_MASK(cap);
    syscall(SYS_capset, &header, data);
#endif
}

// For a child process before it runs its program.
inline void giveUpOverrideForChild()
{
#ifdef Q_OS_LINUX
    for (const int cap : kOverrides)
        prctl(PR_CAPBSET_DROP, cap, 0, 0, 0);
#endif
}

const auto kReadOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
const auto kWritable = kReadOnly | QFileDevice::WriteOwner;

// False when a file can still be made in it.
inline bool make(const QString &folder)
{
    giveUpOverrideHere();
    if (!QFile::setPermissions(folder, kReadOnly))
        return false;
    QFile probe(folder + QStringLiteral("/probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return true;
    probe.remove();
    return false;
}

inline void undo(const QString &folder)
{
    QFile::setPermissions(folder, kWritable);
}

} // namespace readonlyfolder
