#pragma once

// Which Qt platform the program asks for, decided before the application object exists.

#include <QByteArray>

namespace kw::ui {

struct DisplayEnvironment {
    QByteArray qpaPlatform;    // QT_QPA_PLATFORM
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray sessionType;    // XDG_SESSION_TYPE
    QByteArray x11Display;     // DISPLAY
};

DisplayEnvironment currentDisplayEnvironment();

// The value to give QT_QPA_PLATFORM, or empty to leave Qt's own choice. On a Wayland session
// with XWayland the program asks for X11 first: only there can it place its dialogs and keep
// its two reference windows above the others. Wayland stays the fallback, and a platform the
// user chose always wins.
QByteArray preferredPlatform(const DisplayEnvironment& environment);

// Applies preferredPlatform to this process's environment.
void choosePlatform();

} // namespace kw::ui
