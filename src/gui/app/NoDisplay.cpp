#include "gui/app/NoDisplay.h"

#include "core/app/StandardError.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <utility>

namespace chimebox::app {

namespace {

struct HeldMessage
{
    QtMsgType type;
    QByteArray file;
    int line;
    QByteArray function;
    QByteArray category;
    QString text;
};

std::mutex mutex;
bool holding = false;
QtMessageHandler previous = nullptr;
QList<HeldMessage> held;

void printNow(const HeldMessage &m)
{
    const QMessageLogContext context(m.file.constData(), m.line, m.function.constData(),
                                     m.category.constData());
    std::fputs(qFormatLogMessage(m.type, context, m.text).toLocal8Bit().append('\n').constData(),
               stderr);
}

void passOn(const HeldMessage &m)
{
    const QMessageLogger logger(m.file.constData(), m.line, m.function.constData(),
                                m.category.constData());
    const QByteArray text = m.text.toUtf8();
    switch (m.type) {
    case QtDebugMsg:
        logger.debug("%s", text.constData());
        break;
    case QtInfoMsg:
        logger.info("%s", text.constData());
        break;
    case QtWarningMsg:
        logger.warning("%s", text.constData());
        break;
    case QtCriticalMsg:
    case QtFatalMsg:
        logger.critical("%s", text.constData());
        break;
    }
}

void hold(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const std::lock_guard lock(mutex);
    HeldMessage message{type,
                        QByteArray(context.file),
                        context.line,
                        QByteArray(context.function),
                        QByteArray(context.category),
                        text};
    if (type != QtFatalMsg) {
        held.append(std::move(message));
        return;
    }
    // Qt says so in these words when no platform plugin could be started.
    if (text.contains(QLatin1String("platform plugin"))) {
        const QByteArray display = qgetenv("DISPLAY");
        printToStandardError(QStringLiteral("画面（ディスプレイ）に接続できません（%1）")
                                 .arg(display.isEmpty() ? QStringLiteral("DISPLAY が未設定")
                                                        : QStringLiteral("DISPLAY=") +
                                                              QString::fromLocal8Bit(display)));
        std::_Exit(1);
    }
    // Any other fatal message ends the program as Qt means it to, after
    // whatever came before it.
    held.append(std::move(message));
    for (const HeldMessage &m : std::as_const(held))
        printNow(m);
}

} // namespace

NoDisplayReport::NoDisplayReport()
{
    const std::lock_guard lock(mutex);
    holding = true;
    previous = qInstallMessageHandler(hold);
}

void NoDisplayReport::finish()
{
    QList<HeldMessage> messages;
    {
        const std::lock_guard lock(mutex);
        if (!holding)
            return;
        holding = false;
        qInstallMessageHandler(previous);
        messages.swap(held);
    }
    for (const HeldMessage &m : std::as_const(messages))
        passOn(m);
}

} // namespace chimebox::app
