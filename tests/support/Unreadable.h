#pragma once

#include <QFile>
#include <QString>

#ifdef Q_OS_LINUX
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

// Takes every permission from the file. Root reads such a file all the same,
// so a test run as root first gives up its right to override file modes (for
// the rest of this test process). False when the file stays readable.
inline bool makeUnreadable(const QString &path)
{
    if (!QFile::setPermissions(path, {}))
        return false;
#ifdef Q_OS_LINUX
    if (geteuid() == 0) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3]{};
        if (syscall(SYS_capget, &header, data) == 0) {
            for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH})
                data[CAP_TO_INDEX(cap)].effective &= ~CAP_TO_MASK(cap);
            syscall(SYS_capset, &header, data);
        }
    }
#endif
    QFile file(path);
    return !file.open(QIODevice::ReadOnly);
}
