#include "game_monkey.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <fstream>
#include <functional>
#include <system_error>
#include <utility>

#include <unistd.h>

// The message is built only when the check fails: the checks run after every act.
#define KW_EXPECT(condition, ...) ((condition) ? true : (fail(__VA_ARGS__), false))

namespace kw::monkey {

namespace {

// ---- What the program may show: its texts, written here again on purpose ----

const char* const CountedWarnings[] = {
    "Ce n'est pas le noeud émetteur",
    "Ce n'est pas le moment de traiter cette station",
    "Ce n'est pas le moment de traiter ce hub",
    "Ce n'est pas le moment de traiter le switch",
    "Ce champ ne doit pas contenir d'adresse MAC",
    "Une adresse MAC est incorrecte",
    "Vérifiez le destinataire",
    "Au moins une led RX est mal positionnée",
    "Au moins une led TX est mal positionnée",
    "La table n'est pas correctement mise à jour",
    "Adresses mal analysées",
    "Au moins une Led réception mal positionnée",
    "Au moins une Led émission mal positionnée",
    "L'émetteur doit émettre !",
    "Vérifiez le destinataire (et l'expéditeur)",
    "Une et une seule coche par ligne",
};
const std::string DestinationLast = "Le destinataire doit être traité après TOUS les autres";
const std::string FrameDoneText =
    "Vous avez mené à bien cette transmission\r\nUtilisez le menu Nouveau";
const std::string CloseQuestion = "Terminer ?";
const std::string HubRx = "Au moins une led RX est mal positionnée";
const std::string HubTx = "Au moins une led TX est mal positionnée";
const std::string TableWrong = "La table n'est pas correctement mise à jour";
const std::string Misread = "Adresses mal analysées";
const std::string SwitchRx = "Au moins une Led réception mal positionnée";
const std::string SwitchTx = "Au moins une Led émission mal positionnée";

constexpr int FlowValues[] = {0, 10, 20, 30, 35, 40, 41, 45, 50, 60};

// FlowState one move at a time; `hub` marks a hub's repetition.
struct Move {
    int from;
    int to;
    bool hub;
};
constexpr Move FlowMoves[] = {
    {0, 10, false},  {10, 20, false}, {20, 30, true},  {20, 35, false}, {30, 40, false},
    {30, 41, false}, {30, 50, false}, {35, 40, false}, {35, 41, false}, {35, 50, false},
    {40, 50, true},  {41, 45, true},  {45, 50, true},  {50, 60, false},
};

// The fewest hub moves on a chain of moves from one FlowState to another; -1 when none leads
// there. (The flow only goes forward, so a depth-first walk is short.)
int hubMovesBetween(int from, int to)
{
    if (from == to)
        return 0;
    int best = -1;
    for (const Move& m : FlowMoves) {
        if (m.from != from)
            continue;
        const int rest = hubMovesBetween(m.to, to);
        if (rest >= 0) {
            const int total = rest + (m.hub ? 1 : 0);
            if (best < 0 || total < best)
                best = total;
        }
    }
    return best;
}

// The network, as the student knows it.
int portOfStation(int station)
{
    if (station >= 1 && station <= 3)
        return 1;
    if (station >= 4 && station <= 6)
        return 4;
    return station == 7 ? 2 : station == 8 ? 3 : 0;
}

bool sameSide(int a, int b)
{
    return (a <= 3) == (b <= 3);
}

struct Rect {
    int left, top, right, bottom;
};
// Hit rectangles of stations 1..8, then Hub 1, Hub 2, the switch.
constexpr Rect StationRects[] = {{0, 0, 0, 0},         {18, 195, 41, 220},   {79, 195, 100, 220},
                                 {141, 195, 160, 220}, {329, 195, 349, 220}, {393, 195, 413, 220},
                                 {449, 195, 471, 220}, {203, 11, 238, 47},   {273, 11, 307, 47}};
constexpr Rect HubRects[] = {{0, 0, 0, 0}, {39, 139, 174, 152}, {317, 139, 453, 152}};
constexpr Rect SwitchRect{181, 89, 317, 106};
constexpr int LedX[] = {0, 48, 81, 143, 176, 240, 272, 334, 367};
constexpr int LedY = 30;

const char* const WindowNames[] = {"principale",  "source", "avance",  "hub1",   "macs",
                                   "destination", "hub2",   "apropos", "switch", "leds"};

std::string windowName(Window w)
{
    const int i = static_cast<int>(w);
    return i >= 0 && i < WindowCount ? WindowNames[i] : "?";
}

// ---- Acts ----

} // namespace

std::string describe(const Act& act)
{
    const std::string a = std::to_string(act.a);
    const std::string b = std::to_string(act.b);
    switch (act.op) {
    case Op::ClickDiagram:
        return "clickDiagram(" + a + "," + b + ")";
    case Op::SelectFrameColumn:
        return "selectFrameColumn(" + a + ")";
    case Op::SelectCacheRow:
        return "selectCacheRow(" + a + ")";
    case Op::CopyAddress:
        return "copyAddress()";
    case Op::SetCopy:
        return std::string("setCopy(") + (act.flag ? "true" : "false") + ")";
    case Op::ClickLed:
        return "clickLed(" + windowName(act.window) + "," + a + "," + b + ")";
    case Op::PressDone:
        return "pressDone(" + windowName(act.window) + ")";
    case Op::SelectSwitchColumn:
        return "selectSwitchColumn(" + a + ")";
    case Op::ChooseUpdatePort:
        return "chooseUpdatePort(" + a + ")";
    case Op::CopyToEntryRow:
        return "copyToEntryRow()";
    case Op::ChooseForwarding:
        return "chooseForwarding(" + std::to_string(static_cast<int>(act.choice)) + ")";
    case Op::ClickSwitchPicture:
        return "clickSwitchPicture()";
    case Op::SetTick:
        return "setTick(" + std::to_string(static_cast<int>(act.tick)) + "," +
               (act.flag ? "true" : "false") + ")";
    case Op::Fin:
        return "finTraitement()";
    case Op::Nouveau:
        return "nouveau()";
    case Op::About:
        return "about()";
    case Op::Quit:
        return "quit()";
    case Op::Answer:
        return std::string("answer(") + (act.flag ? "true" : "false") + ")";
    case Op::Close:
        return "closeWindow(" + windowName(act.window) + ")";
    case Op::Activate:
        return "activate(" + windowName(act.window) + ")";
    }
    return "?";
}

Effects perform(Game& game, const Act& act)
{
    switch (act.op) {
    case Op::ClickDiagram:
        return game.clickDiagram(act.a, act.b);
    case Op::SelectFrameColumn:
        return game.selectFrameColumn(act.a);
    case Op::SelectCacheRow:
        return game.selectCacheRow(act.a);
    case Op::CopyAddress:
        return game.copyAddress();
    case Op::SetCopy:
        return game.setCopy(act.flag);
    case Op::ClickLed:
        return game.clickLed(act.window, act.a, act.b);
    case Op::PressDone:
        return game.pressDone(act.window);
    case Op::SelectSwitchColumn:
        return game.selectSwitchColumn(act.a);
    case Op::ChooseUpdatePort:
        return game.chooseUpdatePort(act.a);
    case Op::CopyToEntryRow:
        return game.copyToEntryRow();
    case Op::ChooseForwarding:
        return game.chooseForwarding(act.choice);
    case Op::ClickSwitchPicture:
        return game.clickSwitchPicture();
    case Op::SetTick:
        return game.setTick(act.tick, act.flag);
    case Op::Fin:
        return game.finTraitement();
    case Op::Nouveau:
        return game.nouveau();
    case Op::About:
        return game.about();
    case Op::Quit:
        return game.quit();
    case Op::Answer:
        return game.answer(act.flag);
    case Op::Close:
        return game.closeWindow(act.window);
    case Op::Activate:
        return game.activate(act.window);
    }
    return {};
}

namespace {

// The window an act is made in; nothing for the answer to a box.
std::optional<Window> targetOf(const Act& act)
{
    switch (act.op) {
    case Op::ClickDiagram:
    case Op::Nouveau:
    case Op::About:
    case Op::Quit:
        return Window::Principale;
    case Op::SelectFrameColumn:
    case Op::SelectCacheRow:
    case Op::CopyAddress:
        return Window::Source;
    case Op::SetCopy:
        return Window::Destination;
    case Op::SelectSwitchColumn:
    case Op::ChooseUpdatePort:
    case Op::CopyToEntryRow:
    case Op::ChooseForwarding:
    case Op::ClickSwitchPicture:
        return Window::Switch;
    case Op::SetTick:
    case Op::Fin:
        return Window::Avance;
    case Op::ClickLed:
    case Op::PressDone:
    case Op::Close:
    case Op::Activate:
        return act.window;
    case Op::Answer:
        return std::nullopt;
    }
    return std::nullopt;
}

const LedsView* ledsOf(const GameView& v, Window w)
{
    if (w == Window::Hub1)
        return &v.hubs[1];
    if (w == Window::Hub2)
        return &v.hubs[2];
    if (w == Window::SwitchGros)
        return &v.switchLeds;
    return nullptr;
}

// What the game's contract says must do nothing at all: a closed or blocked window, a
// disabled or hidden control.
bool mustBeInert(const Game& game, const Act& act)
{
    if (!game.started())
        return true;
    if (game.awaitingAnswer())
        return act.op != Op::Answer;
    if (act.op == Op::Answer)
        return true;
    const std::optional<Window> target = targetOf(act);
    const GameView& v = game.view();
    const std::optional<Window> modal = game.modalWindow();
    if (modal && target != modal)
        return true;
    if (v.of(*target) == Showing::Hidden)
        return true;
    switch (act.op) {
    case Op::SelectFrameColumn:
    case Op::SelectCacheRow:
    case Op::CopyAddress:
        return !v.source.panelEnabled;
    case Op::SetCopy:
        return !v.destination.panelEnabled;
    case Op::ClickLed: {
        const LedsView* leds = ledsOf(v, act.window);
        return !leds || !leds->panelEnabled;
    }
    case Op::PressDone:
        switch (act.window) {
        case Window::Source:
            return !v.source.panelEnabled || !v.source.doneShown;
        case Window::Destination:
            return !v.destination.panelEnabled || !v.destination.doneShown;
        case Window::Hub1:
        case Window::Hub2:
        case Window::SwitchGros: {
            const LedsView* leds = ledsOf(v, act.window);
            return !leds->panelEnabled || !leds->doneShown;
        }
        case Window::APropos:
            return false;
        default:
            return true; // no "Terminé" there
        }
    case Op::SelectSwitchColumn:
    case Op::ChooseUpdatePort:
    case Op::CopyToEntryRow:
        return !v.switch_.panelEnabled;
    case Op::ChooseForwarding:
        return !v.switch_.destViaEnabled;
    case Op::SetTick:
        return static_cast<int>(act.tick) >= static_cast<int>(Tick::_emetteur);
    case Op::Fin:
        return !v.avance.finEnabled;
    case Op::Nouveau:
        return !v.principale.nouveauEnabled;
    case Op::Close:
        return act.window == Window::Avance || act.window == Window::AdressesMAC;
    default:
        return false;
    }
}

bool isLitColour(const std::optional<Rgb>& c)
{
    return c && *c != colour::Silver;
}

} // namespace

// ---- Dice ----

unsigned SeededDice::below(unsigned n)
{
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return n <= 1 ? 0 : static_cast<unsigned>(z % n);
}

unsigned ByteDice::below(unsigned n)
{
    unsigned value = 0;
    for (int i = 0; i < 2; ++i) {
        value = value << 8 | (m_at < m_size ? m_data[m_at] : 0);
        ++m_at;
    }
    return n <= 1 ? 0 : value % n;
}

// ---- Series ----

const std::vector<Series>& allSeries()
{
    // Each series imposes its first exercise, so that a run does not hang on the clock.
    static const std::vector<Series> series{
        {"manual_hubs", "[parametres]\r\nquestions=.\r\nfreq_multi=2\r\n", "1 5\r\n", false},
        {"hub_auto_2",
         "[parametres]\r\nquestions=.\r\nhub_auto=2\r\nttl_max=60\r\nentrees_initiales=\r\n",
         "7 5\r\n", false},
        {"full_table",
         "[parametres]\r\nquestions=.\r\nentrees_initiales=12345678\r\nttl_max=40\r\n"
         "freq_multi=3\r\nhub_auto=1\r\n",
         "8 9\r\n", false},
        {"repeated_digits",
         "[parametres]\r\nquestions=.\r\nentrees_initiales=1134\r\nttl_max=30\r\n", "2 1\r\n",
         false},
        {"short_lifetimes", "[parametres]\r\nquestions=.\r\nentrees_initiales=15\r\nttl_max=8\r\n",
         "5 9\r\n", false},
        {"imposed_series",
         "[parametres]\r\nentrees_initiales=\r\nttl_max=255\r\nfreq_multi=1\r\nquestions=.\r\n"
         "hub_auto=0\r\n",
         "1 2\r\n2 1\r\n7 5\r\n3 7\r\n5 9\r\n1 5\r\n8 9\r\n7 8\r\nFIN\r\n", true},
    };
    return series;
}

SeriesFolder::SeriesFolder(const Series& series)
{
    namespace fs = std::filesystem;
    static std::atomic<int> counter = 0;
    const fs::path path =
        fs::temp_directory_path() / ("kw_monkey_" + std::to_string(::getpid()) + "_" +
                                     std::to_string(++counter) + "_" + series.name);
    fs::remove_all(path);
    fs::create_directories(path);
    std::ofstream(path / "kw_switch.INI", std::ios::binary) << series.ini;
    std::ofstream(path / "switchexos.kw", std::ios::binary) << series.exercises;
    m_path = path.string();
}

SeriesFolder::~SeriesFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

// ---- The student ----

struct Student::Impl {
    Impl(Dice& d, int hints) : dice(d), hintPercent(hints) {}

