#include "core/app/ExitSave.h"

#include "base/Failure.h"
#include "core/favourites/Favourites.h"

#include <utility>

namespace chimebox::app {

using settings::SettingsFile;

ExitSave::ExitSave(settings::SettingsFolder folder, favourites::Favourites &favourites)
    : folder_(std::move(folder)), favourites_(favourites)
{}

std::optional<QString> ExitSave::folderShown(const QString &folder)
{
    if (!written_ || *written_ == folder || kept_.contains(SettingsFile::LastFolder))
        return std::nullopt;
    try {
        folder_.writeLastFolder(folder);
    } catch (const Failure &failure) {
        if (std::exchange(failureReported_, true))
            return std::nullopt;
        return failure.message();
    }
    written_ = folder;
    failureReported_ = false;
    return std::nullopt;
}

QStringList ExitSave::save(const QString &shownFolder)
{
    Saved now{shownFolder, favourites_.folders()};
    if (saved_ == now)
        return {};
    saved_ = std::move(now);

    QStringList failures;
    const auto attempt = [&](SettingsFile file, auto &&write) {
        if (kept_.contains(file))
            return;
        try {
            write();
        } catch (const Failure &failure) {
            failures.append(failure.message());
        }
    };
    attempt(SettingsFile::LastFolder, [&] {
        folder_.writeLastFolder(shownFolder);
        if (written_)
            written_ = shownFolder;
    });
    attempt(SettingsFile::Favourites, [&] { favourites_.save(); });
    return failures;
}

} // namespace chimebox::app
