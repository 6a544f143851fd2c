#include "TextFile.h"

#include "Failure.h"
#include "NativeName.h"

#include <QByteArray>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>

namespace chimebox::textfile {

namespace fs = std::filesystem;

namespace {

const QByteArray kCrLf("\r\n");

[[noreturn]] void fail(const QString &what, const QString &fileName)
{
    throw Failure(QStringLiteral("%1: %2").arg(what, fileName));
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

void refuseUnwritable(const fs::file_status &st, const QString &fileName)
{
    if (fs::is_directory(st))
        fail(QStringLiteral("フォルダなので書き込めません"), fileName);
    if (fs::exists(st) && (st.permissions() & fs::perms::owner_write) == fs::perms::none)
        fail(QStringLiteral("読み取り専用のため書き込めません"), fileName);
}

constexpr int kTempNameTries = 16;

fs::path siblingTempPath(const fs::path &target)
{
    static std::mt19937 gen{std::random_device{}()};
    fs::path tmp = target;
    tmp += fs::path(".tmp" + std::to_string(gen() % 1000000));
    return tmp;
}

void discard(const fs::path &tmp)
{
    std::error_code ignored;
    fs::remove(tmp, ignored);
}

// A new file beside target holding bytes, flushed and closed. It is created
// exclusively ("x"), so it never writes into a file or link someone else made;
// a name already taken is replaced by a fresh one.
fs::path writeTempBeside(const fs::path &target, const QByteArray &bytes, const QString &fileName)
{
    for (int attempt = 0; attempt < kTempNameTries; ++attempt) {
        const fs::path tmp = siblingTempPath(target);
        std::FILE *out = std::fopen(tmp.string().c_str(), "wbx");
        if (!out) {
            std::error_code ec;
            if (fs::exists(fs::symlink_status(tmp, ec)))
                continue;
            break;
        }
        const bool written =
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), out) == size_t(bytes.size()) &&
            std::fflush(out) == 0;
        if (std::fclose(out) == 0 && written)
            return tmp;
        discard(tmp);
        break;
    }
    fail(QStringLiteral("ファイルを書き込めません"), fileName);
}

} // namespace

QString ReadFile(const QString &FileName)
{
    const fs::path path = nativename::toPath(FileName);
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        fail(QStringLiteral("ファイルがありません"), FileName);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail(QStringLiteral("ファイルを開けません"), FileName);
    const auto size = fs::file_size(path, ec);
    if (ec)
        fail(QStringLiteral("ファイルを読めません"), FileName);
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (size > 0 && !in.read(bytes.data(), std::streamsize(size)))
        fail(QStringLiteral("ファイルを読めません"), FileName);
    return nativename::decode(bytes);
}

void WriteFile(const QString &FileName, const QString &Cont)
{
    const Resolved target = resolveLinks(nativename::toPath(FileName), FileName);
    refuseUnwritable(target.status, FileName);
    const fs::path tmp = writeTempBeside(target.path, contentBytes(Cont), FileName);
    std::error_code ec;
    // The new file takes the old one's permission bits: a file the user keeps
    // private stays private.
    if (fs::exists(target.status))
        fs::permissions(tmp, target.status.permissions() & fs::perms::mask, ec);
    if (!ec)
        fs::rename(tmp, target.path, ec);
    if (ec) {
        discard(tmp);
        fail(QStringLiteral("ファイルを書き込めません"), FileName);
    }
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
