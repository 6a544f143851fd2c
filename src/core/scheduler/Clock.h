#pragma once

#include <QString>

namespace chimebox::scheduler {

// The time of day and the date as the tick reads them.
class Clock
{
public:
    virtual ~Clock() = default;
    // hh:mm:ss on the 24-hour clock.
    virtual QString timeText() const = 0;
    // MM-dd-yyyy.
    virtual QString dateText() const = 0;
};

class SystemClock final : public Clock
{
public:
    QString timeText() const override;
    QString dateText() const override;
};

} // namespace chimebox::scheduler
