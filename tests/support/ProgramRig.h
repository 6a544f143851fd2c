#pragma once

#include "support/Files.h"
#include "support/ReadOnlyFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <memory>

// The real program, copied into a folder of its own, which is therefore its
// settings folder; started as from a desktop session, with the signals' default
// handling whatever the test was started with, and meeting file modes as a
// user's would even when the test runs as root.
struct ProgramRig
{
    QTemporaryDir dir;
    QString program = dir.filePath(QStringLiteral("chimebox"));

    ProgramRig()
    {
        if (!QFile::copy(QStringLiteral(CHIMEBOX_BINARY), program))
            QTest::qFail(qPrintable(QStringLiteral("cannot copy the program to ") + program),
                         __FILE__, __LINE__);
    }

    QString path(const char *name) const { return dir.filePath(QString::fromUtf8(name)); }

    void put(const char *name, const QByteArray &bytes, testfiles::Caller caller = {}) const
    {
        testfiles::writeFile(path(name), bytes, caller);
    }

    QByteArray bytes(const char *name, testfiles::Caller caller = {}) const
    {
        return testfiles::readFile(path(name), caller);
    }

    QStringList files() const
    {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    // This process's environment, but a program started with it stays off the
    // session bus of whoever runs the tests; a test that wants a bus gives its own.
    static QProcessEnvironment withoutSessionBus()
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=/nonexistent/chimebox-tests"));
        return environment;
    }

    static QProcessEnvironment offscreen()
    {
        QProcessEnvironment environment = withoutSessionBus();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return environment;
    }

    std::unique_ptr<QProcess> start(const QProcessEnvironment &environment = offscreen()) const
    {
        auto process = std::make_unique<QProcess>();
        process->setProcessEnvironment(environment);
        process->setWorkingDirectory(dir.path());
        process->setChildProcessModifier([] {
            for (const int s : {SIGTERM, SIGINT, SIGHUP})
                std::signal(s, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            sigprocmask(SIG_SETMASK, &none, nullptr);
            readonlyfolder::giveUpOverrideForChild();
        });
        process->start(program, {});
        process->waitForStarted();
        return process;
    }

    // Start-up writes the play switch anew: a "starting" there turns into the
    // marker's CR LF once it has run.
    void markStartUp() const { put("player.ini", "starting"); }
    bool waitForStartUp() const
    {
        return QTest::qWaitFor([this] { return bytes("player.ini") == "\r\n"; }, 20000);
    }

    // Reads what the process has written to standard error so far.
    static QByteArray errorsSoFar(QProcess &process)
    {
        process.waitForReadyRead(0);
        return process.readAllStandardError();
    }
};

// An X server of its own on a display number it picks itself, so tests never
// take a display another program uses. Empty when Xvfb is not installed.
struct XServer
{
    QProcess process;
    QString display;

    bool start()
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            return false;
        // With -displayfd the server writes the number it took once it listens.
        process.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                             QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                             QStringLiteral("-screen"), QStringLiteral("0"),
                             QStringLiteral("1280x1024x24")});
        if (!process.waitForStarted())
            return false;
        QByteArray number;
        while (!number.endsWith('\n') && process.waitForReadyRead(10000))
            number += process.readAllStandardOutput();
        display = u':' + QString::fromLatin1(number.trimmed());
        return number.endsWith('\n');
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = ProgramRig::withoutSessionBus();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("DISPLAY"), display);
        environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        return environment;
    }

    // As at the end of a session: the server closes every connection.
    void stop()
    {
        process.terminate();
        process.waitForFinished();
    }

    ~XServer() { stop(); }
};
