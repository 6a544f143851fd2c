#include "core/app/Startup.h"

#include "base/Failure.h"
#include "base/StringProcedures.h"
#include "core/browse/FolderScan.h"
#include "core/favourites/Favourites.h"

#include <exception>

namespace chimebox::app {

using settings::SettingsFile;

namespace {

class Steps
{
public:
    explicit Steps(RestoreResult &result) : result_(result) {}

    // Runs one step; a failure is noted with the setting's name and its file.
    template <typename Body> void run(const QString &setting, SettingsFile file, Body &&body)
    {
        try {
            body();
            return;
        } catch (const Failure &failure) {
            note(setting, failure.message());
        } catch (const std::exception &error) {
            note(setting, QString::fromLocal8Bit(error.what()));
        }
        if (!result_.notRestored.contains(file))
            result_.notRestored.append(file);
    }

private:
    void note(const QString &setting, const QString &why)
    {
        result_.failures.append(setting + QStringLiteral(": ") + why);
    }

    RestoreResult &result_;
};

QStringList paddedItems(int last, int step)
{
    QStringList items;
    for (int i = 0; i <= last; i += step)
        items.append(strings::zerost(QString::number(i), 2));
    return items;
}

} // namespace

RestoreResult restoreSettings(const settings::SettingsFolder &folder,
                              favourites::Favourites &favourites, RestoreTarget &target)
{
    RestoreResult result;
    Steps steps(result);
    const auto present = [&folder](SettingsFile file) { return folder.isPresent(file); };

    if (present(SettingsFile::Favourites)) {
        steps.run(QStringLiteral("お気に入り"), SettingsFile::Favourites, [&] {
            favourites.load();
            target.addFavourites(favourites.folders());
        });
    }
    if (present(SettingsFile::StopTime)) {
        steps.run(QStringLiteral("停止タイマの時刻"), SettingsFile::StopTime,
                  [&] { target.showStopTime(folder.readTime(SettingsFile::StopTime)); });
    }
    if (present(SettingsFile::PlayTime)) {
        steps.run(QStringLiteral("再生タイマーの時刻"), SettingsFile::PlayTime,
                  [&] { target.showPlayTime(folder.readTime(SettingsFile::PlayTime)); });
    }
    if (present(SettingsFile::StopMarker)) {
        steps.run(QStringLiteral("停止タイマ"), SettingsFile::StopMarker,
                  [&] { target.tickStopTimer(); });
    }
    if (present(SettingsFile::PlayMarker)) {
        steps.run(QStringLiteral("再生タイマー"), SettingsFile::PlayMarker,
                  [&] { target.tickPlayTimer(); });
    }
    if (present(SettingsFile::LastFolder)) {
        QString last;
        steps.run(QStringLiteral("前回のフォルダ"), SettingsFile::LastFolder,
                  [&] { last = folder.readLastFolder(); });
        // A deleted folder or an unplugged stick is nothing to report.
        if (browse::isFolder(last)) {
            steps.run(QStringLiteral("前回のフォルダ"), SettingsFile::LastFolder,
                      [&] { target.openFolder(last); });
        }
    }
    target.fillPickers(hourItems(), minuteItems());
    return result;
}

QStringList hourItems()
{
    return paddedItems(23, 1);
}

QStringList minuteItems()
{
    return paddedItems(50, 10);
}

} // namespace chimebox::app
