#include "gui/app/DisplayPlatform.h"

#include <QtGlobal>
#include <cstdlib>
#include <utility>

#ifdef Q_OS_LINUX
#include <cstddef>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>
#endif

namespace chimebox::app {

namespace {

#ifdef Q_OS_LINUX
// The X server's socket for display number, in the abstract namespace first
// (where Xorg and Xwayland listen by default), then in the file system.
bool socketAnswers(int number)
{
    const QByteArray path = "/tmp/.X11-unix/X" + QByteArray::number(number);
    for (const bool abstract : {true, false}) {
        sockaddr_un address = {};
        address.sun_family = AF_UNIX;
        const std::size_t offset = abstract ? 1 : 0;
        std::memcpy(address.sun_path + offset, path.constData(), std::size_t(path.size()));
        const auto length =
            socklen_t(offsetof(sockaddr_un, sun_path) + offset + std::size_t(path.size()));
        const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (descriptor < 0)
            return false;
        const bool connected =
            ::connect(descriptor, reinterpret_cast<const sockaddr *>(&address), length) == 0;
        ::close(descriptor);
        if (connected)
            return true;
    }
    return false;
}
#endif

QByteArray choosePlatform()
{
    // The user's choice stands, and costs no look at the X server.
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return {};
    if (xServerAnswers(qgetenv("DISPLAY")))
        return "xcb";
    // Named outright: without a desktop session's hints Qt would try X first.
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return "wayland";
    return {};
}

} // namespace

bool xServerAnswers(const QByteArray &display)
{
#ifdef Q_OS_LINUX
    if (display.isEmpty())
        return false;
    char *host = nullptr;
    int number = 0;
    if (xcb_parse_display(display.constData(), &host, &number, nullptr) == 0)
        return false;
    const bool local = host[0] == '\0' || std::strcmp(host, "unix") == 0;
    std::free(host);
    return !local || socketAnswers(number);
#else
    return !display.isEmpty();
#endif
}

PlatformArguments::PlatformArguments(int argc, char **argv) : platform_(choosePlatform())
{
    values_.assign(argv, argv + argc);
    if (!platform_.isEmpty()) {
        values_.push_back(option_.data());
        values_.push_back(platform_.data());
    }
    count_ = int(values_.size());
    values_.push_back(nullptr);
}

GtkAccessibilityOff::GtkAccessibilityOff()
    : set_(!qEnvironmentVariableIsSet("NO_AT_BRIDGE") && qputenv("NO_AT_BRIDGE", "1"))
{}

void GtkAccessibilityOff::finish()
{
    if (std::exchange(set_, false))
        qunsetenv("NO_AT_BRIDGE");
}

} // namespace chimebox::app
