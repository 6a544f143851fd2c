#pragma once

#include <QString>

namespace chimebox::app {

// "chimebox: " and the text as one line on standard error: for what no box can
// show, and beside a box for a start from a terminal or a session's log.
void printToStandardError(const QString &text);

} // namespace chimebox::app