    Dice& dice;
    int hintPercent;

    // The good student's guesses for the exercise in play, put right by the boxes' answers.
    int guessesFor = -1;
    std::array<int, 3> hubInPort{}; // 1..4 per hub
    int learnPort = 1;
    int viaGuess = 0; // 0 inconnu, 1..4
    int txGuess = 0;  // with a port: 0 that port's TX, 1 none
    std::deque<Act> plan;

    unsigned roll(unsigned n) { return dice.below(n); }
    bool percent(unsigned p) { return roll(100) < p; }
    int between(int low, int high) { return low + static_cast<int>(roll(high - low + 1)); }

    void refreshGuesses(const Game& game)
    {
        const int number = game.state().ExerciseNumber;
        if (guessesFor == number)
            return;
        guessesFor = number;
        hubInPort = {0, between(1, 4), between(1, 4)};
        learnPort = between(1, 4);
        viaGuess = between(0, 4);
        txGuess = 0;
        plan.clear();
    }

    Act click(const Rect& r, bool middle)
    {
        Act act;
        act.op = Op::ClickDiagram;
        act.a = middle ? (r.left + r.right) / 2 : between(r.left, r.right);
        act.b = middle ? (r.top + r.bottom) / 2 : between(r.top, r.bottom);
        return act;
    }

