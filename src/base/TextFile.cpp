#include "base/TextFile.h"

#include "base/AtomicFile.h"
#include "base/Failure.h"
#include "base/NativeName.h"

#include <QByteArray>
#include <algorithm>
#include <cerrno>
#include <fstream>
#include <optional>
#include <system_error>

namespace chimebox::textfile {

namespace fs = std::filesystem;

namespace {

const QByteArray kCrLf("\r\n");

[[noreturn]] void fail(const QString &what, const QString &fileName, int error = 0)
{
    throw Failure(QStringLiteral("%1: %2").arg(what, fileName), error);
}

QByteArray contentBytes(const QString &cont)
{
    return nativename::encode(cont) + kCrLf;
}

// Linux stops at the same depth; deeper chains are taken for loops.
constexpr int kMaxLinkHops = 40;

struct Resolved
{
    fs::path path;
    fs::file_status status;
};

// Where a write to path lands: the path itself or, for a symbolic link, the
// end of its chain, each relative link read against the link's own folder.
// Writing there keeps the links, so a settings file linked into another folder
// stays linked. A chain that ends nowhere or loops is refused, since following
// it would create a file the user never named.
Resolved resolveLinks(const fs::path &path, const QString &fileName)
{
    fs::path at = path;
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        std::error_code ec;
        const fs::file_status st = fs::symlink_status(at, ec);
        if (st.type() == fs::file_type::none)
            fail(QStringLiteral("ファイルを書き込めません"), fileName);
        if (!fs::is_symlink(st)) {
            if (hop > 0 && !fs::exists(st))
                break;
            return {at, st};
        }
        const fs::path next = fs::read_symlink(at, ec);
        if (ec)
            fail(QStringLiteral("ファイルを書き込めません"), fileName);
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    fail(QStringLiteral("リンク先がありません"), fileName);
}

// Reads at most one byte past the limit. The buffer starts at the size the
// file reported and grows to the limit only for a file that holds more.
QByteArray readBounded(std::ifstream &in, qsizetype reported, qsizetype limit,
                       const QString &fileName)
{
    QByteArray bytes(reported + 1, Qt::Uninitialized);
    in.read(bytes.data(), bytes.size());
    qsizetype got = in.gcount();
    if (got == bytes.size() && got <= limit) {
        bytes.resize(limit + 1);
        in.read(bytes.data() + got, bytes.size() - got);
        got += in.gcount();
    }
    if (in.bad())
        fail(QStringLiteral("ファイルを読めません"), fileName);
    if (got > limit)
        fail(QStringLiteral("ファイルが大きすぎます"), fileName);
    bytes.truncate(got);
    return bytes;
}

qsizetype longestLine(const QByteArray &bytes)
{
    qsizetype longest = 0;
    qsizetype length = 0;
    for (const char c : bytes) {
        length = (c == '\r' || c == '\n') ? 0 : length + 1;
        longest = std::max(longest, length);
    }
    return longest;
}

void refuseUnwritable(const fs::file_status &st, const QString &fileName)
{
    if (fs::is_directory(st))
        fail(QStringLiteral("フォルダなので書き込めません"), fileName, EISDIR);
    if (fs::exists(st) && (st.permissions() & fs::perms::owner_write) == fs::perms::none)
        fail(QStringLiteral("読み取り専用のため書き込めません"), fileName, EACCES);
}

} // namespace

QString ReadFile(const QString &FileName, const ReadLimits &Limits)
{
    const fs::path path = nativename::toPath(FileName);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        fail(QStringLiteral("ファイルがありません"), FileName);
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec)
        fail(QStringLiteral("ファイルを読めません"), FileName);
    if (size > std::uintmax_t(Limits.fileBytes))
        fail(QStringLiteral("ファイルが大きすぎます"), FileName);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail(QStringLiteral("ファイルを開けません"), FileName);
    const QByteArray bytes = readBounded(in, qsizetype(size), Limits.fileBytes, FileName);
    if (longestLine(bytes) > Limits.lineBytes)
        fail(QStringLiteral("長すぎる行があります"), FileName);
    return nativename::decode(bytes);
}

void WriteFile(const QString &FileName, const QString &Cont)
{
    const Resolved target = resolveLinks(nativename::toPath(FileName), FileName);
    refuseUnwritable(target.status, FileName);
    // The new file takes the old one's permission bits: a file the user keeps
    // private stays private.
    std::optional<fs::perms> perms;
    if (fs::exists(target.status))
        perms = target.status.permissions();
    atomicfile::replace(target.path, contentBytes(Cont), perms, FileName);
}

void AppendFile(const QString &FileName, const QString &Cont)
{
    const Resolved target = resolveLinks(nativename::toPath(FileName), FileName);
    refuseUnwritable(target.status, FileName);
    std::ofstream out(target.path, std::ios::binary | std::ios::app);
    if (!out)
        fail(QStringLiteral("ファイルを書き込めません"), FileName);
    const QByteArray bytes = contentBytes(Cont);
    out.write(bytes.constData(), std::streamsize(bytes.size()));
    out.flush();
    if (!out)
        fail(QStringLiteral("ファイルを書き込めません"), FileName);
}

} // namespace chimebox::textfile
