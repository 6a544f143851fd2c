#include "support/Files.h"

#include "base/NativeName.h"

#include <QTest>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace testfiles {

namespace {

void fail(const char *what, const QString &path, const char *reason, Caller caller)
{
    const QByteArray message = QByteArray(what) + ' ' + path.toUtf8() + ": " + reason;
    QTest::qFail(message.constData(), caller.file, caller.line);
}

} // namespace

void writeFile(const QString &path, const QByteArray &bytes, Caller caller)
{
    const QByteArray name = chimebox::nativename::encode(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return fail("cannot write", path, std::strerror(errno), caller);
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            ::close(fd);
            return fail("cannot write", path, std::strerror(error), caller);
        }
        done += n;
    }
    if (::close(fd) != 0)
        fail("cannot write", path, std::strerror(errno), caller);
}

QByteArray readFile(const QString &path, Caller caller)
{
    const QByteArray name = chimebox::nativename::encode(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT)
        return kMissing;
    if (fd < 0) {
        fail("cannot read", path, std::strerror(errno), caller);
        return {};
    }
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            fail("cannot read", path, std::strerror(errno), caller);
            bytes.clear();
            break;
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    return bytes;
}

QString makeFolder(const QString &folder, const QStringList &files, Caller caller)
{
    std::error_code error;
    std::filesystem::create_directories(chimebox::nativename::toPath(folder), error);
    if (error) {
        fail("cannot make", folder, error.message().c_str(), caller);
        return folder;
    }
    for (const QString &name : files)
        writeFile(folder + u'/' + name, {}, caller);
    return folder;
}

} // namespace testfiles