    Act simple(Op op, Window w = Window::Principale)
    {
        Act act;
        act.op = op;
        act.window = w;
        return act;
    }

    Act randomAct()
    {
        Act act;
        const int weights[] = {25, 3, 3, 3, 2, 6, 5, 2, 2, 2, 2, 3, 4, 2, 2, 1, 1, 2, 3, 2};
        int total = 0;
        for (int w : weights)
            total += w;
        int pick = static_cast<int>(roll(total));
        int op = 0;
        while (pick >= weights[op])
            pick -= weights[op++];
        act.op = static_cast<Op>(op);
        act.window = static_cast<Window>(roll(WindowCount));
        switch (act.op) {
        case Op::ClickDiagram: {
            const int where = static_cast<int>(roll(12));
            if (where < 8)
                act = click(StationRects[where + 1], false);
            else if (where < 10)
                act = click(HubRects[where - 7], false);
            else if (where < 11)
                act = click(SwitchRect, false);
            else
                act = click({-20, -20, 505, 254}, false);
            break;
        }
        case Op::SelectFrameColumn:
        case Op::SelectSwitchColumn:
            act.a = between(-1, 5);
            break;
        case Op::SelectCacheRow:
            act.a = between(-1, 10);
            break;
        case Op::ChooseUpdatePort:
            act.a = between(-1, 5);
            break;
        case Op::SetCopy:
        case Op::SetTick:
        case Op::Answer:
            act.flag = percent(50);
            act.tick = static_cast<Tick>(roll(TickCount));
            if (act.op == Op::Answer)
                act.flag = percent(2);
            break;
        case Op::ClickLed: {
            const Window ledWindows[] = {Window::Hub1, Window::Hub2, Window::SwitchGros};
            if (percent(85))
                act.window = ledWindows[roll(3)];
            if (percent(70)) {
                act.a = LedX[between(1, 8)];
                act.b = LedY;
            } else {
                act.a = between(-5, 420);
                act.b = between(-5, 65);
            }
            break;
        }
        case Op::ChooseForwarding:
            act.choice = static_cast<ForwardingChoice>(roll(6));
            break;
        default:
            break;
        }
        return act;
    }

