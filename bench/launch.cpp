// Starts a program, waits until its first window is mapped and viewable, and
// prints the program's process id and the milliseconds that took; the
// program is left running. The clock starts just before the program does.
// Usage: bench_launch PROGRAM [ARGS...]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <cstdio>
#include <cstring>
#include <memory>
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    xcb_connection_t *x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const xcb_atom_t netWmPid = atom(x, "_NET_WM_PID");
    // Every new top-level window is reported, and then followed itself.
    const uint32_t rootEvents = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &rootEvents);
    std::free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));

    QStringList arguments;
    for (int i = 2; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QProcess program;
    program.setProgram(QString::fromLocal8Bit(argv[1]));
    program.setArguments(arguments);
    program.setStandardOutputFile(QProcess::nullDevice());
    program.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    qint64 pid = 0;
    if (!program.startDetached(&pid)) {
        std::fprintf(stderr, "cannot start %s\n", argv[1]);
        return 1;
    }

    // A window of the program counts once it and every window around it
    // (the window manager's frame) are mapped; Qt and GTK name the process.
    std::set<xcb_window_t> windows;
    const uint32_t windowEvents = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    const auto shown = [&] {
        for (xcb_window_t window : windows) {
            if (pidOf(x, window, netWmPid) == pid && viewable(x, window))
                return true;
        }
        return false;
    };
    while (xcb_generic_event_t *event = xcb_wait_for_event(x)) {
        const auto type = uint8_t(event->response_type & 0x7f);
        if (type == XCB_CREATE_NOTIFY) {
            const auto *created = reinterpret_cast<xcb_create_notify_event_t *>(event);
            if (created->parent == root && !created->override_redirect) {
                windows.insert(created->window);
                xcb_change_window_attributes(x, created->window, XCB_CW_EVENT_MASK, &windowEvents);
            }
        }
        std::free(event);
        if (type == XCB_CREATE_NOTIFY || type == XCB_MAP_NOTIFY) {
            if (shown()) {
                std::printf("%lld %.1f\n", pid, double(clock.nsecsElapsed()) / 1e6);
                return 0;
            }
        }
    }
    std::fprintf(stderr, "the X connection closed\n");
    return 1;
}
