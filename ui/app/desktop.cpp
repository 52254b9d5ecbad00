#include "desktop.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

#if KW_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <optional>
#endif

namespace kw::ui {

namespace {

#if KW_HAVE_XCB && QT_CONFIG(xcb)
std::optional<xcb_window_t> windowProperty(xcb_connection_t* connection, xcb_window_t window,
                                           xcb_atom_t property)
{
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, property, XCB_ATOM_WINDOW, 0, 1);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    if (!reply)
        return std::nullopt;
    std::optional<xcb_window_t> value;
    if (reply->type == XCB_ATOM_WINDOW && reply->format == 32 &&
        xcb_get_property_value_length(reply) >= 4)
        value = *static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
    std::free(reply);
    return value;
}

bool x11WindowManagerPresent(const QWidget* window)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection || !window)
        return true;

    static const char name[] = "_NET_SUPPORTING_WM_CHECK";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr);
    const xcb_atom_t check = atom ? atom->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(atom);
    if (check == XCB_ATOM_NONE)
        return false; // no client ever named the property: no EWMH window manager

    xcb_query_tree_reply_t* tree = xcb_query_tree_reply(
        connection, xcb_query_tree(connection, static_cast<xcb_window_t>(window->winId())),
        nullptr);
    if (!tree)
        return true;
    const xcb_window_t root = tree->root;
    std::free(tree);

    // The root names a child window that names itself: a stale property left by a window
    // manager that has gone names a window that no longer exists.
    const std::optional<xcb_window_t> child = windowProperty(connection, root, check);
    return child && windowProperty(connection, *child, check) == child;
}
#endif

int clamp(int value, int low, int high)
{
    return std::max(low, std::min(value, high));
}

QPoint inside(const QRect& screen, QPoint topLeft, const QSize& size)
{
    return {clamp(topLeft.x(), screen.left(), screen.right() + 1 - size.width()),
            clamp(topLeft.y(), screen.top(), screen.bottom() + 1 - size.height())};
}

} // namespace

bool windowManagerPresent(const QWidget* window)
{
#if KW_HAVE_XCB && QT_CONFIG(xcb)
    if (QGuiApplication::platformName() == QStringLiteral("xcb"))
        return x11WindowManagerPresent(window);
#else
    Q_UNUSED(window);
#endif
    return true;
}

ReferencePlaces placeBesideMainWindow(const QRect& screen, const QRect& mainFrame,
                                      const QSize& progress, const QSize& addresses)
{
    constexpr int gap = 8;
    const QPoint right(mainFrame.right() + 1 + gap, mainFrame.top());
    const QPoint left(mainFrame.left() - gap - addresses.width(), mainFrame.top());
    return {inside(screen, right, progress), inside(screen, left, addresses)};
}

void showReferenceWindows(QWidget* mainWindow, QWidget* progress, QWidget* addresses)
{
    if (windowManagerPresent(mainWindow)) {
        progress->showMinimized();
        addresses->showMinimized();
        return;
    }
    const QScreen* screen = mainWindow->screen();
    const QRect area = screen ? screen->geometry() : mainWindow->frameGeometry();
    const ReferencePlaces places = placeBesideMainWindow(area, mainWindow->frameGeometry(),
                                                         progress->size(), addresses->size());
    progress->move(places.progress);
    addresses->move(places.addresses);
    progress->show();
    addresses->show();
}

} // namespace kw::ui
