#pragma once

// How a window reaches the game of the program it belongs to. Every window shows the game's
// view and passes each act of the student on through `play()`; the application, which knows
// the windows, applies what the game answers (boxes, windows opened and closed, lines and
// LEDs) and then has every window show the view anew. A window never asks another one.

#include "game.h"

#include <functional>

namespace kw::ui {

class Play {
public:
    using Act = std::function<kw::Effects(kw::Game&)>;

    // The game as it stands, for the windows to show.
    virtual const kw::Game& game() const = 0;
    // One act of the student: `act` is run on the game, and what it returns applied in order.
    virtual void act(const Act& act) = 0;
    // The close box of `window`, its system menu's close or Escape.
    virtual void closeWindow(kw::Window window) = 0;

protected:
    ~Play() = default;
};

// The program's play, set by the application before it creates any window.
Play& play();
void setPlay(Play* play);

} // namespace kw::ui
