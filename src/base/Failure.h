#pragma once

#include <QString>
#include <stdexcept>

namespace chimebox {

// The one way errors travel: a procedure throws, and the handler at the edge of
// the window decides whether to trap it or report it.
class Failure : public std::runtime_error
{
public:
    // error: the system's number for what went wrong (errno), when known.
    explicit Failure(const QString &message, int error = 0)
        : std::runtime_error(message.toStdString()), message_(message), error_(error)
    {}

    const QString &message() const noexcept { return message_; }
    int error() const noexcept { return error_; }

private:
    QString message_;
    int error_;
};

} // namespace chimebox
