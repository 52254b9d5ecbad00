#pragma once

// Controls built when they are first needed rather than with their window. Every window is
// created at start-up, but most stay hidden until the student reaches their element, and
// building their grids and decoding their pictures would only delay the main window. A
// window's deferred controls are built all at once, the first time the window is shown or
// anything reaches for one of them, so that whoever looks finds them as they always were.

#include <QEvent>

#include <functional>
#include <utility>

class QWidget;

namespace kw::ui {

// One set of controls built together, once.
class DeferredControls {
public:
    explicit DeferredControls(std::function<void()> build) : m_build(std::move(build)) {}
    DeferredControls(const DeferredControls&) = delete;
    DeferredControls& operator=(const DeferredControls&) = delete;

    void build()
    {
        if (m_state != State::Waiting)
            return; // built, or being built: the builder reaches its own controls
        m_state = State::Building;
        m_build();
        m_state = State::Built;
    }
    bool built() const { return m_state == State::Built; }

private:
    enum class State { Waiting, Building, Built };
    State m_state = State::Waiting;
    std::function<void()> m_build;
};

// A control of a deferred set, used as a pointer to it: reaching it builds the set.
template <typename T> class Deferred {
public:
    explicit Deferred(DeferredControls& controls) : m_controls(&controls) {}

    // Only the builder assigns.
    Deferred& operator=(T* control)
    {
        m_control = control;
        return *this;
    }

    T* get() const
    {
        m_controls->build();
        return m_control;
    }
    T* operator->() const { return get(); }
    operator T*() const { return get(); }

    // The control when its set is built, else null: for what only concerns a control shown
    // already (hiding it again), which must not build it.
    T* ifBuilt() const { return m_controls->built() ? m_control : nullptr; }

private:
    DeferredControls* m_controls;
    T* m_control = nullptr;
};

// Controls made in a window already on the screen are shown as they would have been with it:
// all but those their maker hid.
void showNewControls(QWidget* window);

// Builds `controls` when `window`, shown already, first comes on the screen (its platform
// window is exposed), or at once when a screen reader listens, now or later: a screen reader
// may look into a window that is minimised.
void buildWhenExposed(QWidget* window, DeferredControls& controls);

// A window whose controls are built at its first showing, or earlier when one of them is
// reached. The window itself (its name, caption, flags, size and place, what screen readers
// say of it) is set up by its constructor as usual; `makeControls` makes the rest.
template <typename Window> class BuiltWhenShown : public Window {
public:
    using Window::Window;

    void setVisible(bool visible) override
    {
        if (visible)
            m_controls.build();
        Window::setVisible(visible);
    }

    // Builds the controls now, if that has not been done (whoever walks every control).
    void buildControls() { m_controls.build(); }
    bool controlsBuilt() const { return m_controls.built(); }

protected:
    virtual void makeControls() = 0;

    // Declared before the derived window's controls, which refer to it.
    DeferredControls m_controls{[this] {
        makeControls();
        if (this->isVisible())
            showNewControls(this);
    }};
};

// A window shown from the start but minimised where a window manager runs, so that the student
// sees it only once it is restored: its controls are built when it first comes on the screen,
// or earlier when one of them is reached (or a screen reader listens).
template <typename Window> class BuiltWhenExposed : public BuiltWhenShown<Window> {
public:
    using BuiltWhenShown<Window>::BuiltWhenShown;

    void setVisible(bool visible) override
    {
        Window::setVisible(visible);
        if (visible && !m_watching && !this->controlsBuilt()) {
            m_watching = true;
            buildWhenExposed(this, this->m_controls);
        }
    }

protected:
    bool event(QEvent* event) override
    {
        // Activated, the window gives the focus to its first control: it must be there.
        if (event->type() == QEvent::WindowActivate)
            this->buildControls();
        return Window::event(event);
    }

private:
    bool m_watching = false;
};

} // namespace kw::ui
