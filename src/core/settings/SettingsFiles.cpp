#include "core/settings/SettingsFiles.h"

#include "base/Failure.h"
#include "base/NativeName.h"
#include "base/TextFile.h"

#include <QFileInfo>
#include <filesystem>
#include <system_error>
#include <utility>

namespace chimebox::settings {

namespace fs = std::filesystem;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

bool isLineBreak(QChar c)
{
    return c == u'\r' || c == u'\n';
}

} // namespace

QString fileName(SettingsFile file)
{
    switch (file) {
    case SettingsFile::StopMarker:
        return QStringLiteral("/stoper.ini");
    case SettingsFile::PlayMarker:
        return QStringLiteral("/player.ini");
    case SettingsFile::StopTime:
        return QStringLiteral("/stoptime.ini");
    case SettingsFile::PlayTime:
        return QStringLiteral("/playtime.ini");
    case SettingsFile::Favourites:
        return QStringLiteral("/chimeboxfl.ini");
    case SettingsFile::LastFolder:
        return QStringLiteral("/chimebox.ini");
    }
    return {};
}

SettingsFolder::SettingsFolder(QString folder) : folder_(std::move(folder)) {}

QString SettingsFolder::path(SettingsFile file) const
{
    return folder_ + fileName(file);
}

bool SettingsFolder::isPresent(SettingsFile file) const
{
    const fs::path p = nativename::toPath(path(file));
    std::error_code ec;
    if (!fs::is_regular_file(p, ec))
        return false;
#ifdef _WIN32
    const QString name = path(file);
    return !QFileInfo(name).isHidden();
#else
    return true;
#endif
}

void SettingsFolder::writeMarker(SettingsFile marker) const
{
    Q_ASSERT(marker == SettingsFile::StopMarker || marker == SettingsFile::PlayMarker);
    write(marker, QString());
}

void SettingsFolder::removeIfPresent(SettingsFile file) const
{
    if (!isPresent(file))
        return;
    std::error_code ec;
    fs::remove(nativename::toPath(path(file)), ec);
    if (ec)
        throw Failure(QStringLiteral("ファイルを削除できません: %1").arg(path(file)), ec.value());
}

StoredTime SettingsFolder::readTime(SettingsFile timeFile) const
{
    Q_ASSERT(timeFile == SettingsFile::StopTime || timeFile == SettingsFile::PlayTime);
    return parseTime(read(timeFile));
}

void SettingsFolder::writeTime(SettingsFile timeFile, const QString &hour,
                               const QString &minute) const
{
    Q_ASSERT(timeFile == SettingsFile::StopTime || timeFile == SettingsFile::PlayTime);
    write(timeFile, hour + minute);
}

QStringList SettingsFolder::readFavourites() const
{
    return parseFavourites(read(SettingsFile::Favourites));
}

void SettingsFolder::writeFavourites(const QStringList &folders) const
{
    write(SettingsFile::Favourites, formatFavourites(folders));
}

QString SettingsFolder::readLastFolder() const
{
    return parseLastFolder(read(SettingsFile::LastFolder));
}

void SettingsFolder::writeLastFolder(const QString &folder) const
{
    write(SettingsFile::LastFolder, folder);
}

QString SettingsFolder::read(SettingsFile file) const
{
    QString text = textfile::ReadFile(path(file), {kMaxSettingsBytes, kMaxLineBytes});
    // Windows editors start a UTF-8 file with a byte-order mark; it is no part
    // of the folder or the time, and the writer never adds one back.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}

void SettingsFolder::write(SettingsFile file, const QString &text) const
{
    textfile::WriteFile(path(file), text);
}

StoredTime parseTime(const QString &stored)
{
    QString text = stored;
    text.removeIf(isLineBreak);
    // A Japanese input method left in full-width mode types these digits
    // straight into the pickers; they mean what ASCII digits mean.
    for (QChar &c : text) {
        if (c >= QChar(0xFF10) && c <= QChar(0xFF19))
            c = QChar(char16_t(u'0' + (c.unicode() - 0xFF10)));
    }
    return {text.left(2), text.right(2)};
}

QStringList parseFavourites(const QString &text)
{
    // Splitting at each CR and each LF alone makes CR LF an empty piece,
    // dropped with the empty lines.
    QStringList items;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !isLineBreak(text[i]))
            continue;
        if (i > start)
            items.append(text.mid(start, i - start));
        start = i + 1;
    }
    return items;
}

QString formatFavourites(const QStringList &items)
{
    QString text;
    for (const QString &item : items)
        text += item + kCrLf;
    return text;
}

QString parseLastFolder(const QString &text)
{
    if (text.endsWith(kCrLf))
        return text.chopped(2);
    return !text.isEmpty() && isLineBreak(text.back()) ? text.chopped(1) : text;
}

} // namespace chimebox::settings
