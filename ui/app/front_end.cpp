#include "front_end.h"

#include "command_line.h"
#include "desktop.h"
#include "game.h"
#include "hubs/u_hub.h"
#include "hubs/u_hub2.h"
#include "kit/play.h"
#include "kit/seam.h"
#include "kit/widgets.h"
#include "main/a_propos.h"
#include "main/u_avance.h"
#include "main/u_principale.h"
#include "stations/u_MACs.h"
#include "stations/u_dest.h"
#include "stations/u_source.h"
#include "style.h"
#include "switch/U_switch.h"
#include "switch/u_switch_gros.h"
#include "windows.h"

#include <QApplication>
#include <QDialog>

#include <array>
#include <cstdlib>
#include <memory>
#include <optional>
#include <utility>

namespace kw::ui {

namespace {

QWidget* widgetOf(kw::Window window)
{
    const Windows& w = windows();
    switch (window) {
    case kw::Window::Principale:
        return w.Principale;
    case kw::Window::Source:
        return w.f_source;
    case kw::Window::Avance:
        return w.f_avance;
    case kw::Window::Hub1:
        return w.f_hub1;
    case kw::Window::AdressesMAC:
        return w.AdressesMAC;
    case kw::Window::Destination:
        return w.f_destination;
    case kw::Window::Hub2:
        return w.f_hub2;
    case kw::Window::APropos:
        return w.apropos;
    case kw::Window::Switch:
        return w.f_switch;
    case kw::Window::SwitchGros:
        return w.f_switch_gros;
    }
    return nullptr;
}

class FrontEnd final : public Play {
public:
    explicit FrontEnd(kw::GameOptions options) : m_game(std::move(options)) {}

    const kw::Game& game() const override { return m_game; }
    kw::Game& game() { return m_game; }

    void act(const Act& act) override { apply(act(m_game)); }

    void closeWindow(kw::Window window) override
    {
        const std::optional<kw::Window> outer = std::exchange(m_closing, window);
        apply(m_game.closeWindow(window));
        // A dialog the game holds closed does not stay on the screen.
        QWidget* widget = widgetOf(window);
        if (widget && widget->isVisible() && qobject_cast<QDialog*>(widget) &&
            m_game.view().of(window) == kw::Showing::Hidden)
            close(window);
        m_closing = outer;
    }

    void refresh()
    {
        const Windows& w = windows();
        if (w.Principale)
            w.Principale->refresh(m_game);
        if (w.f_source)
            w.f_source->refresh(m_game);
        if (w.f_avance)
            w.f_avance->refresh(m_game);
        if (w.f_hub1)
            w.f_hub1->refresh(m_game);
        if (w.f_destination)
            w.f_destination->refresh(m_game);
        if (w.f_hub2)
            w.f_hub2->refresh(m_game);
        if (w.f_switch)
            w.f_switch->refresh(m_game);
        if (w.f_switch_gros)
            w.f_switch_gros->refresh(m_game);
    }

private:
    void apply(const kw::Effects& effects)
    {
        for (const kw::Effect& effect : effects) {
            switch (effect.kind) {
            case kw::Effect::Kind::Box:
                box(effect);
                break;
            case kw::Effect::Kind::Open:
                // Shown with what the game has for it.
                refresh();
                open(effect.window, effect.showing);
                break;
            case kw::Effect::Kind::Close:
                close(effect.window);
                break;
            case kw::Effect::Kind::Move:
                // Before its first showing a window is placed by its frame too.
                if (QWidget* widget = widgetOf(effect.window))
                    widget->move(effect.left, effect.top);
                break;
            case kw::Effect::Kind::Line:
                if (TPrincipale* principale = windows().Principale)
                    principale->DrawCableLine(effect.number, effect.line, toQColor(effect.colour));
                break;
            case kw::Effect::Kind::Led:
                led(effect);
                break;
            case kw::Effect::Kind::BringToFront:
                refresh();
                bringToFront(widgetOf(effect.window));
                break;
            case kw::Effect::Kind::Quit:
                // exit(), not quit(): quit() first asks every window to close and gives up
                // when one refuses, and the two reference windows always refuse.
                QCoreApplication::exit(effect.status);
                break;
            }
        }
        refresh();
    }

    void box(const kw::Effect& effect)
    {
        // While the box is up the progress window shows the total it tells of, once it shows
        // a total at all.
        Tf_avance* progress = windows().f_avance;
        if (progress && m_game.view().avance.errorsCaption != kw::msg::ErrorTotalPrefix)
            progress->showErrorTotal(effect.errorTotal);
        const bool ok = kw::seam::messageBox(effect.box, fromUtf8(effect.text));
        if (effect.awaitsAnswer)
            apply(m_game.answer(ok));
    }

