#pragma once

#include <QString>

namespace chimebox::app {

// One program per settings folder: two would each keep their own favourites
// and last folder, and both would ring. The program holds a lock on the
// settings folder itself for its whole run, which the kernel drops however the
// process ends. Nothing is made on disk for it, so nothing a dead copy left
// behind can block a start, and no file someone removes lets a second copy in.
class SingleInstance
{
public:
    enum class Claim {
        Held,          // this program holds the folder
        HeldElsewhere, // another live program holds the same folder
        Unavailable,   // the folder cannot be locked here; reason() says why
    };

    explicit SingleInstance(QString settingsFolder);
    ~SingleInstance();

    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    Claim claim();

    // Why the folder could not be locked, naming it; empty otherwise.
    const QString &reason() const { return reason_; }

    // What the second program says: the folder and that another copy uses it.
    static QString alreadyRunningText(const QString &settingsFolder);

private:
    QString folder_;
    QString reason_;
    int descriptor_ = -1;
};

} // namespace chimebox::app
