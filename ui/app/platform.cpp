#include "platform.h"

#include <QtGlobal>

namespace kw::ui {

DisplayEnvironment currentDisplayEnvironment()
{
    return {qgetenv("QT_QPA_PLATFORM"), qgetenv("WAYLAND_DISPLAY"), qgetenv("XDG_SESSION_TYPE"),
            qgetenv("DISPLAY")};
}

QByteArray preferredPlatform(const DisplayEnvironment& environment)
{
    if (!environment.qpaPlatform.trimmed().isEmpty())
        return {};
    const bool waylandSession = !environment.waylandDisplay.isEmpty() ||
                                environment.sessionType.trimmed().toLower() == "wayland";
    if (!waylandSession || environment.x11Display.isEmpty())
        return {};
    // Qt tries the platforms in turn: Wayland when the X server cannot be reached.
    return QByteArrayLiteral("xcb;wayland");
}

void choosePlatform()
{
    const QByteArray platform = preferredPlatform(currentDisplayEnvironment());
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}

} // namespace kw::ui
