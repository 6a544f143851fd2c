#include "core/app/SingleInstance.h"

#include "base/NativeName.h"

#include <QDir>
#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace chimebox::app {

namespace {

QString shown(const QString &folder)
{
    return QDir::toNativeSeparators(folder);
}

} // namespace

SingleInstance::SingleInstance(QString settingsFolder) : folder_(std::move(settingsFolder)) {}

SingleInstance::~SingleInstance()
{
#ifdef Q_OS_UNIX
    if (descriptor_ >= 0)
        ::close(descriptor_);
#endif
}

QString SingleInstance::alreadyRunningText(const QString &settingsFolder)
{
    return QStringLiteral("chimebox はすでに起動しています（設定フォルダ: %1）。")
        .arg(shown(settingsFolder));
}

SingleInstance::Claim SingleInstance::claim()
{
#ifdef Q_OS_UNIX
    const auto unavailable = [this](int error) {
        reason_ = QStringLiteral("設定フォルダ %1 では二重起動を確かめられません（%2）。")
                      .arg(shown(folder_), QString::fromLocal8Bit(std::strerror(error)));
        return Claim::Unavailable;
    };
    if (descriptor_ >= 0)
        return Claim::Held;
    // Close-on-exec: a file manager started from the window, which may well
    // outlive it, must not hold the lock on.
    const int descriptor =
        ::open(nativename::encode(folder_).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return unavailable(errno);
    int result;
    do {
        result = ::flock(descriptor, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        descriptor_ = descriptor;
        return Claim::Held;
    }
    const int error = errno;
    ::close(descriptor);
    if (error == EWOULDBLOCK)
        return Claim::HeldElsewhere;
    // A file system without such locks (some network ones) says so here.
    return unavailable(error);
#else
    reason_ =
        QStringLiteral("設定フォルダ %1 では二重起動を確かめられません。").arg(shown(folder_));
    return Claim::Unavailable;
#endif
}

} // namespace chimebox::app
