#pragma once

// The student's hands on the real windows: each act made as a student makes it, with the
// mouse or with the keys alone (keys.h). A gesture on a closed window, or on a hidden button,
// is not made at all: nobody can reach it. Nothing here knows what the program should answer.

#include <QPoint>
#include <QString>
#include <Qt>

class QAbstractButton;
class QAction;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QWidget;
class Tf_source;
class Tf_switch;

namespace kw::ui {
class ImageView;
}

namespace kw::test {

// The ways of working only the windows have.
struct Ways {
    // Every gesture by key events alone: Tab, the arrows, Space, Enter, Escape, Alt and a
    // letter for the menu (the README's "Au clavier").
    bool keys = false;
    // The sending dialog's copy: the frame cell picked, then a double-click on the cache row
    // (rather than the cache row picked, then a double-click on the frame cell).
    bool copyFromCache = false;
    // "Terminé" and "Fin du traitement de la trame" by the Enter key.
    bool enterForDone = false;
};

class Gestures {
public:
    explicit Gestures(Ways ways = {}) : m_ways(ways) {}
    const Ways& ways() const { return m_ways; }

    // What the hands could not do (the keys reach no such thing), empty while all went.
    QString failure;

    // The diagram: a mouse-down at picture pixel (x, y); by keys, the focus mark brought to the
    // element screen readers know as `element`, then Space (a pixel of no element, `element`
    // empty, is clicked with the mouse: no key reaches it).
    void clickDiagram(int x, int y, const QString& element,
                      Qt::MouseButton button = Qt::LeftButton);
    // Sending dialog: cache row `row` copied into frame cell `column`.
    void copy(Tf_source* dialog, int row, int column);
    // A check box brought to `ticked` by one click, unless it is so already.
    void setTicked(QAbstractButton* box, bool ticked);
    // LED picture: LED k (1..8) clicked at `point` (by keys: element k - 1, Space); with k 0,
    // a point the keys do not reach, clicked with the mouse.
    void clickLed(kw::ui::ImageView* picture, int k, const QPoint& point);
    // "Terminé", "OK", "Fin du traitement de la trame".
    void press(QPushButton* button);
    // Switch dialog.
    void selectCell(Tf_switch* dialog, int column);
    void doubleClickCell(Tf_switch* dialog, int column);
    void clickPort(Tf_switch* dialog, int port);
    void doubleClickPort(Tf_switch* dialog, int port);
    void chooseRadio(QRadioButton* button);
    void clickSwitchPicture(Tf_switch* dialog);
    // A menu item of the main window's menu bar; `letter` its Alt shortcut.
    void menu(QAction* action, Qt::Key letter);
    // The window's close box; by keys, Escape on a dialog.
    void close(QWidget* window);
    // The student switches to the window.
    void activate(QWidget* window);

private:
    bool reached(bool done, const QString& what);
    void selectGridCell(QTableWidget* grid, int column, int row, bool byKeys);
    void enter(QTableWidget* grid, int column, int row, bool byKeys);

    Ways m_ways;
};

// What a real double-click delivers: press, release, double-click, release; the rest is not
// delivered once the first click has closed the widget's window.
void doubleClick(QWidget* widget, const QPoint& pos);
// The middle of a grid cell, in its viewport.
QPoint cellCentre(const QTableWidget* grid, int column, int row);

} // namespace kw::test
