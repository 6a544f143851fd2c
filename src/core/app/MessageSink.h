#pragma once

#include <QString>

namespace chimebox::app {

// Every message box of the program goes through here, so tests can answer
// them without a modal loop. Boxes show the text, an OK button, no icon and
// the caption "CHIMEBOX7".
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    // Waits until the user has closed the box; the caller goes on afterwards.
    virtual void showMessage(const QString &text) = 0;
    // Reports a failed action and returns at once: the failed handler has
    // ended and nothing waits for the answer.
    virtual void showFailure(const QString &text) = 0;
};

} // namespace chimebox::app