    void open(kw::Window window, kw::Showing showing)
    {
        QWidget* widget = widgetOf(window);
        if (!widget)
            return;
        auto* dialog = qobject_cast<QDialog*>(widget);
        if (showing == kw::Showing::Modal && dialog) {
            m_modal[static_cast<std::size_t>(window)] = true;
            kw::seam::execModal(dialog);
            // A dialog that went away by other means than the game is closed for it too.
            if (m_game.view().of(window) == kw::Showing::Modal)
                closeWindow(window);
            return;
        }
        if (!widget->isVisible())
            widget->show();
        else if (widget->isMinimized())
            widget->showNormal();
        widget->raise();
        widget->activateWindow();
    }

    void close(kw::Window window)
    {
        QWidget* widget = widgetOf(window);
        if (!widget)
            return;
        auto* dialog = qobject_cast<QDialog*>(widget);
        const bool modal = std::exchange(m_modal[static_cast<std::size_t>(window)], false);
        if (dialog && modal)
            dialog->done(m_closing == window ? QDialog::Rejected : QDialog::Accepted);
        else
            widget->hide();
    }

    void led(const kw::Effect& effect)
    {
        const Windows& w = windows();
        // A picture not made yet paints the view's LEDs when it is.
        switch (effect.picture) {
        case kw::LedPicture::Hub1:
            if (w.f_hub1 && w.f_hub1->controlsBuilt())
                w.f_hub1->paintLed(effect.number, effect.colour);
            break;
        case kw::LedPicture::Hub2:
            if (w.f_hub2 && w.f_hub2->controlsBuilt())
                w.f_hub2->paintLed(effect.number, effect.colour);
            break;
        case kw::LedPicture::Switch:
            if (w.f_switch_gros && w.f_switch_gros->controlsBuilt())
                w.f_switch_gros->paintLed(effect.number, effect.colour);
            break;
        }
    }

    static void bringToFront(QWidget* window)
    {
        if (!window)
            return;
        // The student's part starts at the top: its first control.
        focusFirstControl(window);
        window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
        window->showNormal();
        window->raise();
        window->activateWindow();
    }

    kw::Game m_game;
    // The window whose close box is being handled: it closes with no result.
    std::optional<kw::Window> m_closing;
    // The dialogs running modally.
    std::array<bool, kw::WindowCount> m_modal{};
};

std::unique_ptr<FrontEnd> theFrontEnd;
kw::GameOptions theGameOptions;

bool startMainWindow()
{
    setUpApplication();
    theFrontEnd = std::make_unique<FrontEnd>(theGameOptions);
    setPlay(theFrontEnd.get());
    Windows& w = windows();
    w.Principale = new TPrincipale;
    if (!w.Principale->FormCreate(startArgument())) {
        destroyWindows();
        return false;
    }
    return true;
}

} // namespace

void setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("Velcor"));
    // Ties the windows to the desktop entry on Wayland, where no window class does.
    QGuiApplication::setDesktopFileName(QStringLiteral(KW_APP_ID));
    // The layout's face as the application's: every edit box lays its text out once in the
    // application's font before it takes its own, which would load one more face at start-up.
    // Message boxes keep the desktop's font (seam).
    QApplication::setFont(defaultFont());
    useProgramStyle();
    ignoreHeldKeys();
}

bool createMainWindow()
{
    return startMainWindow();
}

bool createWindows()
{
    if (!startMainWindow())
        return false;
    Windows& w = windows();
    w.f_source = new Tf_source;
    w.f_avance = new Tf_avance;
    w.f_hub1 = new Tf_hub1;
    w.AdressesMAC = new TAdressesMAC;
    w.f_destination = new Tf_destination;
    w.f_hub2 = new Tf_hub2;
    w.apropos = new Tapropos;
    w.f_switch = new Tf_switch;
    w.f_switch_gros = new Tf_switch_gros;

    w.Principale->show();
    showReferenceWindows(w.Principale, w.f_avance, w.AdressesMAC);
    return true;
}

void destroyWindows()
{
    Windows& w = windows();
    // Dialogs first, the main window last, as the program ends; each leaves the registry
    // before it goes, so that nothing reaches it meanwhile.
    delete std::exchange(w.f_switch_gros, nullptr);
    delete std::exchange(w.f_switch, nullptr);
    delete std::exchange(w.apropos, nullptr);
    delete std::exchange(w.f_hub2, nullptr);
    delete std::exchange(w.f_destination, nullptr);
    delete std::exchange(w.AdressesMAC, nullptr);
    delete std::exchange(w.f_hub1, nullptr);
    delete std::exchange(w.f_avance, nullptr);
    delete std::exchange(w.f_source, nullptr);
    delete std::exchange(w.Principale, nullptr);
    setPlay(nullptr);
    theFrontEnd.reset();
}

kw::Game& game()
{
    if (!theFrontEnd)
        std::abort();
    return theFrontEnd->game();
}

void refreshWindows()
{
    if (theFrontEnd)
        theFrontEnd->refresh();
}

void setGameOptions(const kw::GameOptions& options)
{
    theGameOptions = options;
}

} // namespace kw::ui
