#include "engine/MpvLibrary.h"

#include "base/Failure.h"

#include <QLibrary>
#include <atomic>
#include <mutex>
#include <optional>

namespace chimebox::engine {

namespace {

template <typename F> void resolve(QLibrary &library, F &entry, const char *name)
{
    entry = reinterpret_cast<F>(library.resolve(name));
    if (entry == nullptr)
        throw Failure(QStringLiteral("再生エンジン（libmpv）に %1 がありません")
                          .arg(QString::fromLatin1(name)));
}

MpvLibrary load()
{
    // The client API of libmpv 0.35 on, whose soname carries version 2.
    QLibrary library(QStringLiteral("mpv"), MPV_CLIENT_API_VERSION >> 16);
    if (!library.load())
        throw Failure(QStringLiteral("再生エンジン（libmpv）を読み込めません（%1）")
                          .arg(library.errorString()));
    MpvLibrary api{};
    resolve(library, api.create, "mpv_create");
    resolve(library, api.initialize, "mpv_initialize");
    resolve(library, api.terminateDestroy, "mpv_terminate_destroy");
    resolve(library, api.setOptionString, "mpv_set_option_string");
    resolve(library, api.setProperty, "mpv_set_property");
    resolve(library, api.setPropertyAsync, "mpv_set_property_async");
    resolve(library, api.getProperty, "mpv_get_property");
    resolve(library, api.observeProperty, "mpv_observe_property");
    resolve(library, api.command, "mpv_command");
    resolve(library, api.commandRet, "mpv_command_ret");
    resolve(library, api.commandAsync, "mpv_command_async");
    resolve(library, api.freeNodeContents, "mpv_free_node_contents");
    resolve(library, api.setWakeupCallback, "mpv_set_wakeup_callback");
    resolve(library, api.requestLogMessages, "mpv_request_log_messages");
    resolve(library, api.waitEvent, "mpv_wait_event");
    resolve(library, api.errorString, "mpv_error_string");
    // Stays loaded for the life of the process: mpv's threads run its code.
    return api;
}

// The engine loads it in the background while the window may already want it.
std::mutex loading;
std::optional<MpvLibrary> loaded;
std::atomic<bool> isLoadedYet{false};

} // namespace

const MpvLibrary &MpvLibrary::get()
{
    const std::lock_guard lock(loading);
    if (!loaded) {
        loaded = load();
        isLoadedYet = true;
    }
    return *loaded;
}

bool MpvLibrary::isLoaded()
{
    // Answers at once, also while another thread loads it.
    return isLoadedYet;
}

} // namespace chimebox::engine
