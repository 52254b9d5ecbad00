#pragma once

// The whole play of one run, without any window: the shared state, the switch table, the
// progress window's ticks, what every window shows and which windows are open and how. Every
// act of the student is one call; each call changes the game and returns, in order, what a
// front end must do that a look at the view cannot tell it (message boxes, windows to open or
// close, lines and LEDs to paint). A front end passes the student's acts on, applies what
// comes back and shows the view: it decides nothing.
//
// A window opened for work is modal: until it closes, the game takes acts only on it (and
// answers to boxes). What the program does once such a window has closed (the frame shown and
// the sender ticked, the hub's cables, the switch's commit, the end of the frame) happens in
// the call that closes it: its "Terminé", or its close box.

#include "diagram.h"
#include "flow.h"
#include "global.h"
#include "switchtable.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kw {

namespace msg {
inline constexpr const char* SenderMustEmit = "L'émetteur doit émettre !";
inline constexpr const char* CheckDestinationAndSender =
    "Vérifiez le destinataire (et l'expéditeur)";
inline constexpr const char* OneTickPerLine = "Une et une seule coche par ligne";
inline constexpr const char* FrameCompleted =
    "Vous avez mené à bien cette transmission\r\nUtilisez le menu Nouveau";
inline constexpr const char* EndQuestion = "Terminer ?";
inline constexpr const char* ErrorTotalPrefix = "Cumul erreurs = ";
} // namespace msg

// The ten windows, in the order the program creates them.
enum class Window : std::uint8_t {
    Principale,
    Source,
    Avance,
    Hub1,
    AdressesMAC,
    Destination,
    Hub2,
    APropos,
    Switch,
    SwitchGros,
};
inline constexpr int WindowCount = 10;

// How a window is on the screen: closed, open for work (modal: the others wait until it
// closes), or open for review (modeless). The main window and the two reference windows are
// always Modeless once the program has started.
enum class Showing : std::uint8_t { Hidden, Modal, Modeless };

enum class BoxKind : std::uint8_t { Warning, Error, Information, Confirmation };

// "Avertissement", "Erreur", "Information", "Confirmation".
const char* BoxCaption(BoxKind kind);

// The ten check boxes of the progress window: the student's column "Non concerné" first,
// then the program's column "Traité", each in the order sender, Hub 1, Hub 2, switch,
// destination.
enum class Tick : std::uint8_t {
    emetteur,
    Hub1,
    Hub2,
    switch_,
    destinataire,
    _emetteur,
    _hub1,
    _hub2,
    _switch,
    _destinataire,
};
inline constexpr int TickCount = 10;

// The three LED pictures.
enum class LedPicture : std::uint8_t { Hub1, Hub2, Switch };

// One thing a front end must do, in the order of its call. Which fields count depends on
// the kind; the others keep their defaults.
struct Effect {
    enum class Kind : std::uint8_t {
        // A modal message box with its kind's caption and one "OK" (a confirmation adds
        // "Annuler"). `errorTotal` is what the progress window shows while it is up. A box
        // that awaits an answer is the last of its call; the game then takes only `answer`.
        Box,
        // Shows `window`, modal or modeless, in front. A modal opening is the last of its call.
        Open,
        Close,
        // Places the frame of `window` with its top-left corner at (left, top) on the screen.
        Move,
        // Draws line `line` of cable `number` on the diagram in `colour`.
        Line,
        // Fills the square of LED `number` (1..8) of `picture` with `colour`.
        Led,
        // Restores `window` from its minimised state, brings it to the front and makes it
        // active, its first control focused.
        BringToFront,
        // The program ends with `status`.
        Quit,
    };

    Kind kind = Kind::Box;
    Window window = Window::Principale;
    Showing showing = Showing::Hidden;
    BoxKind box = BoxKind::Warning;
    std::string text;
    std::uint16_t errorTotal = 0;
    bool awaitsAnswer = false;
    int left = 0;
    int top = 0;
    int number = 0;
    CableLine line = CableLine::First;
    LedPicture picture = LedPicture::Hub1;
    Rgb colour;
    int status = 0;

    static Effect makeBox(BoxKind box, std::string text, std::uint16_t errorTotal, bool awaits);
    static Effect makeOpen(Window window, Showing showing);
    static Effect makeClose(Window window);
    static Effect makeMove(Window window, int left, int top);
    static Effect makeLine(int cable, CableLine line, Rgb colour);
    static Effect makeLed(LedPicture picture, int led, Rgb colour);
    static Effect makeBringToFront(Window window);
    static Effect makeQuit(int status);
};

