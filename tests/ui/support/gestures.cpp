#include "gestures.h"

#include "keys.h"

#include "app/windows.h"
#include "kit/widgets.h"
#include "main/u_principale.h"
#include "stations/u_source.h"
#include "switch/U_switch.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QWindow>

#include <algorithm>

namespace kw::test {

namespace {

// More presses than any picture has elements.
constexpr int MaxKeys = 40;

// Nobody reaches a control that is not on the screen; the keys do not reach a disabled one
// either (the mouse still clicks it, for nothing).
bool onScreen(const QWidget* widget)
{
    return widget && widget->isVisible();
}

// On the indicator, which is always part of a check box's or radio button's hit area.
void clickIndicator(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

QRadioButton* portButton(Tf_switch* dialog, int port)
{
    QRadioButton* const ports[] = {dialog->port1, dialog->port2, dialog->port3, dialog->port4};
    return port >= 1 && port <= 4 ? ports[port - 1] : nullptr;
}

} // namespace

void doubleClick(QWidget* widget, const QPoint& pos)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, pos);
    if (!widget->isVisible())
        return;
    QTest::mouseDClick(widget, Qt::LeftButton, {}, pos);
    if (widget->isVisible())
        QTest::mouseRelease(widget, Qt::LeftButton, {}, pos);
}

QPoint cellCentre(const QTableWidget* grid, int column, int row)
{
    return grid->visualRect(grid->model()->index(row, column)).center();
}

bool Gestures::reached(bool done, const QString& what)
{
    if (!done && failure.isEmpty())
        failure = QStringLiteral("the keys do not reach ") + what;
    return done;
}

void Gestures::selectGridCell(QTableWidget* grid, int column, int row, bool byKeys)
{
    if (!byKeys) {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(grid, column, row));
        return;
    }
    if (reached(keys::tabTo(grid), grid->objectName()))
        reached(keys::moveTo(grid, column, row),
                QStringLiteral("cell %1,%2 of %3").arg(column).arg(row).arg(grid->objectName()));
}

void Gestures::enter(QTableWidget* grid, int column, int row, bool byKeys)
{
    if (!byKeys) {
        doubleClick(grid->viewport(), cellCentre(grid, column, row));
        return;
    }
    selectGridCell(grid, column, row, true);
    if (failure.isEmpty())
        keys::press(Qt::Key_Return);
}

void Gestures::clickDiagram(int x, int y, const QString& element, Qt::MouseButton button)
{
    kw::ui::ImageView* diagram = kw::ui::windows().Principale->Image1;
    if (!onScreen(diagram))
        return;
    // What no key reaches (a point that is no element), the student clicks with the mouse.
    if (!m_ways.keys || element.isEmpty()) {
        QTest::mouseClick(diagram, button, {}, QPoint(x, y));
        return;
    }
    if (reached(keys::tabTo(diagram), QStringLiteral("the diagram")) &&
        reached(keys::markElement(diagram, element), element))
        keys::press(Qt::Key_Space);
}

void Gestures::copy(Tf_source* dialog, int row, int column)
{
    if (!onScreen(dialog))
        return;
    if (m_ways.keys && !dialog->Panel->isEnabled())
        return;
    // The first grid picks, a double-click (or Enter) on the second copies. The keys cannot
    // copy the heading row, which the arrows only reach from the row below, picking that row:
    // the student takes the mouse for it.
    const bool byKeys = m_ways.keys && row >= 1;
    const bool cacheLast = m_ways.copyFromCache;
    const int cacheColumn =
        byKeys ? std::max(0, dialog->table_MAC->currentColumn()) : (cacheLast ? 1 : 0);
    if (cacheLast) {
        selectGridCell(dialog->trame, column, 0, byKeys);
        enter(dialog->table_MAC, cacheColumn, row, byKeys);
    } else {
        selectGridCell(dialog->table_MAC, cacheColumn, row, byKeys);
        enter(dialog->trame, column, 0, byKeys);
    }
}

void Gestures::setTicked(QAbstractButton* box, bool ticked)
{
    if (!onScreen(box) || box->isChecked() == ticked)
        return;
    if (!m_ways.keys) {
        clickIndicator(box);
        return;
    }
    if (box->isEnabled() && reached(keys::tabTo(box), box->objectName()))
        keys::press(Qt::Key_Space);
}

