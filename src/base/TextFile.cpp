#include "TextFile.h"

#include "AtomicFile.h"
#include "Failure.h"
#include "NativeName.h"

#include <QByteArray>
#include <fstream>
#include <optional>
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