    void addCopy(int column, int row)
    {
        Act select = simple(Op::SelectFrameColumn);
        select.a = column;
        Act pick = simple(Op::SelectCacheRow);
        pick.a = row;
        plan.push_back(select);
        plan.push_back(pick);
        plan.push_back(simple(Op::CopyAddress));
    }

    // The LED to click next to reach `want` in a picture, or 0 when it shows it.
    int ledToFix(const Game& game, Window w, const std::array<bool, LedCount + 1>& want)
    {
        const LedsView* view = ledsOf(game.view(), w);
        for (int k = 1; k <= LedCount; ++k)
            if (isLitColour(view->leds[k]) != want[k])
                return k;
        return 0;
    }

    Act ledAct(Window w, int k)
    {
        Act act = simple(Op::ClickLed, w);
        act.a = LedX[k];
        act.b = LedY;
        return act;
    }

    // The act of a student who knows the network: what to do next in the window in front.
    void hint(const Game& game)
    {
        refreshGuesses(game);
        const GameView& v = game.view();
        const SharedState& s = game.state();
        const int source = s.CurrentExercise.source;
        const int destination = s.CurrentExercise.destination;
        const auto mac = [&game](int station) { return game.stations()[station].mac; };

        if (game.awaitingAnswer()) {
            Act act = simple(Op::Answer);
            act.flag = percent(1);
            plan.push_back(act);
            return;
        }
        if (const std::optional<Window> modal = game.modalWindow()) {
            switch (*modal) {
            case Window::Source:
                if (v.source.frame[0] != mac(destination))
                    addCopy(0, destination);
                else if (v.source.frame[1] != mac(source))
                    addCopy(1, source);
                else
                    plan.push_back(simple(Op::PressDone, Window::Source));
                return;
            case Window::Destination:
                if (!v.destination.panelEnabled) {
                    plan.push_back(simple(Op::Close, Window::Destination));
                } else if (!v.destination.copy) {
                    Act act = simple(Op::SetCopy);
                    act.flag = true;
                    plan.push_back(act);
                } else {
                    plan.push_back(simple(Op::PressDone, Window::Destination));
                }
                return;
            case Window::Hub1:
            case Window::Hub2: {
                const int hub = *modal == Window::Hub1 ? 1 : 2;
                // A hub repeats on every port but the one the frame came in on.
                std::array<bool, LedCount + 1> want{};
                const int in = hubInPort[hub];
                for (int p = 1; p <= 4; ++p) {
                    want[2 * p - 1] = p == in;
                    want[2 * p] = p != in;
                }
                if (const int k = ledToFix(game, *modal, want)) {
                    plan.push_back(ledAct(*modal, k));
                } else {
                    Act act = simple(Op::PressDone, *modal);
                    act.belief = true;
                    plan.push_back(act);
                }
                return;
            }
            case Window::Switch: {
                const SwitchRow& entry = v.switch_.table.entryRow();
                const ForwardingChoice via[] = {ForwardingChoice::Unknown, ForwardingChoice::Port1,
                                                ForwardingChoice::Port2, ForwardingChoice::Port3,
                                                ForwardingChoice::Port4};
                if (entry.address != mac(source) || entry.port != std::to_string(learnPort)) {
                    Act select = simple(Op::SelectSwitchColumn);
                    select.a = 1;
                    Act port = simple(Op::ChooseUpdatePort);
                    port.a = learnPort;
                    plan.push_back(select);
                    plan.push_back(port);
                    plan.push_back(simple(Op::CopyToEntryRow));
                } else if (v.switch_.choice != via[viaGuess]) {
                    Act act = simple(Op::ChooseForwarding);
                    act.choice = via[viaGuess];
                    plan.push_back(act);
                } else {
                    Act act = simple(Op::ClickSwitchPicture);
                    act.belief = true;
                    plan.push_back(act);
                }
                return;
            }
            case Window::SwitchGros: {
                if (!v.switchLeds.panelEnabled) {
                    plan.push_back(simple(Op::Close, Window::SwitchGros));
                    return;
                }
                // RX where the frame came in; TX everywhere else when flooding, else on the
                // port chosen, unless the frame stays behind its own port.
                std::array<bool, LedCount + 1> want{};
                const int in = learnPort;
                want[2 * in] = true;
                if (viaGuess == 0) {
                    for (int p = 1; p <= 4; ++p)
                        want[2 * p - 1] = p != in;
                } else if (viaGuess != in && txGuess == 0) {
                    want[2 * viaGuess - 1] = true;
                }
                if (const int k = ledToFix(game, Window::SwitchGros, want)) {
                    plan.push_back(ledAct(Window::SwitchGros, k));
                } else {
                    Act act = simple(Op::PressDone, Window::SwitchGros);
                    act.belief = true;
                    plan.push_back(act);
                }
                return;
            }
            case Window::APropos:
                plan.push_back(simple(percent(50) ? Op::PressDone : Op::Close, Window::APropos));
                return;
            default:
                plan.push_back(simple(Op::Close, *modal));
                return;
            }
        }

        const int flow = s.FlowState;
        if (flow == flow::FrameDone) {
            if (v.principale.nouveauEnabled) {
                plan.push_back(simple(Op::Nouveau));
                return;
            }
            if (v.principale.resultShown) {
                // The series is over: now and then the student leaves.
                plan.push_back(percent(10) ? simple(Op::Quit) : randomAct());
                return;
            }
            // "Non concerné" for each hub the frame did not reach, then the button.
            for (int hub = 1; hub <= 2; ++hub) {
                const Tick notConcerned = hub == 1 ? Tick::Hub1 : Tick::Hub2;
                const Tick treated = hub == 1 ? Tick::_hub1 : Tick::_hub2;
                if (v.ticked(notConcerned) == v.ticked(treated)) {
                    Act act = simple(Op::SetTick);
                    act.tick = notConcerned;
                    act.flag = !v.ticked(treated);
                    plan.push_back(act);
                    return;
                }
            }
            plan.push_back(simple(Op::Fin));
            return;
        }
        const bool broadcast = destination == BroadcastIndex;
        auto receiver = [&](bool senderSideOnly) {
            std::vector<int> candidates;
            for (int st = 1; st <= StationCount; ++st)
                if (st != source && !s.BroadcastCopied[st] &&
                    (!senderSideOnly || sameSide(st, source)))
                    candidates.push_back(st);
            return candidates.empty() ? 0 : candidates[roll(candidates.size())];
        };
        auto hubClick = [&](int hub) { plan.push_back(click(HubRects[hub], false)); };
        switch (flow) {
        case flow::Start:
        case flow::ExerciseReady:
            plan.push_back(click(StationRects[source], false));
            return;
        case flow::MachineEmitted:
            hubClick(source <= 3 ? 1 : 2);
            return;
        case flow::SenderHubDone:
        case flow::ServerEmitted:
            if (broadcast && percent(40))
                if (const int st = receiver(true)) {
                    plan.push_back(click(StationRects[st], false));
                    return;
                }
            plan.push_back(click(SwitchRect, false));
            return;
        case flow::TowardsOneHub: {
            const bool towards1 = isLitColour(v.switchLeds.leds[1]);
            const bool towards2 = isLitColour(v.switchLeds.leds[7]);
            if (towards1 && !v.ticked(Tick::_hub1))
                hubClick(1);
            else if (towards2 && !v.ticked(Tick::_hub2))
                hubClick(2);
            else
                plan.push_back(click(SwitchRect, false));
            return;
        }
        case flow::TowardsBothHubs:
        case flow::OneOfTwoHubsDone:
            if (!v.ticked(Tick::_hub1) && (v.ticked(Tick::_hub2) || percent(50)))
                hubClick(1);
            else
                hubClick(2);
            return;
        case flow::ReachedAll: {
            const int st = broadcast ? receiver(false) : destination;
            if (st != 0)
                plan.push_back(click(StationRects[st], false));
            else
                plan.push_back(randomAct());
            return;
        }
        default:
            plan.push_back(randomAct());
            return;
        }
    }