void Gestures::clickLed(kw::ui::ImageView* picture, int k, const QPoint& point)
{
    if (!onScreen(picture))
        return;
    if (!m_ways.keys || k < 1) {
        QTest::mouseClick(picture, Qt::LeftButton, {}, point);
        return;
    }
    const QString what = QStringLiteral("LED %1 of %2").arg(k).arg(picture->window()->objectName());
    if (!picture->isEnabled() || !reached(keys::tabTo(picture), what))
        return;
    keys::press(Qt::Key_Home);
    for (int i = 0; i < MaxKeys && picture->markedElement() < k - 1; ++i)
        keys::press(Qt::Key_Right);
    if (reached(picture->markShown() && picture->markedElement() == k - 1, what))
        keys::press(Qt::Key_Space);
}

void Gestures::press(QPushButton* button)
{
    if (!onScreen(button))
        return;
    if (m_ways.keys) {
        // Enter where the focus is, unless a grid has it (there Enter copies): then on the
        // button itself.
        if (!button->isEnabled() || !reached(keys::bringToFront(button), button->objectName()))
            return;
        if (qobject_cast<QAbstractItemView*>(QApplication::focusWidget()) &&
            !reached(keys::tabTo(button), button->objectName()))
            return;
        keys::press(Qt::Key_Return);
        return;
    }
    if (!m_ways.enterForDone) {
        QTest::mouseClick(button, Qt::LeftButton);
        return;
    }
    // Enter in the button's window, on the widget that has the focus if any; Enter on a grid
    // copies, so then on the window itself.
    QWidget* window = button->window();
    QWidget* focus = window->focusWidget();
    if (qobject_cast<QAbstractItemView*>(focus))
        focus = nullptr;
    QTest::keyClick(focus ? focus : window, Qt::Key_Return);
}

void Gestures::selectCell(Tf_switch* dialog, int column)
{
    if (onScreen(dialog) && !(m_ways.keys && !dialog->trame->isEnabled()))
        selectGridCell(dialog->trame, column, 0, m_ways.keys);
}

void Gestures::doubleClickCell(Tf_switch* dialog, int column)
{
    if (onScreen(dialog) && !(m_ways.keys && !dialog->trame->isEnabled()))
        enter(dialog->trame, column, 0, m_ways.keys);
}

void Gestures::clickPort(Tf_switch* dialog, int port)
{
    if (onScreen(dialog))
        chooseRadio(portButton(dialog, port));
}

void Gestures::doubleClickPort(Tf_switch* dialog, int port)
{
    QRadioButton* button = portButton(dialog, port);
    if (!onScreen(button))
        return;
    if (!m_ways.keys) {
        doubleClick(button, QPoint(6, button->height() / 2));
        return;
    }
    if (button->isEnabled() && reached(keys::arrowTo(button), button->objectName()))
        keys::press(Qt::Key_Return);
}

void Gestures::chooseRadio(QRadioButton* button)
{
    if (!onScreen(button))
        return;
    if (!m_ways.keys)
        clickIndicator(button);
    else if (button->isEnabled())
        reached(keys::arrowTo(button), button->objectName());
}

void Gestures::clickSwitchPicture(Tf_switch* dialog)
{
    kw::ui::ImageView* picture = onScreen(dialog) ? dialog->image_switch.get() : nullptr;
    if (!onScreen(picture))
        return;
    if (!m_ways.keys)
        QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(70, 10));
    else if (picture->isEnabled() && reached(keys::tabTo(picture), picture->objectName()))
        keys::press(Qt::Key_Space);
}

void Gestures::menu(QAction* action, Qt::Key letter)
{
    TPrincipale* principale = kw::ui::windows().Principale;
    if (!onScreen(principale))
        return;
    if (m_ways.keys) {
        if (reached(keys::bringToFront(principale), principale->objectName()))
            keys::press(letter, Qt::AltModifier);
        return;
    }
    QMenuBar* bar = principale->menuBar();
    const QRect place = bar->actionGeometry(action);
    if (place.isValid())
        QTest::mouseClick(bar, Qt::LeftButton, {}, place.center());
    else if (failure.isEmpty())
        failure =
            QStringLiteral("the menu item %1 has no place on the menu bar").arg(action->text());
}

void Gestures::close(QWidget* window)
{
    if (!onScreen(window))
        return;
    if (m_ways.keys && qobject_cast<QDialog*>(window)) {
        if (reached(keys::bringToFront(window), window->objectName()))
            keys::press(Qt::Key_Escape);
        return;
    }
    // As the window system asks: the close box of the window's frame.
    if (QWindow* handle = window->windowHandle())
        handle->close();
    else
        window->close();
}

void Gestures::activate(QWidget* window)
{
    if (onScreen(window))
        reached(keys::bringToFront(window), window->objectName());
}

} // namespace kw::test
