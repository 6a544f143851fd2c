#include "core/app/Startup.h"

#include "base/Failure.h"
#include "base/StringProcedures.h"
#include "core/browse/FolderScan.h"
#include "core/favourites/Favourites.h"

#include <exception>

namespace chimebox::app {

using settings::SettingsFile;
using Action = RestoreStep::Action;

namespace {

class Steps
{
public:
    explicit Steps(QList<RestoreStep> &steps) : steps_(steps) {}

    // Reads one setting; a failure becomes a failed step with the setting's
    // name and its file.
    template <typename Read>
    void read(const QString &setting, SettingsFile file, Action action, Read &&read)
    {
        RestoreStep step;
        step.action = action;
        step.setting = setting;
        step.file = file;
        try {
            read(step);
        } catch (const Failure &failure) {
            step.action = Action::Failed;
            step.failure = failure.message();
        } catch (const std::exception &error) {
            step.action = Action::Failed;
            step.failure = QString::fromLocal8Bit(error.what());
        }
        steps_.append(std::move(step));
    }

private:
    QList<RestoreStep> &steps_;
};

QStringList paddedItems(int last, int step)
{
    QStringList items;
    for (int i = 0; i <= last; i += step)
        items.append(strings::zerost(QString::number(i), 2));
    return items;
}

} // namespace

RestorePlan planRestore(const settings::SettingsFolder &folder, favourites::Favourites &favourites)
{
    RestorePlan plan;
    Steps steps(plan.steps);
    const auto present = [&folder](SettingsFile file) { return folder.isPresent(file); };

    if (present(SettingsFile::Favourites)) {
        steps.read(QStringLiteral("お気に入り"), SettingsFile::Favourites, Action::ShowFavourites,
                   [&](RestoreStep &step) {
                       favourites.load();
                       step.favourites = favourites.folders();
                   });
    }
    if (present(SettingsFile::StopTime)) {
        steps.read(QStringLiteral("停止タイマの時刻"), SettingsFile::StopTime, Action::ShowStopTime,
                   [&](RestoreStep &step) { step.time = folder.readTime(SettingsFile::StopTime); });
    }
    if (present(SettingsFile::PlayTime)) {
        steps.read(QStringLiteral("再生タイマーの時刻"), SettingsFile::PlayTime,
                   Action::ShowPlayTime,
                   [&](RestoreStep &step) { step.time = folder.readTime(SettingsFile::PlayTime); });
    }
    if (present(SettingsFile::StopMarker)) {
        steps.read(QStringLiteral("停止タイマ"), SettingsFile::StopMarker, Action::TickStopTimer,
                   [](RestoreStep &) {});
    }
    if (present(SettingsFile::PlayMarker)) {
        steps.read(QStringLiteral("再生タイマー"), SettingsFile::PlayMarker, Action::TickPlayTimer,
                   [](RestoreStep &) {});
    }
    if (present(SettingsFile::LastFolder)) {
        steps.read(QStringLiteral("前回のフォルダ"), SettingsFile::LastFolder, Action::ShowFolder,
                   [&](RestoreStep &step) { step.folder = folder.readLastFolder(); });
        // A deleted folder or an unplugged stick is nothing to report.
        const RestoreStep &last = plan.steps.constLast();
        if (last.action == Action::ShowFolder && !browse::isFolder(last.folder))
            plan.steps.removeLast();
    }
    plan.hours = paddedItems(23, 1);
    plan.minutes = paddedItems(50, 10);
    return plan;
}

QString RestoreResult::report() const
{
    if (failures.isEmpty())
        return {};
    return QStringLiteral("前回の設定の一部を復元できませんでした。\n\n") + failures.join(u'\n');
}

void RestoreResult::failed(const RestoreStep &step, const QString &why)
{
    failures.append(step.setting + QStringLiteral(": ") + why);
    if (!notRestored.contains(step.file))
        notRestored.append(step.file);
}

} // namespace chimebox::app
