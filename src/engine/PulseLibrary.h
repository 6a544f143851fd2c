#pragma once

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/glib-mainloop.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>

namespace chimebox::engine {

// libpulse's entry points, resolved when the program first asks the sound
// server about its output, after the window is up: a start pays nothing for
// them. libmpv depends on libpulse already, so it is there wherever the
// player plays. Throws chimebox::Failure when a library cannot be loaded.
struct PulseLibrary
{
    decltype(&pa_glib_mainloop_new) glibMainloopNew;
    decltype(&pa_glib_mainloop_free) glibMainloopFree;
    decltype(&pa_glib_mainloop_get_api) glibMainloopGetApi;
    decltype(&pa_context_new) contextNew;
    decltype(&pa_context_unref) contextUnref;
    decltype(&pa_context_connect) contextConnect;
    decltype(&pa_context_disconnect) contextDisconnect;
    decltype(&pa_context_get_state) contextGetState;
    decltype(&pa_context_errno) contextErrno;
    decltype(&pa_context_set_state_callback) contextSetStateCallback;
    decltype(&pa_context_set_subscribe_callback) contextSetSubscribeCallback;
    decltype(&pa_context_subscribe) contextSubscribe;
    decltype(&pa_context_get_server_info) contextGetServerInfo;
    decltype(&pa_context_get_sink_info_list) contextGetSinkInfoList;
    decltype(&pa_context_get_sink_input_info_list) contextGetSinkInputInfoList;
    decltype(&pa_context_set_sink_volume_by_name) contextSetSinkVolumeByName;
    decltype(&pa_context_set_sink_mute_by_name) contextSetSinkMuteByName;
    decltype(&pa_operation_unref) operationUnref;
    decltype(&pa_proplist_gets) proplistGets;
    decltype(&pa_strerror) strerror;

    static const PulseLibrary &get();
};

} // namespace chimebox::engine