    // The answer to a good student's press tells which guess was wrong.
    void learnFrom(const Act& act, const std::vector<std::string>& boxes)
    {
        auto shown = [&](const std::string& text) {
            return std::find(boxes.begin(), boxes.end(), text) != boxes.end();
        };
        if (act.op == Op::PressDone && (act.window == Window::Hub1 || act.window == Window::Hub2)) {
            const int hub = act.window == Window::Hub1 ? 1 : 2;
            if (shown(HubRx) || shown(HubTx))
                hubInPort[hub] = hubInPort[hub] % 4 + 1;
        } else if (act.op == Op::ClickSwitchPicture) {
            if (shown(TableWrong))
                learnPort = learnPort % 4 + 1;
            else if (shown(Misread))
                viaGuess = (viaGuess + 1) % 5;
        } else if (act.op == Op::PressDone && act.window == Window::SwitchGros) {
            if (shown(SwitchTx))
                txGuess = 1 - txGuess;
        }
    }
};

Student::Student(Dice& dice, int hintPercent) : m_impl(std::make_unique<Impl>(dice, hintPercent)) {}

Student::~Student() = default;

Act Student::next(const Game& game, bool* hinted)
{
    std::deque<Act>& plan = m_impl->plan;
    if (plan.empty()) {
        if (m_impl->percent(static_cast<unsigned>(m_impl->hintPercent))) {
            m_impl->hint(game);
            if (hinted)
                *hinted = true;
        } else {
            plan.push_back(m_impl->randomAct());
        }
    }
    const Act act = plan.front();
    plan.pop_front();
    return act;
}

void Student::told(const Act& act, const std::vector<std::string>& boxes)
{
    m_impl->learnFrom(act, boxes);
}

void Student::reset()
{
    m_impl->plan.clear();
    m_impl->guessesFor = -1;
}

// ---- The monkey ----

struct GameMonkey::Impl {
    Impl(const Series& s, std::string f, std::uint32_t seed, Dice& d, int hints, Stats& st)
        : series(s), folder(std::move(f)), seed(seed), dice(d), stats(st), student(d, hints)
    {
    }

    const Series& series;
    std::string folder;
    std::uint32_t seed;
    Dice& dice;
    Stats& stats;

    double now = 36557.0; // a fixed moment; the series' time is not what is checked here
    std::optional<Game> game;
    bool ended = false;

    // What a front end would know from the effects alone.
    std::array<Showing, WindowCount> shownWindows{};
    std::array<std::array<Rgb, 2>, CableCount + 1> cables{};
    std::array<std::array<std::optional<Rgb>, LedCount + 1>, 3> leds{}; // Hub1, Hub2, switch

    int expectedErrors = 0;
    int lastFlow = 0;
    int hubMoves = 0;
    int exercise = 0;
    int frameDoneFor = -1;
    bool seriesEnded = false;
    bool committed = false;
    SwitchTable lastTable;

    Student student;

    struct Made {
        long index;
        int flow;
        Act act;
    };
    std::deque<Made> recent; // described only when something broke
    std::string failure;

    void fail(const std::string& what)
    {
        if (failure.empty())
            failure = what;
    }

    // ---- Runs ----

    void startRun()
    {
        game.emplace(GameOptions{[this] { return now; }, seed + stats.runs});
        ended = false;
        ++stats.runs;
        const Effects start = game->start(folder);
        KW_EXPECT(game->started(), std::string("the series ") + series.name + " did not start");
        for (const Effect& e : start)
            KW_EXPECT(e.kind != Effect::Kind::Box, "a box at the start: " + e.text);
        const GameView& v = game->view();
        shownWindows = v.showing;
        cables = {};
        leds = {};
        applyPaint(start);
        expectedErrors = 0;
        lastFlow = game->state().FlowState;
        exercise = game->state().ExerciseNumber;
        hubMoves = 0;
        frameDoneFor = -1;
        seriesEnded = false;
        committed = false;
        lastTable = v.switch_.table;
        student.reset();
        ++stats.exercises;
        checkAfter({}, std::nullopt);
    }