using Effects = std::vector<Effect>;

// The five cells of a one-row frame grid.
using FrameCells = std::array<std::string, 5>;

// ---- What each window shows ----
// Each compares whole, so that a caller can tell an act that changed nothing.

struct MainView {
    std::string sourceName;      // Edit1
    std::string destinationName; // Edit2
    bool frameShown = false;     // trame_gauche
    FrameCells frame{"", "", "", FrameUpperLayersText, FrameFcsText};
    bool resultShown = false; // resultat
    std::string result;
    bool nouveauEnabled = false;
    // The colour each line of cables 1..10 was last drawn in: [cable][0 first, 1 second].
    std::array<std::array<Rgb, 2>, CableCount + 1> cables{};

    bool operator==(const MainView&) const = default;
};

struct ProgressView {
    std::string exerciseCaption = "Exercice N° 1"; // numero_exo
    std::string errorsCaption = msg::ErrorTotalPrefix;
    std::array<bool, TickCount> ticks{};
    bool finEnabled = false; // fin_traitement

    bool operator==(const ProgressView&) const = default;
};

// The sending dialog; its cache grid shows the station table.
struct SendingView {
    bool server = false; // serveur_image shown, station_image hidden
    std::string name;    // edit1
    bool panelEnabled = true;
    bool doneShown = true;  // BitBtn1 "Terminé"
    bool labelShown = true; // Label1, the instruction
    FrameCells frame{"", "", "", "Couches supérieures", "FCS"};
    int frameColumn = 0; // selected cell of `trame`
    int cacheRow = 1;    // selected row of `table_MAC`, 1..9

    bool operator==(const SendingView&) const = default;
};

struct ReceivingView {
    bool server = false;
    std::string name;
    bool panelEnabled = true;
    bool doneShown = true;
    bool copy = false; // "Copier la trame en mémoire"
    FrameCells frame{"", "", "", FrameUpperLayersText, FrameFcsText};

    bool operator==(const ReceivingView&) const = default;
};

// A hub LED dialog or the switch LED dialog.
struct LedsView {
    bool panelEnabled = true;
    bool labelShown = true;
    bool doneShown = true;
    // The colour each LED 1..8 was last painted; nothing while it shows the picture as drawn.
    std::array<std::optional<Rgb>, LedCount + 1> leds{};

    bool operator==(const LedsView&) const = default;
};

struct SwitchView {
    bool panelEnabled = true;   // Panel: frame, table, update controls
    bool destViaEnabled = true; // dest_via
    FrameRow frame{"", "", "", FrameUpperLayersText, FrameFcsText};
    int selectedColumn = 0; // of `trame`
    SwitchTable table;
    int updatePort = 0; // port1..port4 checked, 0 for none
    ForwardingChoice choice = ForwardingChoice::None;

    bool operator==(const SwitchView&) const = default;
};

struct GameView {
    std::array<Showing, WindowCount> showing{};
    MainView principale;
    ProgressView avance;
    SendingView source;
    ReceivingView destination;
    std::array<LedsView, 3> hubs; // [1] Hub 1, [2] Hub 2
    SwitchView switch_;
    LedsView switchLeds;

    bool operator==(const GameView&) const = default;
    Showing of(Window window) const { return showing[static_cast<int>(window)]; }
    bool ticked(Tick tick) const { return avance.ticks[static_cast<int>(tick)]; }
};

struct GameOptions {
    // The local date-time in days (clock.h); the program's clock when not given.
    std::function<double()> now;
    // Replaces the clock's seed of the random generator at start-up.
    std::optional<std::uint32_t> seed;
};

class Game {
public:
    explicit Game(GameOptions options = {});

    // The start of the program: the series named on the command line (`argument`, relative
    // to `currentFolder`) or else `currentFolder`, its configuration and exercises, the
    // cables, the first exercise, then what the other windows set up at their creation (the
    // switch's initial table). Refusals come as error boxes, and the game stays unstarted.
    Effects start(const std::string& currentFolder,
                  const std::optional<std::string>& argument = std::nullopt);
    bool started() const { return m_started; }
    // The student answered OK to "Terminer ?": the program ends, and takes no more acts.
    bool ended() const { return m_ended; }

    const GameView& view() const { return m_view; }
    const SharedState& state() const { return m_state; }
    // The station table: names and MAC texts 0..9, as the address grids show them.
    const std::array<StationEntry, BroadcastIndex + 1>& stations() const
    {
        return m_state.StationTable;
    }

