#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <xcb/xcb.h>

// A window manager of the test's own on an X server. It takes the root's
// redirection as every window manager does, and maps each window it is asked
// to, without a frame, marking it with WM_STATE; it answers
// _NET_REQUEST_FRAME_EXTENTS when it says so in _NET_SUPPORTED. Like openbox
// 3.6 starting on a busy machine, it can be busy for a while, reading
// nothing, and lose the first requests to map.
class FakeWindowManager
{
public:
    int mapsToLose = 0;
    // Also loses the requests to map that came while it was busy.
    bool losesMapsWhileBusy = false;
    bool answersFrameExtents = true;
    // Each request to map, by its window, in order.
    QList<xcb_window_t> mapRequests;
    int frameExtentQuestions = 0;

    bool start(const QString &display)
    {
        x_ = xcb_connect(display.toLatin1().constData(), nullptr);
        if (xcb_connection_has_error(x_))
            return false;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(x_)).data->root;
        wmState_ = atom("WM_STATE");
        frameExtents_ = atom("_NET_FRAME_EXTENTS");
        requestFrameExtents_ = atom("_NET_REQUEST_FRAME_EXTENTS");
        const uint32_t events =
            XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_generic_error_t *error = xcb_request_check(
            x_, xcb_change_window_attributes_checked(x_, root_, XCB_CW_EVENT_MASK, &events));
        if (error) {
            std::free(error);
            return false;
        }
        if (answersFrameExtents)
            xcb_change_property(x_, XCB_PROP_MODE_REPLACE, root_, atom("_NET_SUPPORTED"),
                                XCB_ATOM_ATOM, 32, 1, &requestFrameExtents_);
        xcb_flush(x_);
        return true;
    }

    // Reads nothing until ms from now, as while it starts.
    void busyFor(int ms)
    {
        busy_.setRemainingTime(ms);
        wasBusy_ = ms > 0;
    }

    // Handles what has come; a test calls it while it waits.
    void pump()
    {
        if (!busy_.hasExpired())
            return;
        // What came while it was busy is waiting now.
        const bool losing = std::exchange(wasBusy_, false) && losesMapsWhileBusy;
        while (xcb_generic_event_t *event = xcb_poll_for_event(x_)) {
            switch (event->response_type & 0x7f) {
            case XCB_MAP_REQUEST:
                map(reinterpret_cast<xcb_map_request_event_t *>(event)->window, losing);
                break;
            case XCB_CONFIGURE_REQUEST:
                configure(*reinterpret_cast<xcb_configure_request_event_t *>(event));
                break;
            case XCB_CLIENT_MESSAGE:
                answer(*reinterpret_cast<xcb_client_message_event_t *>(event));
                break;
            }
            std::free(event);
        }
        xcb_flush(x_);
    }

    bool viewable(xcb_window_t window) const
    {
        xcb_get_window_attributes_reply_t *attributes =
            xcb_get_window_attributes_reply(x_, xcb_get_window_attributes(x_, window), nullptr);
        const bool mapped = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        return mapped;
    }

    ~FakeWindowManager()
    {
        if (x_)
            xcb_disconnect(x_);
    }

private:
    xcb_atom_t atom(const char *name) const
    {
        xcb_intern_atom_reply_t *answer = xcb_intern_atom_reply(
            x_, xcb_intern_atom(x_, 0, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t value = answer ? answer->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(answer);
        return value;
    }

    void map(xcb_window_t window, bool losing)
    {
        mapRequests.append(window);
        if (losing || mapRequests.size() <= mapsToLose)
            return;
        const uint32_t normal[] = {1, XCB_NONE};
        xcb_change_property(x_, XCB_PROP_MODE_REPLACE, window, wmState_, wmState_, 32, 2, normal);
        xcb_map_window(x_, window);
    }

    // Done as asked, in the order of the request's value list.
    void configure(const xcb_configure_request_event_t &request)
    {
        QList<uint32_t> values;
        const uint16_t mask = request.value_mask;
        if (mask & XCB_CONFIG_WINDOW_X)
            values.append(uint32_t(request.x));
        if (mask & XCB_CONFIG_WINDOW_Y)
            values.append(uint32_t(request.y));
        if (mask & XCB_CONFIG_WINDOW_WIDTH)
            values.append(request.width);
        if (mask & XCB_CONFIG_WINDOW_HEIGHT)
            values.append(request.height);
        if (mask & XCB_CONFIG_WINDOW_BORDER_WIDTH)
            values.append(request.border_width);
        if (mask & XCB_CONFIG_WINDOW_SIBLING)
            values.append(request.sibling);
        if (mask & XCB_CONFIG_WINDOW_STACK_MODE)
            values.append(request.stack_mode);
        xcb_configure_window(x_, request.window, mask, values.constData());
    }

    void answer(const xcb_client_message_event_t &message)
    {
        if (!answersFrameExtents || message.type != requestFrameExtents_)
            return;
        ++frameExtentQuestions;
        const uint32_t none[] = {0, 0, 0, 0};
        xcb_change_property(x_, XCB_PROP_MODE_REPLACE, message.window, frameExtents_,
                            XCB_ATOM_CARDINAL, 32, 4, none);
    }

    xcb_connection_t *x_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    xcb_atom_t wmState_ = XCB_NONE;
    xcb_atom_t frameExtents_ = XCB_NONE;
    xcb_atom_t requestFrameExtents_ = XCB_NONE;
    QDeadlineTimer busy_{0};
    bool wasBusy_ = false;
};
