#include "gui/app/FirstShow.h"

#include "core/app/StandardError.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace chimebox::app {

#if QT_CONFIG(xcb)

namespace {

template <typename T> std::unique_ptr<T, decltype(&std::free)> reply(T *answer)
{
    return {answer, &std::free};
}

xcb_atom_t atom(xcb_connection_t *x, const char *name)
{
    const auto answer = reply(xcb_intern_atom_reply(
        x, xcb_intern_atom(x, 0, uint16_t(std::strlen(name)), name), nullptr));
    return answer ? answer->atom : xcb_atom_t(XCB_ATOM_NONE);
}

} // namespace

// The window as the X server and the window manager see it.
struct FirstShow::X11
{
    xcb_connection_t *x;
    xcb_window_t window;
    xcb_window_t root;
    xcb_atom_t wmState = atom(x, "WM_STATE");
    xcb_atom_t frameExtents = atom(x, "_NET_FRAME_EXTENTS");
    xcb_atom_t requestFrameExtents = atom(x, "_NET_REQUEST_FRAME_EXTENTS");

    // A window manager marks each window it has taken with WM_STATE.
    bool managed() const
    {
        const auto answer = reply(xcb_get_property_reply(
            x, xcb_get_property(x, 0, window, wmState, wmState, 0, 0), nullptr));
        return answer && answer->type == wmState;
    }

    // Whether the window manager says it answers the question.
    bool answers() const
    {
        const auto answer = reply(xcb_get_property_reply(
            x, xcb_get_property(x, 0, root, atom(x, "_NET_SUPPORTED"), XCB_ATOM_ATOM, 0, 4096),
            nullptr));
        if (!answer || answer->format != 32)
            return false;
        const auto *atoms = static_cast<const xcb_atom_t *>(xcb_get_property_value(answer.get()));
        const auto *end = atoms + xcb_get_property_value_length(answer.get()) / 4;
        return std::find(atoms, end, requestFrameExtents) != end;
    }

    // A window manager answers from its event loop, so after every request
    // made before the question.
    void ask() const
    {
        xcb_client_message_event_t question = {};
        question.response_type = XCB_CLIENT_MESSAGE;
        question.format = 32;
        question.window = window;
        question.type = requestFrameExtents;
        xcb_send_event(x, 0, root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                       reinterpret_cast<const char *>(&question));
        xcb_flush(x);
    }

    bool isAnswer(const xcb_generic_event_t *event) const
    {
        if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
            return false;
        const auto *change = reinterpret_cast<const xcb_property_notify_event_t *>(event);
        return change->window == window && change->atom == frameExtents;
    }

    // The request to map it once more, and nothing else: hiding it first
    // would withdraw it from a window manager that is merely slow.
    void map() const
    {
        xcb_map_window(x, window);
        xcb_flush(x);
    }
};

#else

struct FirstShow::X11
{};

#endif

FirstShow::FirstShow(QWidget &window, QObject *parent) : QObject(parent), window_(window)
{
    asking_.setInterval(kAskAgain);
    connect(&asking_, &QTimer::timeout, this, &FirstShow::ask);
}

FirstShow::~FirstShow()
{
    if (asking_.isActive())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

void FirstShow::show()
{
    window_.show();
    QTimer::singleShot(kPatience, this, &FirstShow::check);
    QWindow *handle = window_.windowHandle();
    if (!handle)
        return;
    // Some platforms expose a window within show() itself.
    if (handle->isExposed())
        QMetaObject::invokeMethod(this, &FirstShow::settle, Qt::QueuedConnection);
    else
        handle->installEventFilter(this);
}

bool FirstShow::eventFilter(QObject *watched, QEvent *event)
{
    // Queued, so that the paint the exposure brings comes first.
    if (event->type() == QEvent::Expose && static_cast<QWindow *>(watched)->isExposed())
        QMetaObject::invokeMethod(this, &FirstShow::settle, Qt::QueuedConnection);
    return false;
}

void FirstShow::check()
{
    // Exposed already: whatever hides it now is not the start's doing.
    if (settled_)
        return;
    const QWindow *handle = window_.windowHandle();
    if (!window_.isVisible() || window_.isMinimized() || !handle || handle->isExposed()) {
        settle();
        return;
    }
#if QT_CONFIG(xcb)
    if (const auto *native = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        xcb_connection_t *x = native->connection();
        x11_.reset(new X11{x, xcb_window_t(window_.winId()),
                           xcb_setup_roots_iterator(xcb_get_setup(x)).data->root});
        // Taken, and slow to map it, or iconic, or on another desktop.
        if (x11_->managed()) {
            settle();
            return;
        }
        if (x11_->answers()) {
            QCoreApplication::instance()->installNativeEventFilter(this);
            asking_.start();
            ask();
            return;
        }
    }
#endif
    showAgain();
}

// Asked again until answered: the question may be lost like the request.
void FirstShow::ask()
{
#if QT_CONFIG(xcb)
    if (++asked_ * kAskAgain <= kAskFor) {
        x11_->ask();
        return;
    }
#endif
    answered();
}

bool FirstShow::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
#if QT_CONFIG(xcb)
    if (asking_.isActive() && eventType == "xcb_generic_event_t" &&
        x11_->isAnswer(static_cast<const xcb_generic_event_t *>(message)))
        QMetaObject::invokeMethod(this, &FirstShow::answered, Qt::QueuedConnection);
#else
    Q_UNUSED(eventType);
    Q_UNUSED(message);
#endif
    return false;
}

void FirstShow::answered()
{
    if (!asking_.isActive())
        return;
    asking_.stop();
    QCoreApplication::instance()->removeNativeEventFilter(this);
#if QT_CONFIG(xcb)
    // Shown meanwhile, or taken by the window manager: it was only slow.
    if (settled_ || x11_->managed()) {
        settle();
        return;
    }
#endif
    showAgain();
}

void FirstShow::showAgain()
{
    printToStandardError(
        QStringLiteral("ウィンドウが %1 秒たっても表示されないため、もう一度表示します")
            .arg(kPatience.count()));
#if QT_CONFIG(xcb)
    if (x11_) {
        x11_->map();
        settle();
        return;
    }
#endif
    window_.hide();
    window_.show();
    settle();
}

void FirstShow::settle()
{
    if (std::exchange(settled_, true))
        return;
    if (QWindow *handle = window_.windowHandle())
        handle->removeEventFilter(this);
    Q_EMIT settled();
}

} // namespace chimebox::app
