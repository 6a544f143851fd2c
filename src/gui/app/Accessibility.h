#pragma once

namespace chimebox::app {

// What a screen reader is told beyond Qt's own: that the program's window is a
// window, and what the drive list is, which Qt on Linux names by the drive it
// shows. Installed once; later calls do nothing.
void installAccessibility();

} // namespace chimebox::app
