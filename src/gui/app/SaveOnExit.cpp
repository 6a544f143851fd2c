#include "gui/app/SaveOnExit.h"

#include "core/app/StandardError.h"
#include "gui/app/Form1.h"

#include <cstdio>
#include <cstdlib>
#include <thread>

namespace chimebox::app {

namespace {

Form1 *window = nullptr;
StandardErrorFallback *messages = nullptr;
std::thread::id windowThread;

void saveAtExit()
{
    // Only the thread that owns the window may touch it.
    if (!window || std::this_thread::get_id() != windowThread)
        return;
    messages->useStandardError();
    window->Form_Unload();
    // The rest of the exit would destroy the objects that Qt's own threads
    // (the X event reader, D-Bus) are still using, and a crash there would
    // make a saved exit look like a crash. Nothing else needs to run.
    std::fflush(nullptr);
    std::_Exit(EXIT_FAILURE);
}

} // namespace

SaveOnExit::SaveOnExit(Form1 &w, StandardErrorFallback &m)
{
    Q_ASSERT(!window);
    // A handler cannot be taken back: it is registered once and finds nothing
    // to do once this object is gone.
    static const bool registered = std::atexit(saveAtExit) == 0;
    Q_UNUSED(registered);
    window = &w;
    messages = &m;
    windowThread = std::this_thread::get_id();
}

SaveOnExit::~SaveOnExit()
{
    window = nullptr;
    messages = nullptr;
}

} // namespace chimebox::app
