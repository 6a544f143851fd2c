#pragma once

#include <QString>
#include <stdexcept>

namespace chimebox {

// The one way errors travel: a procedure throws, and the handler at the edge of
// the window decides whether to trap it or report it.
class Failure : public std::runtime_error
{
public:
    explicit Failure(const QString &message)
        : std::runtime_error(message.toStdString()), message_(message)
    {}

    const QString &message() const noexcept { return message_; }

private:
    QString message_;
};

} // namespace chimebox
