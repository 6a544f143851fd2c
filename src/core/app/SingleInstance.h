#pragma once

#include <QLockFile>
#include <QString>

namespace chimebox::app {

// One program per settings folder: two would each keep their own favourites
// and last folder, the last to close overwriting the other's, and both would
// ring. The lock is a file in the settings folder, held for the whole run.
// A program that was killed leaves it behind; the next start finds that
// process gone and takes the lock over.
class SingleInstance
{
public:
    // Named apart from the six settings files and the writer's temporary ones.
    static constexpr char kLockFileName[] = "chimebox.lock";

    enum class Claim {
        Held,          // this program holds the folder
        HeldElsewhere, // another program runs on the same folder
        Unavailable,   // no lock can be made there: a folder that cannot be written
    };

    explicit SingleInstance(const QString &settingsFolder);

    Claim claim();

private:
    QLockFile lock_;
};

} // namespace chimebox::app
