#include "app/ExitSave.h"

#include "Failure.h"

#include <utility>

namespace chimebox::app {

using settings::SettingsFile;

ExitSave::ExitSave(settings::SettingsFolder folder) : folder_(std::move(folder)) {}

QStringList ExitSave::save(const QString &shownFolder, const QStringList &favourites)
{
    Saved now{shownFolder, favourites};
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
    attempt(SettingsFile::LastFolder, [&] { folder_.writeLastFolder(shownFolder); });
    attempt(SettingsFile::Favourites, [&] { folder_.writeFavourites(favourites); });
    return failures;
}

} // namespace chimebox::app
