#pragma once

#include "core/app/MessageSink.h"

#include <QString>

namespace chimebox::app {

// "chimebox: " and the text as one line on standard error: for what no box can
// show, and beside a box for a start from a terminal or a session's log.
void printToStandardError(const QString &text);

// Passes messages on to the boxes until none can be shown any more (the
// program is leaving without its event loop); from then on each is a line on
// standard error.
class StandardErrorFallback final : public MessageSink
{
public:
    explicit StandardErrorFallback(MessageSink &boxes) : boxes_(boxes) {}

    void useStandardError() { boxesGone_ = true; }

    void showMessage(const QString &text) override;
    void showFailure(const QString &text) override;

private:
    MessageSink &boxes_;
    bool boxesGone_ = false;
};

} // namespace chimebox::app
