#pragma once

#include "core/playback/AudioOutput.h"

#include <QList>
#include <QPair>

// A sound server in a test's hands: it answers at once, keeps what it is told,
// and changes when the test changes it, as a user at the desktop would.
class FakeOutput : public chimebox::playback::AudioOutput
{
public:
    using OutputLevel = chimebox::playback::OutputLevel;
    using OutputState = chimebox::playback::OutputState;

    // Every level set, with its sink, in order.
    QList<QPair<QString, OutputLevel>> sets;
    int finished = 0;

    FakeOutput() { state_ = ready(OutputLevel::at(100, 2)); }

    static OutputState ready(const OutputLevel &level, const QString &sink = "speakers")
    {
        return {OutputState::Server::Ready, sink, QStringLiteral("スピーカー"), level};
    }

    int watched = 0;

    void watch() override { ++watched; }
    OutputState state() const override { return state_; }
    void setLevel(const QString &sink, const OutputLevel &level) override
    {
        sets.append({sink, level});
        if (state_.server == OutputState::Server::Ready && sink == state_.sink)
            change(ready(level, sink));
    }
    void finish(int) override { ++finished; }

    // The server says the output is now this.
    void change(const OutputState &state)
    {
        state_ = state;
        Q_EMIT changed();
    }
    void userSets(const OutputLevel &level) { change(ready(level, state_.sink)); }

private:
    OutputState state_;
};