    void applyPaint(const Effects& effects)
    {
        for (const Effect& e : effects) {
            if (e.kind == Effect::Kind::Line && e.number >= 1 && e.number <= CableCount)
                cables[e.number][e.line == CableLine::First ? 0 : 1] = e.colour;
            else if (e.kind == Effect::Kind::Led && e.number >= 1 && e.number <= LedCount)
                leds[static_cast<int>(e.picture)][e.number] = e.colour;
        }
    }

    // ---- One act ----

    bool step()
    {
        if (!failure.empty())
            return false;
        if (!game || ended) {
            startRun();
            return failure.empty();
        }
        bool hinted = false;
        const Act act = student.next(*game, &hinted);
        if (hinted)
            ++stats.hints;

        recent.push_back({stats.acts, game->state().FlowState, act});
        if (recent.size() > 30)
            recent.pop_front();

        const bool inert = mustBeInert(*game, act);
        std::optional<std::pair<GameView, SharedState>> before;
        if (inert)
            before.emplace(game->view(), game->state());
        const Effects effects = perform(*game, act);
        ++stats.acts;
        if (act.belief) {
            std::vector<std::string> boxes;
            for (const Effect& e : effects)
                if (e.kind == Effect::Kind::Box)
                    boxes.push_back(e.text);
            student.told(act, boxes);
        }
        if (inert) {
            KW_EXPECT(effects.empty() && game->view() == before->first &&
                          game->state() == before->second,
                      describe(act) + " changed the game although it must do nothing");
        }
        checkAfter(effects, act);
        return failure.empty();
    }

    // ---- The checks ----

    void checkBoxes(const Effects& effects)
    {
        for (std::size_t i = 0; i < effects.size(); ++i) {
            const Effect& e = effects[i];
            if (e.kind == Effect::Kind::Quit) {
                KW_EXPECT(i + 1 == effects.size(), "effects after the end of the program");
                ended = true;
            }
            if (e.kind == Effect::Kind::Open && e.showing == Showing::Modal)
                KW_EXPECT(i + 1 == effects.size(), "effects after a window opened for work");
            if (e.kind != Effect::Kind::Box)
                continue;
            KW_EXPECT(!e.awaitsAnswer || i + 1 == effects.size(),
                      "effects after a box that awaits its answer");
            switch (e.box) {
            case BoxKind::Warning:
                if (e.text != DestinationLast) {
                    KW_EXPECT(std::find(std::begin(CountedWarnings), std::end(CountedWarnings),
                                        e.text) != std::end(CountedWarnings),
                              "unknown warning \"" + e.text + "\"");
                    if (expectedErrors < 65535)
                        ++expectedErrors;
                    ++stats.countedErrors;
                }
                KW_EXPECT(!e.awaitsAnswer, "a warning awaits an answer");
                KW_EXPECT(e.errorTotal == expectedErrors,
                          "the warning \"" + e.text + "\" shows the total " +
                              std::to_string(e.errorTotal) + ", " + std::to_string(expectedErrors) +
                              " counted");
                break;
            case BoxKind::Error:
                fail("an error box during the run: \"" + e.text + "\"");
                break;
            case BoxKind::Information:
                KW_EXPECT(e.text == FrameDoneText, "information \"" + e.text + "\"");
                KW_EXPECT(game->state().FlowState == flow::FrameDone,
                          "the frame declared done at FlowState " +
                              std::to_string(game->state().FlowState));
                KW_EXPECT(!e.awaitsAnswer, "an information awaits an answer");
                if (frameDoneFor != game->state().ExerciseNumber) {
                    frameDoneFor = game->state().ExerciseNumber;
                    ++stats.framesDone;
                }
                break;
            case BoxKind::Confirmation:
                KW_EXPECT(e.text == CloseQuestion && e.awaitsAnswer,
                          "confirmation \"" + e.text + "\"");
                break;
            }
        }
    }

    void checkShadows(const Effects& effects)
    {
        for (const Effect& e : effects) {
            if (e.kind == Effect::Kind::Open)
                shownWindows[static_cast<int>(e.window)] = e.showing;
            else if (e.kind == Effect::Kind::Close)
                shownWindows[static_cast<int>(e.window)] = Showing::Hidden;
        }
        applyPaint(effects);
        const GameView& v = game->view();
        for (int w = 0; w < WindowCount; ++w)
            KW_EXPECT(shownWindows[w] == v.showing[w], "the effects leave " +
                                                           windowName(static_cast<Window>(w)) +
                                                           " otherwise than the view shows it");
        KW_EXPECT(cables == v.principale.cables,
                  "the effects painted other cables than the view's");
        KW_EXPECT(leds[0] == v.hubs[1].leds && leds[1] == v.hubs[2].leds &&
                      leds[2] == v.switchLeds.leds,
                  "the effects painted other LEDs than the view's");
    }

