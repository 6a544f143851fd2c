#pragma once

#include <QProcess>
#include <csignal>
#include <sys/types.h>

// kill(2) reads a pid of 0 as the caller's whole process group and -1 as every
// process it may signal: signalling a program that has already ended, whose
// processId() is then 0, would end the test run itself (ctest, CI). Tests send
// signals only through here.
namespace testprocess {

inline bool sendSignal(qint64 pid, int signal)
{
    return pid > 0 && ::kill(pid_t(pid), signal) == 0;
}

inline bool sendSignal(const QProcess &process, int signal)
{
    return sendSignal(process.processId(), signal);
}

} // namespace testprocess
