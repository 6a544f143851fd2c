#include "base/AtomicFile.h"

#include "base/Failure.h"

#include <QtGlobal>
#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace chimebox::atomicfile {

namespace fs = std::filesystem;

namespace {

constexpr int kTempNameTries = 16;
constexpr int kTempDigits = 6;

[[noreturn]] void fail(const QString &displayName, int error)
{
    throw Failure(QStringLiteral("ファイルを書き込めません: %1").arg(displayName), error);
}

fs::path temporaryPath(const fs::path &target)
{
    static std::mt19937 gen{std::random_device{}()};
    char digits[kTempDigits + 1];
    std::snprintf(digits, sizeof digits, "%06u", unsigned(gen() % 1000000));
    fs::path tmp = target;
    tmp += fs::path(std::string(".tmp") + digits);
    return tmp;
}

// Creates path for writing and fails when anything already has that name.
std::FILE *createExclusively(const fs::path &path)
{
#ifdef Q_OS_WIN
    return _wfopen(path.c_str(), L"wbx");
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

bool syncToDisk(std::FILE *file)
{
#ifdef Q_OS_WIN
    return _commit(_fileno(file)) == 0;
#else
    return ::fsync(fileno(file)) == 0;
#endif
}

// The rename itself is an entry of the folder: until the folder reaches the
// disk, a power cut may bring the old file back. A folder that cannot be
// synced (some file systems refuse) changes nothing for the file, which is
// already in place.
void syncFolderOf(const fs::path &target)
{
#ifndef Q_OS_WIN
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const int descriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    ::fsync(descriptor);
    ::close(descriptor);
#else
    Q_UNUSED(target);
#endif
}

void discard(const fs::path &tmp)
{
    std::error_code ignored;
    fs::remove(tmp, ignored);
}

bool writeAll(std::FILE *out, const QByteArray &bytes)
{
    const auto size = size_t(bytes.size());
    return std::fwrite(bytes.constData(), 1, size, out) == size && std::fflush(out) == 0 &&
           syncToDisk(out);
}

} // namespace

void replace(const fs::path &target, const QByteArray &bytes, std::optional<fs::perms> perms,
             const QString &displayName)
{
    for (int attempt = 0; attempt < kTempNameTries; ++attempt) {
        const fs::path tmp = temporaryPath(target);
        std::FILE *out = createExclusively(tmp);
        if (!out) {
            const int error = errno;
            std::error_code ec;
            if (fs::exists(fs::symlink_status(tmp, ec)))
                continue; // the name is taken: draw another
            fail(displayName, error);
        }
        const bool written = writeAll(out, bytes);
        int error = written ? 0 : errno;
        const bool closed = std::fclose(out) == 0;
        if (!closed && error == 0)
            error = errno;
        std::error_code ec;
        if (written && closed && perms)
            fs::permissions(tmp, *perms & fs::perms::mask, ec);
        if (written && closed && !ec)
            fs::rename(tmp, target, ec);
        if (!written || !closed || ec) {
            discard(tmp);
            fail(displayName, error != 0 ? error : ec.value());
        }
        syncFolderOf(target);
        return;
    }
    fail(displayName, EEXIST);
}

bool isTemporaryFor(const QString &name, const QString &targetName)
{
    const QString prefix = targetName + QStringLiteral(".tmp");
    if (name.size() != prefix.size() + kTempDigits || !name.startsWith(prefix))
        return false;
    for (qsizetype i = prefix.size(); i < name.size(); ++i) {
        if (!name.at(i).isDigit() || name.at(i).unicode() > u'9')
            return false;
    }
    return true;
}

} // namespace chimebox::atomicfile
