#pragma once

#include "support/ReadOnlyFolder.h"

#include <QFile>
#include <QString>

// Takes every permission from the file. Root reads such a file all the same,
// so a test run as root first gives up its right to override file modes (for
// the rest of this test process). False when the file stays readable.
inline bool makeUnreadable(const QString &path)
{
    if (!QFile::setPermissions(path, {}))
        return false;
    readonlyfolder::giveUpOverrideHere();
    QFile file(path);
    return !file.open(QIODevice::ReadOnly);
}
