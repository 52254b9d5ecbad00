#include "deferred.h"

#include <QAccessible>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <vector>

namespace kw::ui {

namespace {

struct Waiting {
    QPointer<QWidget> window;
    DeferredControls* controls;
};

std::vector<Waiting>& waiting()
{
    static std::vector<Waiting> windows;
    return windows;
}

void buildWaiting(const QWidget* window)
{
    std::vector<Waiting>& all = waiting();
    // Built ones leave the list first: building one may show or build another.
    std::vector<Waiting> now;
    std::erase_if(all, [&](const Waiting& w) {
        const bool chosen = !w.window || !window || w.window == window;
        if (chosen && w.window)
            now.push_back(w);
        return chosen;
    });
    for (const Waiting& w : now)
        if (w.window)
            w.controls->build();
}

// Screen readers start after the program as often as before it.
class ScreenReaderWatch : public QAccessible::ActivationObserver {
public:
    void accessibilityActiveChanged(bool active) override
    {
        if (active)
            buildWaiting(nullptr);
    }
};

class ExposeWatch : public QObject {
public:
    explicit ExposeWatch(QWidget* window) : QObject(window), m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // Before the window paints its first picture, which then shows the controls.
        if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
            watched->removeEventFilter(this);
            buildWaiting(m_window);
            deleteLater();
        }
        return false;
    }

private:
    QWidget* m_window;
};

} // namespace

void showNewControls(QWidget* window)
{
    for (QObject* child : window->children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control && !control->isWindow() &&
            !control->testAttribute(Qt::WA_WState_ExplicitShowHide))
            control->show();
    }
}

void buildWhenExposed(QWidget* window, DeferredControls& controls)
{
    static ScreenReaderWatch screenReaders;
    static const bool watching = [] {
        QAccessible::installActivationObserver(&screenReaders);
        return true;
    }();
    (void)watching;
    QWindow* handle = window->windowHandle();
    if (!handle || handle->isExposed() || QAccessible::isActive()) {
        controls.build();
        return;
    }
    waiting().push_back({window, &controls});
    handle->installEventFilter(new ExposeWatch(window));
}

} // namespace kw::ui
