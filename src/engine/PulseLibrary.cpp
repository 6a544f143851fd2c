#include "engine/PulseLibrary.h"

#include "base/Failure.h"

#include <QLibrary>
#include <optional>

namespace chimebox::engine {

namespace {

template <typename F> void resolve(QLibrary &library, F &entry, const char *name)
{
    entry = reinterpret_cast<F>(library.resolve(name));
    if (entry == nullptr)
        throw Failure(QStringLiteral("サウンドサーバーのライブラリ（%1）に %2 がありません")
                          .arg(library.fileName(), QString::fromLatin1(name)));
}

QLibrary &opened(QLibrary &library)
{
    if (!library.load())
        throw Failure(QStringLiteral("サウンドサーバーのライブラリを読み込めません（%1）")
                          .arg(library.errorString()));
    return library;
}

PulseLibrary load()
{
    QLibrary pulse(QStringLiteral("pulse"), 0);
    QLibrary glib(QStringLiteral("pulse-mainloop-glib"), 0);
    PulseLibrary api{};
    resolve(opened(pulse), api.contextNew, "pa_context_new");
    resolve(pulse, api.contextUnref, "pa_context_unref");
    resolve(pulse, api.contextConnect, "pa_context_connect");
    resolve(pulse, api.contextDisconnect, "pa_context_disconnect");
    resolve(pulse, api.contextGetState, "pa_context_get_state");
    resolve(pulse, api.contextErrno, "pa_context_errno");
    resolve(pulse, api.contextSetStateCallback, "pa_context_set_state_callback");
    resolve(pulse, api.contextSetSubscribeCallback, "pa_context_set_subscribe_callback");
    resolve(pulse, api.contextSubscribe, "pa_context_subscribe");
    resolve(pulse, api.contextGetServerInfo, "pa_context_get_server_info");
    resolve(pulse, api.contextGetSinkInfoList, "pa_context_get_sink_info_list");
    resolve(pulse, api.contextGetSinkInputInfoList, "pa_context_get_sink_input_info_list");
    resolve(pulse, api.contextSetSinkVolumeByName, "pa_context_set_sink_volume_by_name");
    resolve(pulse, api.contextSetSinkMuteByName, "pa_context_set_sink_mute_by_name");
    resolve(pulse, api.operationUnref, "pa_operation_unref");
    resolve(pulse, api.proplistGets, "pa_proplist_gets");
    resolve(pulse, api.strerror, "pa_strerror");
    resolve(opened(glib), api.glibMainloopNew, "pa_glib_mainloop_new");
    resolve(glib, api.glibMainloopFree, "pa_glib_mainloop_free");
    resolve(glib, api.glibMainloopGetApi, "pa_glib_mainloop_get_api");
    // Both stay loaded for the life of the process: a context, once made,
    // runs their code until the program ends.
    return api;
}

std::optional<PulseLibrary> loaded;

} // namespace

const PulseLibrary &PulseLibrary::get()
{
    if (!loaded)
        loaded = load();
    return *loaded;
}

} // namespace chimebox::engine
