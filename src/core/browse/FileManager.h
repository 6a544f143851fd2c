#pragma once

#include <QString>

namespace chimebox::browse {

// Shows a folder in the desktop's file manager; tests replace it.
class FileManagerLauncher
{
public:
    virtual ~FileManagerLauncher() = default;
    virtual void open(const QString &folder) = 0;
};

// Starts the desktop's file manager on the folder as a program of its own,
// with the folder as its one argument (no shell in between) and never waited
// for. Throws chimebox::Failure when no file manager is installed or it
// cannot be started.
class DesktopFileManager : public FileManagerLauncher
{
public:
    void open(const QString &folder) override;

    // The program that would be started, with its full path; empty when none
    // is installed.
    static QString program();
};

} // namespace chimebox::browse
