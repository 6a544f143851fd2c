// Starts a program, waits until its first window is mapped and viewable, and
// prints the program's process id and the milliseconds that took; the
// program is left running. The clock starts just before the program does.
// With --late, a line "late PID" comes once that many milliseconds passed
// without the window; with --limit, "PID never" ends the wait.
// Usage: bench_launch [--late MS] [--limit MS] PROGRAM [ARGS...]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <set>
#include <xcb/xcb.h>

namespace {

template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T> Reply<T> reply(T *answer)
{
    return Reply<T>(answer, &std::free);
}

xcb_atom_t atom(xcb_connection_t *x, const char *name)
{
    const auto answer = reply(xcb_intern_atom_reply(
        x, xcb_intern_atom(x, 0, uint16_t(std::strlen(name)), name), nullptr));
    return answer ? answer->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// The process a window says it belongs to; 0 when it does not say.
qint64 pidOf(xcb_connection_t *x, xcb_window_t window, xcb_atom_t netWmPid)
{
    const auto answer = reply(xcb_get_property_reply(
        x, xcb_get_property(x, 0, window, netWmPid, XCB_ATOM_CARDINAL, 0, 1), nullptr));
    if (!answer || xcb_get_property_value_length(answer.get()) != 4)
        return 0;
    return *static_cast<const uint32_t *>(xcb_get_property_value(answer.get()));
}

bool viewable(xcb_connection_t *x, xcb_window_t window)
{
    const auto answer =
        reply(xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, window), nullptr));
    return answer && answer->map_state == XCB_MAP_STATE_VIEWABLE;
}

// The deadlines: --late reports once, --limit ends the wait.
struct Deadlines
{
    qint64 late = -1;
    qint64 limit = -1;

    // Says what has come due by now; the milliseconds to the next deadline,
    // or -1 for none.
    qint64 pass(qint64 now, qint64 pid)
    {
        if (late >= 0 && now >= late) {
            std::printf("late %lld\n", pid);
            std::fflush(stdout);
            late = -1;
        }
        if (limit >= 0 && now >= limit) {
            std::printf("%lld never\n", pid);
            std::exit(0);
        }
        qint64 wait = -1;
        for (const qint64 deadline : {late, limit}) {
            if (deadline >= 0 && (wait < 0 || deadline - now < wait))
                wait = deadline - now;
        }
        return wait;
    }
};

// The options before PROGRAM; first is PROGRAM's index in argv.
int readOptions(int argc, char *argv[], Deadlines &deadlines)
{
    int first = 1;
    for (; first + 1 < argc; first += 2) {
        if (std::strcmp(argv[first], "--late") == 0)
            deadlines.late = std::atoll(argv[first + 1]);
        else if (std::strcmp(argv[first], "--limit") == 0)
            deadlines.limit = std::atoll(argv[first + 1]);
        else
            break;
    }
    return first;
}

// The program's top-level windows as they are made, each followed itself.
class Windows
{
public:
    Windows(xcb_connection_t *x, qint64 pid)
        : x_(x), root_(xcb_setup_roots_iterator(xcb_get_setup(x)).data->root),
          netWmPid_(atom(x, "_NET_WM_PID")), pid_(pid)
    {}

    // Takes in an event; whether a window of the program is now viewable.
    bool shownAfter(const xcb_generic_event_t *event)
    {
        const auto type = uint8_t(event->response_type & 0x7f);
        if (type == XCB_CREATE_NOTIFY) {
            const auto *created = reinterpret_cast<const xcb_create_notify_event_t *>(event);
            if (created->parent == root_ && !created->override_redirect) {
                windows_.insert(created->window);
                const uint32_t events = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
                xcb_change_window_attributes(x_, created->window, XCB_CW_EVENT_MASK, &events);
                xcb_flush(x_);
            }
        }
        return (type == XCB_CREATE_NOTIFY || type == XCB_MAP_NOTIFY) && shown();
    }

private:
    // A window counts once it and every window around it (the window
    // manager's frame) are mapped; Qt and GTK name the process.
    bool shown() const
    {
        for (const xcb_window_t window : windows_) {
            if (pidOf(x_, window, netWmPid_) == pid_ && viewable(x_, window))
                return true;
        }
        return false;
    }

    xcb_connection_t *x_;
    xcb_window_t root_;
    xcb_atom_t netWmPid_;
    qint64 pid_;
    std::set<xcb_window_t> windows_;
};

// Waits for the next event, saying what comes due meanwhile.
xcb_generic_event_t *nextEvent(xcb_connection_t *x, Deadlines &deadlines,
                               const QElapsedTimer &clock, qint64 pid)
{
    while (true) {
        if (xcb_generic_event_t *event = xcb_poll_for_event(x))
            return event;
        if (xcb_connection_has_error(x))
            return nullptr;
        const qint64 wait = deadlines.pass(clock.elapsed(), pid);
        pollfd descriptor = {xcb_get_file_descriptor(x), POLLIN, 0};
        ::poll(&descriptor, 1, int(wait));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    Deadlines deadlines;
    const int first = readOptions(argc, argv, deadlines);
    if (first >= argc) {
        std::fprintf(stderr, "usage: %s [--late MS] [--limit MS] PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    // Every new top-level window is reported, and then followed itself.
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t rootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &rootEvents);
    std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));

    QStringList arguments;
    for (int i = first + 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QProcess program;
    program.setProgram(QString::fromLocal8Bit(argv[first]));
    program.setArguments(arguments);
    program.setStandardOutputFile(QProcess::nullDevice());
    program.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    qint64 pid = 0;
    if (!program.startDetached(&pid)) {
        std::fprintf(stderr, "cannot start %s\n", argv[first]);
        return 1;
    }

    Windows windows(x, pid);
    while (xcb_generic_event_t *event = nextEvent(x, deadlines, clock, pid)) {
        const bool shown = windows.shownAfter(event);
        std::free(event);
        if (shown) {
            std::printf("%lld %.1f\n", pid, double(clock.nsecsElapsed()) / 1e6);
            return 0;
        }
    }
    std::fprintf(stderr, "the X connection closed\n");
    return 1;
}
