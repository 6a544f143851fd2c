#pragma once

#include "core/app/MessageSink.h"

class QWidget;

namespace chimebox::app {

class QtMessageSink final : public MessageSink
{
public:
    void setParentWindow(QWidget *window) { parent_ = window; }

    void showMessage(const QString &text) override;
    void showFailure(const QString &text) override;

private:
    QWidget *parent_ = nullptr;
};

} // namespace chimebox::app