    void checkWindows(int flow)
    {
        const GameView& v = game->view();
        std::vector<Window> modal;
        for (int w = 0; w < WindowCount; ++w)
            if (v.showing[w] == Showing::Modal)
                modal.push_back(static_cast<Window>(w));
        const std::optional<Window> top = game->modalWindow();
        if (modal.empty()) {
            KW_EXPECT(!top, "a modal window without a window shown modal");
        } else if (modal.size() == 1) {
            KW_EXPECT(top == modal[0], "the modal window is not the one on top");
        } else {
            KW_EXPECT(modal.size() == 2 && modal[0] == Window::Switch &&
                          modal[1] == Window::SwitchGros && top == Window::SwitchGros,
                      "two windows open for work");
        }
        for (Window w : {Window::Principale, Window::Avance, Window::AdressesMAC})
            KW_EXPECT(v.of(w) == Showing::Modeless,
                      windowName(w) + " is not up while the program runs");
        const bool switchTicked = v.ticked(Tick::_switch);
        for (Window w : modal) {
            switch (w) {
            case Window::Source:
                KW_EXPECT(flow == flow::ExerciseReady && v.source.panelEnabled,
                          "the sending dialog open for work at FlowState " + std::to_string(flow));
                break;
            case Window::Hub1:
            case Window::Hub2:
                KW_EXPECT(flow == 20 || flow == 40 || flow == 41 || flow == 45,
                          windowName(w) + " open for work at FlowState " + std::to_string(flow));
                break;
            case Window::Switch:
                KW_EXPECT((flow == 30 || flow == 35) && !switchTicked,
                          "the switch open for work at FlowState " + std::to_string(flow));
                break;
            case Window::SwitchGros:
                if (v.switchLeds.panelEnabled)
                    KW_EXPECT((flow == 30 || flow == 35) && v.of(Window::Switch) == Showing::Modal,
                              "the switch's LEDs open for work at FlowState " +
                                  std::to_string(flow));
                else
                    KW_EXPECT(switchTicked, "the switch's LEDs reviewed before the switch");
                break;
            case Window::Destination:
                KW_EXPECT(flow >= 11 && flow <= 50,
                          "a receiving dialog modal at FlowState " + std::to_string(flow));
                break;
            default:
                break;
            }
        }
        // What stays up between acts without being modal is a review.
        if (v.of(Window::Source) == Showing::Modeless)
            KW_EXPECT(!v.source.panelEnabled, "the sending dialog modeless and editable");
        if (v.of(Window::Destination) == Showing::Modeless)
            KW_EXPECT(!v.destination.panelEnabled && flow == flow::FrameDone,
                      "a receiving dialog modeless and editable, or before the frame is done");
        for (int hub = 1; hub <= 2; ++hub)
            if (v.of(hub == 1 ? Window::Hub1 : Window::Hub2) == Showing::Modeless)
                KW_EXPECT(!v.hubs[hub].panelEnabled && !v.hubs[hub].doneShown &&
                              v.ticked(hub == 1 ? Tick::_hub1 : Tick::_hub2),
                          "hub " + std::to_string(hub) + " modeless and editable, or untreated");
        if (v.of(Window::Switch) == Showing::Modeless)
            KW_EXPECT(!v.switch_.panelEnabled && !v.switch_.destViaEnabled && switchTicked,
                      "the switch modeless and editable, or untreated");
        KW_EXPECT(v.of(Window::SwitchGros) != Showing::Modeless, "the switch's LEDs modeless");
        KW_EXPECT(v.of(Window::APropos) != Showing::Modeless, "the about box modeless");
    }

    void checkTable(int flow, bool commitNow)
    {
        const SwitchTable& table = game->view().switch_.table;
        bool rowsChanged = false;
        for (int row = SwitchFirstEntry; row <= SwitchLastEntry; ++row)
            if (table.rows[row] != lastTable.rows[row])
                rowsChanged = true;
        KW_EXPECT(!rowsChanged || commitNow,
                  "the switch table changed outside a switch step, at FlowState " +
                      std::to_string(flow));
        lastTable = table;
        if (commitNow) {
            ++stats.commits;
            committed = true;
            KW_EXPECT(table.entryRow() == SwitchRow{}, "the entry row kept after the switch step");
        }
        if (!committed)
            return;
        // One block of known stations from row 1, each on its port, within its lifetime.
        const int ttlMax = std::stoi(game->state().TtlMaxText);
        bool inBlock = true;
        for (int row = SwitchFirstEntry; row <= SwitchLastEntry; ++row) {
            const SwitchRow& r = table.rows[row];
            const auto where = [&] {
                return "switch table row " + std::to_string(row) + " (" + r.address + "|" + r.ttl +
                       "|" + r.port + ")";
            };
            if (r.address.empty()) {
                inBlock = false;
                KW_EXPECT(r.port.empty() && r.ttl != "0", where() + ": a gap row");
                continue;
            }
            if (!KW_EXPECT(inBlock, where() + ": an entry below a gap"))
                return;
            int ttl = -1;
            try {
                ttl = std::stoi(r.ttl);
            } catch (...) {
            }
            KW_EXPECT(ttl >= 1 && ttl <= ttlMax, where() + ": its lifetime");
            int station = 0;
            for (int st = 1; st <= StationCount; ++st)
                if (game->stations()[st].mac == r.address)
                    station = st;
            KW_EXPECT(station != 0 && r.port == std::to_string(portOfStation(station)),
                      where() + ": no station on that port");
        }
    }

