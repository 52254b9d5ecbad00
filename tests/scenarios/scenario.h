#pragma once

// The scenario files of tests/scenarios (format in README.md there), read into plain values
// that every replayer shares: the series to write, then the acts in order, each with the
// boxes it must show and the expectations checked after it. Nothing here knows the rules:
// it reads what the file says.

#include "game.h"
#include "switchtable.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kw::scenario {

// A file that does not follow the format: "<file>:<line>: <what>".
class SyntaxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Menu : std::uint8_t { Nouveau, APropos, Quitter };

struct Act {
    enum class Kind : std::uint8_t {
        Click,     // the diagram at (x, y); `element` when named
        Copy,      // sending dialog: `row` into `column`
        Tick,      // `copier`, or `tick`, set to `on`
        Led,       // `leds` clicked in order in `window`'s picture
        LedAt,     // `window`'s picture at (x, y)
        Done,      // `window`
        Learn,     // switch: `column` then a double-click on `port`
        Select,    // switch: a click on frame cell `column`
        Entry,     // switch: double-click on frame cell `column`
        EntryPort, // switch: double-click on `port`, which checks it first
        Port,      // switch: a click on `port`
        Via,       // switch: `choice`
        Emit,      // switch picture
        Fin,       // "Fin du traitement de la trame"
        MenuItem,  // `menu`
        Answer,    // `on`: OK, else Annuler
        Close,     // `window`
        Activate,  // `window`
        Wait,      // the clock moves on by `seconds`
    };

    Kind kind = Kind::Click;
    int line = 0;
    std::string source; // the line as written, for messages
    std::string element;
    int x = 0;
    int y = 0;
    Window window = Window::Principale;
    int row = 0;
    int column = 0;
    int port = 0;
    std::vector<int> leds;
    bool copier = false; // Tick: the receiving dialog's box rather than a progress box
    Tick tick = Tick::emetteur;
    bool on = false;
    ForwardingChoice choice = ForwardingChoice::None;
    Menu menu = Menu::Nouveau;
    int seconds = 0;
};

struct ExpectedBox {
    int line = 0;
    BoxKind kind = BoxKind::Warning;
    std::string text; // {folder} not yet replaced
};

enum class ProgramState : std::uint8_t { Running, Refused, Ended };
enum class Item : std::uint8_t { Nouveau, Fin };

struct Expectation {
    enum class Kind : std::uint8_t {
        Errors,   // `number`
        Ticks,    // `ticks`
        Cables,   // `cables`
        Flow,     // `number`
        Windows,  // `windows`
        Exercise, // `first` -> `second`
        Numero,   // `first`
        Result,   // `first`, or `none`
        Enabled,  // `items`
        Disabled, // `items`
        Cells,    // `window`: `first`, `second`, or `none`
        Table,    // row `number`: `row` (`anyTtl`)
        Lit,      // `window`: `leds`
        Readonly, // `windowList`
        Editable, // `windowList`
        Copier,   // `on`
        Raised,   // `window`
        Program,  // `program`
    };

    Kind kind = Kind::Errors;
    int line = 0;
    std::string source;
    int number = 0;
    std::array<bool, TickCount> ticks{};
    // The colour each line of cables 1..10 must show: [cable][0 first, 1 second].
    std::array<std::array<Rgb, 2>, CableCount + 1> cables{};
    std::vector<std::pair<Window, Showing>> windows;
    std::string first;
    std::string second;
    bool none = false;
    std::vector<Item> items;
    Window window = Window::Principale;
    SwitchRow row;
    bool anyTtl = false;
    std::vector<int> leds;
    std::vector<Window> windowList;
    bool on = false;
    ProgramState program = ProgramState::Running;
};

// One act with what must follow it; the first step of a scenario has no act: the start.
struct Step {
    std::optional<Act> act;
    std::vector<ExpectedBox> boxes;
    std::vector<Expectation> expectations;
};

struct ExerciseFile {
    std::string folder; // relative to the series folder; "" for the series folder itself
    std::string text;
};

struct Scenario {
    std::string name;
    std::string file; // as given to `load`, for messages
    std::optional<std::string> ini;
    std::optional<ExerciseFile> exercises;
    std::uint32_t seed = 1;
    std::vector<Step> steps;
};

// Reads the text of a scenario; `file` names it in messages. Throws SyntaxError.
Scenario parse(std::string_view text, const std::string& file);
Scenario load(const std::filesystem::path& path);

// Every *.scenario of a folder, sorted by name.
std::vector<std::filesystem::path> listScenarios(const std::filesystem::path& folder);

// Writes kw_switch.INI and the exercise file of the scenario into `folder`, which exists.
void writeSeries(const Scenario& scenario, const std::filesystem::path& folder);

// `text` with every "{folder}" replaced by `folder`.
std::string withFolder(std::string_view text, const std::string& folder);

// The picture pixel a named element of the diagram is clicked at; nothing for another name.
std::optional<std::pair<int, int>> elementPoint(std::string_view element);

// The picture pixel LED k (1..8) of any LED picture is clicked at.
std::pair<int, int> ledPoint(int k);

// The key of a window in scenario files ("hub1"), and back.
const char* windowKey(Window window);
std::optional<Window> windowFromKey(std::string_view key);
const char* tickName(Tick tick);

// A text with the scenario escapes, quoted: for messages.
std::string escaped(std::string_view text);

} // namespace kw::scenario
