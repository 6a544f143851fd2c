#include "core/favourites/Favourites.h"

#include "base/Failure.h"

#include <utility>

namespace chimebox::favourites {

using settings::SettingsFile;

Favourites::Favourites(settings::SettingsFolder folder) : folder_(std::move(folder)) {}

void Favourites::load()
{
    try {
        folders_ = folder_.readFavourites();
    } catch (const Failure &) {
        kept_ = true;
        throw;
    }
    known_ = folders_;
}

std::optional<QString> Favourites::add(const QString &folder)
{
    folders_.append(folder);
    return written();
}

std::optional<QString> Favourites::remove(qsizetype index)
{
    if (index < 0 || index >= folders_.size())
        return std::nullopt;
    folders_.removeAt(index);
    return written();
}

QString Favourites::missingFolderText()
{
    return QStringLiteral("フォルダがありません");
}

std::optional<QString> Favourites::folderAt(qsizetype index) const
{
    if (index < 0 || index >= folders_.size())
        return std::nullopt;
    return folders_.at(index);
}

void Favourites::save()
{
    if (kept_)
        return;
    try {
        if (onDisk() != known_)
            return;
    } catch (const Failure &) {
        // Unreadable now: whatever it holds is not this run's.
        return;
    }
    folder_.writeFavourites(folders_);
    known_ = folders_;
}

std::optional<QString> Favourites::written()
{
    if (kept_)
        return std::nullopt;
    try {
        folder_.writeFavourites(folders_);
    } catch (const Failure &failure) {
        return failure.message();
    }
    known_ = folders_;
    return std::nullopt;
}

std::optional<QStringList> Favourites::onDisk() const
{
    if (!folder_.isPresent(SettingsFile::Favourites))
        return std::nullopt;
    return folder_.readFavourites();
}

} // namespace chimebox::favourites
