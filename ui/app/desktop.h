#pragma once

// How the program meets the desktop it runs on: whether a window manager is there to minimise
// and restore windows, and where the two reference windows go when none is.

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace kw::ui {

// True when a window manager runs (on X11, it announces itself through the EWMH property
// _NET_SUPPORTING_WM_CHECK of the root window), and on every other platform, whose
// compositor manages the windows itself.
bool windowManagerPresent(const QWidget* window);

struct ReferencePlaces {
    QPoint progress;  // "Avancement"
    QPoint addresses; // "Adresses MAC"
};

// Without a window manager nothing can be minimised, moved or restored, so the two reference
// windows stay in view beside the main window: the progress window on its right, the address
// list on its left, each pushed inside the screen where there is no room.
ReferencePlaces placeBesideMainWindow(const QRect& screen, const QRect& mainFrame,
                                      const QSize& progress, const QSize& addresses);

// Shows the progress window and the address list as the start-up wants them: minimised under
// a window manager, in view beside the main window without one. The main window is shown.
void showReferenceWindows(QWidget* mainWindow, QWidget* progress, QWidget* addresses);

} // namespace kw::ui
