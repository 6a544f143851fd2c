#pragma once

#include "base/NativeName.h"
#include "engine/EnginePlayer.h"
#include "engine/MpvController.h"
#include "engine/ToneWav.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Shared by the player's tests: fixture files and a log of the states the
// player announced, read at the moment of each announcement.
namespace playertest {

inline QString fixture(const QString &name)
{
    return QStringLiteral(CHIMEBOX_TEST_FIXTURES "/") + name;
}

// Writes bytes under a name given as native bytes, so names that are not
// valid UTF-8 can be made too.
inline QString writeFile(const QDir &dir, const QByteArray &nativeName, const QByteArray &bytes,
                         testfiles::Caller caller = {})
{
    QString path = dir.absolutePath() + QLatin1Char('/') + chimebox::nativename::decode(nativeName);
    testfiles::writeFile(path, bytes, caller);
    return path;
}

inline chimebox::engine::MpvController::Options nullOutput()
{
    return {QStringLiteral("null")};
}

// What the engine writes to its log while this lives; everything else goes
// where it went before.
class EngineLog
{
public:
    EngineLog()
    {
        lines().clear();
        previous() = qInstallMessageHandler(&collect);
    }
    ~EngineLog() { qInstallMessageHandler(previous()); }

    static QStringList &lines()
    {
        static QStringList logged;
        return logged;
    }

private:
    static QtMessageHandler &previous()
    {
        static QtMessageHandler handler = nullptr;
        return handler;
    }
    static void collect(QtMsgType type, const QMessageLogContext &context, const QString &text)
    {
        if (qstrcmp(context.category, "chimebox.engine") == 0)
            lines().append(text);
        else if (previous())
            previous()(type, context, text);
    }
};

struct StateLog : QObject
{
    QList<int> states;
    explicit StateLog(chimebox::playback::MediaPlayer &player)
    {
        QObject::connect(&player, &chimebox::playback::MediaPlayer::StatusChange, this,
                         [this, &player] { states.append(player.playState()); });
    }
};

} // namespace playertest
