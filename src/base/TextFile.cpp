#include "TextFile.h"

#include "Failure.h"
#include "NativeName.h"

#include <QByteArray>
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

void refuseReadOnly(const fs::path &path, const QString &fileName)
{
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (ec || !fs::exists(st))
        return;
    if (fs::is_directory(st))
        fail(QStringLiteral("フォルダなので書き込めません"), fileName);
    if ((st.permissions() & fs::perms::owner_write) == fs::perms::none)
        fail(QStringLiteral("読み取り専用のため書き込めません"), fileName);
}

fs::path siblingTempPath(const fs::path &target)
{
    static std::mt19937 gen{std::random_device{}()};
    fs::path tmp = target;
    tmp += fs::path(".tmp" + std::to_string(gen() % 1000000));
    return tmp;
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
    const fs::path target = nativename::toPath(FileName);
    refuseReadOnly(target, FileName);
    const QByteArray bytes = contentBytes(Cont);
    const fs::path tmp = siblingTempPath(target);
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            fail(QStringLiteral("ファイルを書き込めません"), FileName);
        out.write(bytes.constData(), std::streamsize(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            fs::remove(tmp, ignored);
            fail(QStringLiteral("ファイルを書き込めません"), FileName);
        }
    }
    std::error_code ec;
    fs::rename(tmp, target, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(tmp, ignored);
        fail(QStringLiteral("ファイルを書き込めません"), FileName);
    }
}

void AppendFile(const QString &FileName, const QString &Cont)
{
    const fs::path target = nativename::toPath(FileName);
    refuseReadOnly(target, FileName);
    std::ofstream out(target, std::ios::binary | std::ios::app);
    if (!out)
        fail(QStringLiteral("ファイルを書き込めません"), FileName);
    const QByteArray bytes = contentBytes(Cont);
    out.write(bytes.constData(), std::streamsize(bytes.size()));
    out.flush();
    if (!out)
        fail(QStringLiteral("ファイルを書き込めません"), FileName);
}

} // namespace chimebox::textfile
