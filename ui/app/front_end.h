#pragma once

// The program: its one game, its ten windows, and what applies the game's answers to them.
// Every act of the student reaches the game through the windows' play (kit/play.h); what comes
// back is applied here in order (boxes, windows opened, closed and placed, lines and LEDs
// drawn), then every window shows the game's view again.

namespace kw {
class Game;
struct GameOptions;
} // namespace kw

namespace kw::ui {

// Creates the game, then the windows in the program's order, the main window first with the
// start-up, and shows those visible at start. False when the start-up failed (its message was
// shown): the program ends.
bool createWindows();

// The main window alone, started up and not shown yet; false as createWindows.
bool createMainWindow();

// What createWindows sets up first for the whole program: its name, its application id, the
// windows' face as the application's font, and one act per press of Enter or Space.
void setUpApplication();

// Destroys every window, then the game (tests run several programs in one process).
void destroyWindows();

// The program's game, while there is a program. Tests read it, and set up plays on it.
kw::Game& game();

// Every window shows the game's view again (after a test has set a play up on the game).
void refreshWindows();

// For tests: the options the games of the next programs are created with (a fixed seed, a
// clock the test moves). The program itself never sets them: its clock and its seed.
void setGameOptions(const kw::GameOptions& options);

} // namespace kw::ui
