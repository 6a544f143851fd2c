#pragma once

namespace chimebox::app {

// Without a display Qt's platform plugin cannot start: Qt prints several lines
// about plugins and aborts with a core dump. While the application object is
// built, this makes that one line on standard error and status 1. Any other
// message that comes meanwhile is held back and passed on once it stands.
class NoDisplayReport
{
public:
    NoDisplayReport();
    ~NoDisplayReport() { finish(); }

    // The application object stands: the held messages go out as usual.
    void finish();

    NoDisplayReport(const NoDisplayReport &) = delete;
    NoDisplayReport &operator=(const NoDisplayReport &) = delete;
};

} // namespace chimebox::app