    void checkAfter(const Effects& effects, const std::optional<Act>& act)
    {
        checkBoxes(effects);
        if (ended) {
            KW_EXPECT(act && act->op == Op::Answer && act->flag, "the program ended otherwise");
            return;
        }
        checkShadows(effects);
        const GameView& v = game->view();
        const SharedState& s = game->state();
        const int flow = s.FlowState;
        stats.flows.insert(flow);

        KW_EXPECT(s.ErrorTotal == expectedErrors, "ErrorTotal " + std::to_string(s.ErrorTotal) +
                                                      ", counted warnings " +
                                                      std::to_string(expectedErrors));
        const std::string caption = msg::ErrorTotalPrefix + std::to_string(expectedErrors);
        KW_EXPECT(v.avance.errorsCaption == caption ||
                      (expectedErrors == 0 && v.avance.errorsCaption == msg::ErrorTotalPrefix),
                  "the label reads \"" + v.avance.errorsCaption + "\"");
        if (!KW_EXPECT(std::find(std::begin(FlowValues), std::end(FlowValues), flow) !=
                           std::end(FlowValues),
                       "FlowState " + std::to_string(flow)))
            return;

        const int source = s.CurrentExercise.source;
        const int destination = s.CurrentExercise.destination;
        KW_EXPECT(source >= 1 && source <= 8 && destination >= 1 && destination <= 9 &&
                      source != destination,
                  "exercise " + std::to_string(source) + " -> " + std::to_string(destination));
        KW_EXPECT(v.principale.sourceName == game->stations()[source].name &&
                      v.principale.destinationName == game->stations()[destination].name,
                  "the main window names another exercise");

        bool commitNow = false;
        if (s.ExerciseNumber != exercise) {
            // "Nouveau": a fresh exercise, and everything of the last one cleared.
            KW_EXPECT(act && act->op == Op::Nouveau && s.ExerciseNumber == exercise + 1,
                      "exercise " + std::to_string(s.ExerciseNumber) + " after " +
                          std::to_string(exercise));
            KW_EXPECT(flow == flow::ExerciseReady,
                      "FlowState " + std::to_string(flow) + " after \"Nouveau\"");
            KW_EXPECT(!seriesEnded, "a new exercise after the end of the series");
            KW_EXPECT((v.avance.ticks == std::array<bool, TickCount>{}),
                      "ticks left by \"Nouveau\"");
            for (Window w : {Window::Source, Window::Hub1, Window::Destination, Window::Hub2,
                             Window::Switch, Window::SwitchGros, Window::APropos})
                KW_EXPECT(v.of(w) == Showing::Hidden, windowName(w) + " open after \"Nouveau\"");
            for (int cable = 1; cable <= CableCount; ++cable)
                KW_EXPECT(v.principale.cables[cable][0] == colour::Black &&
                              v.principale.cables[cable][1] == colour::Black,
                          "cable " + std::to_string(cable) + " not black after \"Nouveau\"");
            KW_EXPECT((s.LedState == std::array<LedRow, 4>{}), "LEDs lit after \"Nouveau\"");
            KW_EXPECT(!v.principale.frameShown, "the frame still shown after \"Nouveau\"");
            exercise = s.ExerciseNumber;
            hubMoves = 0;
            ++stats.exercises;
        } else {
            const int moves = hubMovesBetween(lastFlow, flow);
            KW_EXPECT(moves >= 0 && moves <= 1, "FlowState from " + std::to_string(lastFlow) +
                                                    " to " + std::to_string(flow) + " in one act");
            if (moves > 0)
                hubMoves += moves;
            commitNow = (lastFlow == 30 || lastFlow == 35) && flow >= 40;
        }
        lastFlow = flow;

        // The flow implies its sender.
        const bool server = source >= 7;
        if (flow == 20 || flow == 30)
            KW_EXPECT(!server, "FlowState " + std::to_string(flow) + " with a server sender");
        if (flow == 35 || flow == 41 || flow == 45)
            KW_EXPECT(server, "FlowState " + std::to_string(flow) + " with a machine sender");

        // The progress window follows the flow.
        KW_EXPECT(v.ticked(Tick::_emetteur) == (flow >= 20),
                  "the sender's tick at FlowState " + std::to_string(flow));
        KW_EXPECT(v.ticked(Tick::_switch) == (flow >= 40),
                  "the switch's tick at FlowState " + std::to_string(flow));
        KW_EXPECT(v.ticked(Tick::_destinataire) == (flow == 60),
                  "the destination's tick at FlowState " + std::to_string(flow));
        KW_EXPECT(v.avance.finEnabled == (flow == 60),
                  "\"Fin du traitement\" at FlowState " + std::to_string(flow));
        KW_EXPECT(!v.ticked(Tick::emetteur) && !v.ticked(Tick::destinataire),
                  "\"Non concerné\" stayed ticked for the sender or the destination");
        const int hubsTicked = (v.ticked(Tick::_hub1) ? 1 : 0) + (v.ticked(Tick::_hub2) ? 1 : 0);
        KW_EXPECT(hubsTicked == hubMoves, std::to_string(hubsTicked) + " hubs ticked after " +
                                              std::to_string(hubMoves) + " hub passes");
        KW_EXPECT(!v.principale.nouveauEnabled || flow == 60,
                  "\"Nouveau\" before the frame is done");

        // A finished series stays finished.
        if (v.principale.resultShown && !seriesEnded) {
            seriesEnded = true;
            ++stats.seriesEnds;
            KW_EXPECT(series.ends, "the series ended although it does not end");
        }
        if (seriesEnded)
            KW_EXPECT(v.principale.resultShown && !v.principale.nouveauEnabled,
                      "the end of the series undone");

        // Broadcast copies.
        int copies = 0;
        for (int st = 1; st <= StationCount; ++st)
            copies += s.BroadcastCopied[st] ? 1 : 0;
        if (destination != BroadcastIndex)
            KW_EXPECT(copies == 0, "copies of a unicast frame");
        else
            KW_EXPECT(!s.BroadcastCopied[source] && (flow != 60 || copies == 7),
                      "Broadcast at FlowState " + std::to_string(flow) + " with " +
                          std::to_string(copies) + " copies");

        checkWindows(flow);
        checkTable(flow, commitNow);
    }
};

GameMonkey::GameMonkey(const Series& series, std::string folder, std::uint32_t seed, Dice& dice,
                       int hintPercent)
    : m_impl(std::make_unique<Impl>(series, std::move(folder), seed, dice, hintPercent, m_stats))
{
}

GameMonkey::~GameMonkey() = default;

bool GameMonkey::step()
{
    return m_impl->step();
}

bool GameMonkey::run(long count)
{
    while (m_stats.acts < count && !m_impl->dice.exhausted())
        if (!step())
            return false;
    return true;
}

std::string GameMonkey::failure() const
{
    if (m_impl->failure.empty())
        return {};
    std::string text = m_impl->failure + "\n  series " + m_impl->series.name + ", act #" +
                       std::to_string(m_stats.acts - 1) + "; the last acts:";
    for (const auto& made : m_impl->recent)
        text += "\n    #" + std::to_string(made.index) + " FlowState " + std::to_string(made.flow) +
                ": " + describe(made.act);
    return text;
}

} // namespace kw::monkey
