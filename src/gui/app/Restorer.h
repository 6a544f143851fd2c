#pragma once

#include "core/app/Startup.h"

namespace chimebox::app {

class FormControls;

// Carries out start-up's plan on the window's controls, each step through
// the assignments that raise the controls' own handlers, nested, as a user's
// change would. A step whose handler fails ends there and is noted; the next
// step goes on.
class Restorer
{
public:
    explicit Restorer(FormControls &ui) : ui_(ui) {}

    RestoreResult run(const RestorePlan &plan);

private:
    void carryOut(const RestoreStep &step);

    FormControls &ui_;
};

} // namespace chimebox::app
