#include "keys.h"

#include "kit/widgets.h"

#include <QAccessible>
#include <QApplication>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>

namespace kw::test::keys {

namespace {

// More keys than any window of the program has controls or elements.
constexpr int MaxKeys = 40;

QPoint centreOf(const QWidget* widget)
{
    return widget->mapToGlobal(widget->rect().center());
}

} // namespace

bool bringToFront(QWidget* window)
{
    window = window->window();
    if (window->isActiveWindow())
        return true;
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QWidget* target = QApplication::focusWidget();
    if (!target)
        target = QApplication::activeWindow();
    if (target)
        QTest::keyClick(target, key, modifiers);
}

bool tabTo(QWidget* widget)
{
    if (!bringToFront(widget))
        return false;
    for (int i = 0; i < MaxKeys && QApplication::focusWidget() != widget; ++i)
        press(Qt::Key_Tab);
    return QApplication::focusWidget() == widget;
}

bool arrowTo(QRadioButton* button)
{
    if (!bringToFront(button))
        return false;
    auto inGroup = [button](const QWidget* focus) {
        return qobject_cast<const QRadioButton*>(focus) &&
               focus->parentWidget() == button->parentWidget();
    };
    for (int i = 0; i < MaxKeys && !inGroup(QApplication::focusWidget()); ++i)
        press(Qt::Key_Tab);
    for (int i = 0; i < MaxKeys && inGroup(QApplication::focusWidget()) &&
                    QApplication::focusWidget() != button;
         ++i) {
        const QPoint from = centreOf(QApplication::focusWidget());
        const QPoint to = centreOf(button);
        if (to.y() > from.y() + 4)
            press(Qt::Key_Down);
        else if (to.y() < from.y() - 4)
            press(Qt::Key_Up);
        else
            press(to.x() > from.x() ? Qt::Key_Right : Qt::Key_Left);
    }
    if (QApplication::focusWidget() != button)
        return false;
    // The arrows check the button they reach only when the one they left was checked.
    if (!button->isChecked())
        press(Qt::Key_Space);
    return button->isChecked();
}

bool moveTo(QTableWidget* grid, int column, int row)
{
    if (QApplication::focusWidget() != grid)
        return false;
    for (int i = 0; i < MaxKeys; ++i) {
        if (grid->currentColumn() < column)
            press(Qt::Key_Right);
        else if (grid->currentColumn() > column)
            press(Qt::Key_Left);
        else if (grid->currentRow() < row)
            press(Qt::Key_Down);
        else if (grid->currentRow() > row)
            press(Qt::Key_Up);
        else
            return true;
    }
    return false;
}

QString markedName(kw::ui::ImageView* picture)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(picture);
    QAccessibleInterface* focus = iface ? iface->focusChild() : nullptr;
    return focus ? focus->text(QAccessible::Name) : QString();
}

bool markElement(kw::ui::ImageView* picture, const QString& name)
{
    if (QApplication::focusWidget() != picture)
        return false;
    press(Qt::Key_Home);
    for (int i = 0; i < MaxKeys && markedName(picture) != name; ++i)
        press(Qt::Key_Right);
    return markedName(picture) == name;
}

} // namespace kw::test::keys