    // The window open for work on top of the others, if any.
    std::optional<Window> modalWindow() const;
    // A box awaits `answer`.
    bool awaitingAnswer() const { return m_question != Question::None; }

    // For the tests of a front end only: a play set up in the middle (a flow state, a tick,
    // a window open) that acts would take long to reach. A front end never writes them.
    SharedState& stateForTests() { return m_state; }
    GameView& viewForTests() { return m_view; }

    // ---- The student's acts. An act on a window that is closed, blocked by a modal window
    // or a box, or on a control that is disabled or hidden, does nothing. ----

    // Mouse-down at picture pixel (x, y) of the diagram (any button); the main window's frame
    // is at (mainLeft, mainTop) on the screen.
    Effects clickDiagram(int x, int y, int mainLeft = 0, int mainTop = 0);

    // Sending dialog: the frame cell and the cache row the copy works on (the header row 0
    // cannot be selected), and the copy itself (a double-click on either grid).
    Effects selectFrameColumn(int column);
    Effects selectCacheRow(int row);
    Effects copyAddress();

    // Receiving dialog: "Copier la trame en mémoire".
    Effects setCopy(bool ticked);

    // Mouse-down at picture pixel (x, y) of the LED picture of Hub1, Hub2 or SwitchGros.
    Effects clickLed(Window window, int x, int y);

    // "Terminé" of Source, Destination, Hub1, Hub2 or SwitchGros; "OK" of APropos.
    Effects pressDone(Window window);

    // Switch dialog: the frame cell selected, the port buttons, the entry row's update (a
    // double-click on the frame or on a port button, which checks it first), the choice of
    // the destination's port, and the switch picture that emits.
    Effects selectSwitchColumn(int column);
    Effects chooseUpdatePort(int port);
    Effects copyToEntryRow();
    Effects chooseForwarding(ForwardingChoice choice);
    Effects clickSwitchPicture();

    // Progress window: a "Non concerné" box ticked or unticked by the student, and
    // "Fin du traitement de la trame".
    Effects setTick(Tick tick, bool ticked);
    Effects finTraitement();

    // The main menu, and the main window's close box (as "Quitter").
    Effects nouveau();
    Effects about();
    Effects quit();

    // The answer to the box that awaits one: OK (true) or Annuler.
    Effects answer(bool ok);

    // The window's close box, the system menu's close or Escape.
    Effects closeWindow(Window window);

    // The student has switched to the window from another window of the program.
    Effects activate(Window window);

private:
    // What the program does once a modal window has closed.
    enum class After : std::uint8_t { Nothing, Emission, Reception, Hub, Switch, SwitchLeds };
    struct ModalWindow {
        ModalWindow(Window w, After a, AfterReceiving r = AfterReceiving::Nothing,
                    std::string l = {})
            : window(w), after(a), reception(r), lookup(std::move(l))
        {
        }
        Window window;
        After after;
        AfterReceiving reception;
        std::string lookup; // the switch's lookup, for its commit
    };
    enum class Question : std::uint8_t { None, Quit };

    bool accepts(Window window) const;
    Showing& showing(Window window) { return m_view.showing[static_cast<int>(window)]; }
    bool& tick(Tick t) { return m_view.avance.ticks[static_cast<int>(t)]; }

    void reportError(Effects& out, const std::string& message);
    void box(Effects& out, BoxKind kind, const std::string& message, bool awaits = false);

    void openModal(Effects& out, ModalWindow modal);
    void openModeless(Effects& out, Window window);
    void closeModal(Effects& out, bool success);
    void closeIfShown(Effects& out, Window window);
    void runActivation(Effects& out, Window window);
    void afterModal(Effects& out, const ModalWindow& modal, bool success);

    void drawCables(Effects& out);
    void drawLine(Effects& out, int cable, CableLine line, Rgb colour);
    void paintLed(Effects& out, LedPicture picture, int led, Rgb colour);

    void newExercise(Effects& out);
    void stationClick(Effects& out, int clicked, int mainLeft, int mainTop);
    bool hubStep(Effects& out, int x);
    void hubPassed(Effects& out, int hub);
    void switchStep(Effects& out);

    GameOptions m_options;
    SharedState m_state;
    GameView m_view;
    std::vector<ModalWindow> m_modals;
    Question m_question = Question::None;
    int m_receivingStation = 0; // the station the receiving dialog was last opened for
    bool m_started = false;
    bool m_ended = false;
};

} // namespace kw
