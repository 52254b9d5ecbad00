#pragma once

// A monkey student on the game alone: random acts of every kind, on any window, with any
// arguments, and now and then the act a good student would make, so that frames get done,
// exercises follow each other and an imposed series reaches its end. After every act it
// checks what must always hold, whatever was clicked:
//
// - the boxes: each text one of the program's, of its kind; every counted warning adds one
//   to the error total shown with it and to the game's; error boxes only at the start;
// - what the effects say agrees with the view: windows opened and closed, cable lines and
//   LEDs painted (a front end knows only what the effects tell it);
// - FlowState takes only its values and moves only along the flow's steps, at most one hub
//   per act; the "Traité" ticks, "Fin du traitement" and "Nouveau" follow it;
// - one window open for work at a time (the switch's LED dialog on the switch dialog), and
//   an act on a window that is closed, blocked, or on a disabled control changes nothing;
// - the switch table changes only when a switch step commits, and then holds one block of
//   known stations on their ports with lifetimes within ttl_max;
// - a new exercise resets what it must, a finished series stays finished.
//
// The same monkey runs seeded in a GoogleTest and fed by libFuzzer (fuzz/fuzz_game.cpp).

#include "game.h"

#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kw::monkey {

// A series for the monkey: the configuration and exercise texts, written into one folder.
struct Series {
    const char* name;
    const char* ini;
    const char* exercises;
    bool ends; // an imposed series with "FIN"
};

// The series the monkey plays, each stressing something else (manual or automatic hubs, a
// full table, repeated digits, short lifetimes, the imposed example series).
const std::vector<Series>& allSeries();

// Where the monkey's choices come from.
class Dice {
public:
    virtual ~Dice() = default;
    // 0..n-1 (0 when n <= 1).
    virtual unsigned below(unsigned n) = 0;
    // No more choices: the run should stop.
    virtual bool exhausted() const { return false; }
};

// splitmix64: the same sequence everywhere.
class SeededDice : public Dice {
public:
    explicit SeededDice(std::uint64_t seed) : m_state(seed) {}
    unsigned below(unsigned n) override;

private:
    std::uint64_t m_state;
};

// The fuzzer's bytes, two at a time.
class ByteDice : public Dice {
public:
    ByteDice(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    unsigned below(unsigned n) override;
    bool exhausted() const override { return m_at >= m_size; }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

// The series written into a temporary folder, removed at the end.
class SeriesFolder {
public:
    explicit SeriesFolder(const Series& series);
    ~SeriesFolder();
    SeriesFolder(const SeriesFolder&) = delete;
    SeriesFolder& operator=(const SeriesFolder&) = delete;
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// ---- The acts ----

// One act of the student: one call of the game's (perform).
enum class Op : std::uint8_t {
    ClickDiagram,       // (a, b)
    SelectFrameColumn,  // a
    SelectCacheRow,     // a
    CopyAddress,        //
    SetCopy,            // flag
    ClickLed,           // window, (a, b)
    PressDone,          // window
    SelectSwitchColumn, // a
    ChooseUpdatePort,   // a
    CopyToEntryRow,     //
    ChooseForwarding,   // choice
    ClickSwitchPicture, //
    SetTick,            // tick, flag
    Fin,                //
    Nouveau,            //
    About,              //
    Quit,               //
    Answer,             // flag
    Close,              // window
    Activate,           // window
};

struct Act {
    Op op = Op::ClickDiagram;
    Window window = Window::Principale;
    int a = 0;
    int b = 0;
    bool flag = false;
    Tick tick = Tick::emetteur;
    ForwardingChoice choice = ForwardingChoice::None;
    bool belief = false; // a good student's press whose answer tells which guess was wrong
};

std::string describe(const Act& act);
Effects perform(Game& game, const Act& act);

// The student the monkey plays: random acts of every kind, on any window, with any arguments,
// and now and then (`hintPercent`) the act of a student who knows the network but not the
// answers of its rules: what to do next in the window in front, its guesses put right by the
// boxes the program answers with. A front end can play the same student through its windows.
class Student {
public:
    Student(Dice& dice, int hintPercent);
    ~Student();
    Student(const Student&) = delete;
    Student& operator=(const Student&) = delete;

    // The next act for the game as it stands; `hinted` is set when a good student's is planned.
    Act next(const Game& game, bool* hinted = nullptr);
    // The texts of the boxes a good student's press (`belief`) brought up.
    void told(const Act& act, const std::vector<std::string>& boxes);
    // A new run: nothing planned, nothing guessed.
    void reset();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

struct Stats {
    long acts = 0;
    long hints = 0;
    int runs = 0;       // games started (a confirmed "Terminer ?" starts another)
    int exercises = 0;  // exercises set up, over all runs
    int framesDone = 0; // end-of-frame checks passed
    int commits = 0;    // switch steps committed
    int seriesEnds = 0;
    int countedErrors = 0;
    std::set<int> flows; // FlowState values seen
};

class GameMonkey {
public:
    // `hintPercent`: how often the act is the good student's.
    GameMonkey(const Series& series, std::string folder, std::uint32_t seed, Dice& dice,
               int hintPercent = 35);
    ~GameMonkey();
    GameMonkey(const GameMonkey&) = delete;
    GameMonkey& operator=(const GameMonkey&) = delete;

    // One act and the checks after it; false once something broke (see failure()).
    bool step();
    // Acts until `count` acts were made, the dice ran out or something broke.
    bool run(long count);

    // What broke, with the last acts; empty while all holds.
    std::string failure() const;
    const Stats& stats() const { return m_stats; }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    Stats m_stats;
};

} // namespace kw::monkey
