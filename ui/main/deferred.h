#pragma once

// Controls built when they are first needed rather than with their window. Every window is
// created at start-up, but most stay hidden until the student reaches their element, and
// building their grids and decoding their pictures would only delay the main window. A
// window's deferred controls are built all at once, the first time the window is shown or
// anything reaches for one of them, so that whoever looks finds them as they always were.

#include <functional>
#include <utility>

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

// A window whose controls are built at its first showing, or earlier when one of them is
// reached. The window itself (its name, caption, flags, size and place, what screen readers
// say of it) is set up by its constructor as usual; `buildControls` makes the rest.
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
    DeferredControls m_controls{[this] { makeControls(); }};
};

} // namespace kw::ui
