#pragma once

namespace chimebox::app {

class Form1;
class StandardErrorFallback;

// Qt's X11 platform ends the program with exit(1), from inside the event loop,
// when the connection to the X server breaks: main never returns and the
// window is never closed. The window's contents are still in memory, so such
// an exit saves them like a close (Form1::Form_Unload), with any failure on
// standard error since no box can be shown any more, and the program then ends
// at once with status 1. One per process, from the end of start-up until main
// returns; nothing is done at a normal exit.
class SaveOnExit
{
public:
    SaveOnExit(Form1 &window, StandardErrorFallback &messages);
    ~SaveOnExit();

    SaveOnExit(const SaveOnExit &) = delete;
    SaveOnExit &operator=(const SaveOnExit &) = delete;
};

} // namespace chimebox::app
