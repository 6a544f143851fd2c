#pragma once

#include "core/playback/AutoPlay.h"

#include <QByteArray>
#include <QtGlobal>

namespace chimebox::playback {

// A state by the name the code gives it, so a failed comparison reads
// "AutoPlay::Stopped" rather than a number.
inline QByteArray autoPlayName(AutoPlay state)
{
    switch (state) {
    case AutoPlay::Idle:
        return "AutoPlay::Idle";
    case AutoPlay::Ended:
        return "AutoPlay::Ended";
    case AutoPlay::Transitioning:
        return "AutoPlay::Transitioning";
    case AutoPlay::Requested:
        return "AutoPlay::Requested";
    case AutoPlay::Stopped:
        return "AutoPlay::Stopped";
    }
    return "AutoPlay(" + QByteArray::number(int(state)) + ')';
}

// QCOMPARE finds this beside the type and prints the name.
inline char *toString(AutoPlay state)
{
    return qstrdup(autoPlayName(state).constData());
}

} // namespace chimebox::playback
