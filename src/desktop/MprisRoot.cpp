#include "desktop/MprisRoot.h"

#include "base/Version.h"
#include "desktop/Mpris.h"

namespace chimebox::desktop {

MprisRoot::MprisRoot(Mpris &owner) : QDBusAbstractAdaptor(&owner), owner_(owner) {}

QString MprisRoot::identity() const
{
    return version::name();
}

QString MprisRoot::desktopEntry() const
{
    return version::applicationId();
}

QStringList MprisRoot::uriSchemes() const
{
    return {QStringLiteral("file")};
}

QStringList MprisRoot::mimeTypes() const
{
    // What the file list shows: wav, mp3 and wma.
    return {QStringLiteral("audio/x-wav"), QStringLiteral("audio/mpeg"),
            QStringLiteral("audio/x-ms-wma")};
}

void MprisRoot::Raise()
{
    Q_EMIT owner_.raiseRequested();
}

void MprisRoot::Quit()
{
    Q_EMIT owner_.quitRequested();
}

} // namespace chimebox::desktop
