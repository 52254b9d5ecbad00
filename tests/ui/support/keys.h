#pragma once

// A student without a mouse: every act is a key event sent where a keyboard sends it, to the
// widget that has the focus. The window the keys are for is first brought to the front, as a
// window manager does when a dialog closes or when the student switches windows.

#include <QString>
#include <Qt>

class QRadioButton;
class QTableWidget;
class QWidget;

namespace kw::ui {
class ImageView;
}

namespace kw::test::keys {

// Activates `window` (the focus goes where it was, or to its first control); false when it
// does not become active.
bool bringToFront(QWidget* window);

// One key press and release on the widget that has the focus (the active window without one).
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Tab, at most once round the window, until `widget` has the focus; false when it never does.
bool tabTo(QWidget* widget);

// Tab into the group of radio buttons of `button`, then the arrow keys until `button` has the
// focus (which checks it, as arrows do in a group of radio buttons).
bool arrowTo(QRadioButton* button);

// With the focus on `grid`, the arrow keys until its current cell is (column, row).
bool moveTo(QTableWidget* grid, int column, int row);

// With the focus on `picture`, Home, then Right until the focus mark stands on the element
// that screen readers know as `name` (read from the accessible focus).
bool markElement(kw::ui::ImageView* picture, const QString& name);

// The accessible name of the element the picture's mark stands on, empty when none shows.
QString markedName(kw::ui::ImageView* picture);

} // namespace kw::test::keys
