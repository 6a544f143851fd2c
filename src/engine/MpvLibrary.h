#pragma once

#include <mpv/client.h>

namespace chimebox::engine {

// libmpv's entry points, resolved once the window is up (or by the first file
// played, if that comes first). The library and the two hundred libraries it
// pulls in take some 45 MiB of memory and a noticeable part of a second, which
// the window's start need not wait for. Any thread may load it. Throws
// chimebox::Failure when libmpv cannot be loaded.
struct MpvLibrary
{
    decltype(&mpv_create) create;
    decltype(&mpv_initialize) initialize;
    decltype(&mpv_terminate_destroy) terminateDestroy;
    decltype(&mpv_set_option_string) setOptionString;
    decltype(&mpv_set_property) setProperty;
    decltype(&mpv_set_property_async) setPropertyAsync;
    decltype(&mpv_get_property) getProperty;
    decltype(&mpv_observe_property) observeProperty;
    decltype(&mpv_command) command;
    decltype(&mpv_command_ret) commandRet;
    decltype(&mpv_command_async) commandAsync;
    decltype(&mpv_free_node_contents) freeNodeContents;
    decltype(&mpv_set_wakeup_callback) setWakeupCallback;
    decltype(&mpv_request_log_messages) requestLogMessages;
    decltype(&mpv_wait_event) waitEvent;
    decltype(&mpv_error_string) errorString;

    static const MpvLibrary &get();
    // Whether get() has loaded the library in this process.
    static bool isLoaded();
};

} // namespace chimebox::engine
