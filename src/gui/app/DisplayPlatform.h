#pragma once

#include <QByteArray>
#include <vector>

namespace chimebox::app {

// The window places itself at the lower right and keeps its right edge when
// it changes width: X11's rules. A Wayland window cannot place itself, yet Qt
// picks its Wayland platform on GNOME and KDE whenever it is installed. So,
// unless the user chose a platform in QT_QPA_PLATFORM, chimebox runs on X11
// (XWayland there) whenever an X server answers, on Wayland otherwise.

// Whether display names an X server that takes a connection. A local one is
// tried by its socket, which costs a fraction of a millisecond and speaks no
// X; a display on another machine (ssh -X) is taken at its word, since
// connecting to it could wait on the network.
bool xServerAnswers(const QByteArray &display);

// The program's arguments for QApplication, with "-platform" added when this
// run should not leave the choice to Qt: "xcb" where an X server answers,
// "wayland" where none does and a Wayland display is named. Lives as long as
// the application.
class PlatformArguments
{
public:
    PlatformArguments(int argc, char **argv);

    int &count() { return count_; }
    char **values() { return values_.data(); }
    const QByteArray &platform() const { return platform_; }

private:
    QByteArray option_ = "-platform";
    QByteArray platform_;
    std::vector<char *> values_;
    int count_ = 0;
};

// Qt's theme for GNOME, Xfce, MATE, Cinnamon and LXDE loads GTK, whose own
// accessibility bridge starts the desktop's accessibility bus (at-spi) and
// waits for it while the application object is built, before the window can
// be shown. Qt's bridge speaks for chimebox's widgets and joins that bus
// whenever it runs, so GTK's is left out: NO_AT_BRIDGE is set while the
// application object is built, unless the user set it, and is gone again
// before chimebox starts any other program.
class GtkAccessibilityOff
{
public:
    GtkAccessibilityOff();
    ~GtkAccessibilityOff() { finish(); }

    // The application object stands.
    void finish();

    GtkAccessibilityOff(const GtkAccessibilityOff &) = delete;
    GtkAccessibilityOff &operator=(const GtkAccessibilityOff &) = delete;

private:
    bool set_ = false;
};

} // namespace chimebox::app
