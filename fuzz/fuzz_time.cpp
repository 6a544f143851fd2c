#include "FuzzCheck.h"
#include "base/NativeName.h"
#include "core/scheduler/AlarmTime.h"
#include "core/settings/SettingsFiles.h"

#include <QByteArray>
#include <QDateTime>
#include <QTime>
#include <cstddef>
#include <cstdint>
#include <optional>

using chimebox::settings::StoredTime;

namespace {

// A clock that always reads the same second.
class FixedClock final : public chimebox::scheduler::Clock
{
public:
    explicit FixedClock(QTime time) : time_(time) {}
    QString timeText() const override { return chimebox::scheduler::timeTextOf(time_); }
    QString dateText() const override { return QStringLiteral("03-04-2024"); }
    QDateTime now() const override { return QDateTime(QDate(2024, 3, 4), time_); }

private:
    QTime time_;
};

} // namespace

// The stored time as the tick sees it: the text of a time file, its hour and
// minute parts, and whether they name the clock's minute. The first two bytes
// pick the clock's minute of the day, the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const int minuteOfDay = (data[0] << 8 | data[1]) % (24 * 60);
    const QTime minute(minuteOfDay / 60, minuteOfDay % 60);
    const FixedClock clock(minute.addSecs(30));
    const QString text = chimebox::nativename::decode(
        QByteArray(reinterpret_cast<const char *>(data + 2), qsizetype(size - 2)));

    const StoredTime time = chimebox::settings::parseTime(text);
    FUZZ_REQUIRE(time.hour.size() <= 2 && time.minute.size() <= 2);
    const QString clockText = time.clockText();
    FUZZ_REQUIRE(clockText.size() == time.hour.size() + 1 + time.minute.size());
    FUZZ_REQUIRE(clockText.at(time.hour.size()) == u':');

    // A stored time matches its own minute and no other, whatever surrounds it;
    // the minute it names is that one.
    const bool now = chimebox::scheduler::isNow(time, clock);
    FUZZ_REQUIRE(now == (clockText == minute.toString(u"HH:mm")));
    const std::optional<QTime> named = chimebox::scheduler::minuteOf(time);
    FUZZ_REQUIRE(!named || named->toString(u"HH:mm") == clockText);
    FUZZ_REQUIRE(!now || named == minute);

    // Two characters each, as the pickers write them, read back as written,
    // a full-width digit as its ASCII one.
    if (text.size() >= 4 && !text.left(4).contains(u'\r') && !text.left(4).contains(u'\n')) {
        const QString written = text.left(4);
        const StoredTime read = chimebox::settings::parseTime(written + QStringLiteral("\r\n"));
        const QString back = read.hour + read.minute;
        FUZZ_REQUIRE(back.size() == 4);
        for (qsizetype i = 0; i < 4; ++i) {
            const char16_t c = written[i].unicode();
            const bool fullWidth = c >= 0xFF10 && c <= 0xFF19;
            FUZZ_REQUIRE(back[i] == (fullWidth ? QChar(char16_t(c - 0xFF10 + u'0')) : written[i]));
        }
    }
    return 0;
}
