#pragma once

#include "core/app/MessageSink.h"

#include <QStringList>

// Answers every message box at once and remembers what it said.
class FakeMessageSink final : public chimebox::app::MessageSink
{
public:
    void showMessage(const QString &text) override { messages.append(text); }
    void showFailure(const QString &text) override { failures.append(text); }

    QStringList messages;
    QStringList failures;
};
