#include "game_replay.h"

#include "clock.h"

#include <algorithm>
#include <atomic>
#include <filesystem>

#include <system_error>

#include <unistd.h>

namespace kw::scenario {

namespace {

namespace fs = std::filesystem;

// A fresh empty folder, removed with its content at the end.
class SeriesFolder {
public:
    SeriesFolder()
    {
        static std::atomic<int> counter = 0;
        m_path = fs::temp_directory_path() /
                 ("kw_scenario_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~SeriesFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    SeriesFolder(const SeriesFolder&) = delete;
    SeriesFolder& operator=(const SeriesFolder&) = delete;
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

std::string colourName(Rgb c)
{
    if (c == colour::Black)
        return "black";
    if (c == colour::White)
        return "white";
    if (c == colour::Yellow)
        return "yellow";
    if (c == colour::Red)
        return "red";
    if (c == colour::Green)
        return "green";
    if (c == colour::Silver)
        return "silver";
    return "rgb(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) +
           ")";
}

std::string showingName(Showing s)
{
    switch (s) {
    case Showing::Hidden:
        return "closed";
    case Showing::Modal:
        return "modal";
    case Showing::Modeless:
        return "modeless";
    }
    return "?";
}

const LedsView& ledsOf(const GameView& view, Window window)
{
    if (window == Window::Hub1)
        return view.hubs[1];
    if (window == Window::Hub2)
        return view.hubs[2];
    return view.switchLeds;
}

// The colour LED k shows lit: on a hub the odd LEDs receive (green), on the switch they emit
// (red).
Rgb litColour(Window window, int k)
{
    const bool odd = k % 2 == 1;
    if (window == Window::SwitchGros)
        return odd ? colour::Red : colour::Green;
    return odd ? colour::Green : colour::Red;
}

std::string rowText(const SwitchRow& row)
{
    return escaped(row.address) + " " + escaped(row.ttl) + " " + escaped(row.port);
}

class Replayer {
public:
    explicit Replayer(const Scenario& scenario)
        : m_scenario(scenario), m_now(daysFromLocal(2000, 2, 1, 8, 0, 0, 0)),
          m_game(GameOptions{[this] { return m_now; }, scenario.seed})
    {
        writeSeries(scenario, m_folder.path());
        m_folderText = m_folder.path().string();
    }

    ReplayResult run()
    {
        m_last = m_game.start(m_folderText);
        ++m_result.acts;
        for (const Step& step : m_scenario.steps) {
            if (step.act) {
                m_act = &*step.act;
                m_last = perform(*step.act);
            }
            checkBoxes(step);
            for (const Expectation& e : step.expectations)
                check(e);
            if (!m_result.ok())
                break;
        }
        return m_result;
    }

private:
    Effects perform(const Act& act)
    {
        using K = Act::Kind;
        Effects out;
        auto add = [&](Effects more) {
            ++m_result.acts;
            for (Effect& e : more) {
                if (e.kind == Effect::Kind::Quit)
                    m_ended = true;
                out.push_back(std::move(e));
            }
        };
        switch (act.kind) {
        case K::Click:
            add(m_game.clickDiagram(act.x, act.y));
            break;
        case K::Copy:
            add(m_game.selectFrameColumn(act.column));
            add(m_game.selectCacheRow(act.row));
            add(m_game.copyAddress());
            break;
        case K::Tick:
            add(act.copier ? m_game.setCopy(act.on) : m_game.setTick(act.tick, act.on));
            break;
        case K::Led:
            for (int k : act.leds) {
                const auto [x, y] = ledPoint(k);
                add(m_game.clickLed(act.window, x, y));
            }
            break;
        case K::LedAt:
            add(m_game.clickLed(act.window, act.x, act.y));
            break;
        case K::Done:
            add(m_game.pressDone(act.window));
            break;
        case K::Learn:
            add(m_game.selectSwitchColumn(act.column));
            add(m_game.chooseUpdatePort(act.port));
            add(m_game.copyToEntryRow());
            break;
        case K::Select:
            add(m_game.selectSwitchColumn(act.column));
            break;
        case K::Entry:
            add(m_game.selectSwitchColumn(act.column));
            add(m_game.copyToEntryRow());
            break;
        case K::EntryPort:
            add(m_game.chooseUpdatePort(act.port));
            add(m_game.copyToEntryRow());
            break;
        case K::Port:
            add(m_game.chooseUpdatePort(act.port));
            break;
        case K::Via:
            add(m_game.chooseForwarding(act.choice));
            break;
        case K::Emit:
            add(m_game.clickSwitchPicture());
            break;
        case K::Fin:
            add(m_game.finTraitement());
            break;
        case K::MenuItem:
            add(act.menu == Menu::Nouveau   ? m_game.nouveau()
                : act.menu == Menu::APropos ? m_game.about()
                                            : m_game.quit());
            break;
        case K::Answer:
            add(m_game.answer(act.on));
            break;
        case K::Close:
            add(m_game.closeWindow(act.window));
            break;
        case K::Activate:
            add(m_game.activate(act.window));
            break;
        case K::Wait:
            m_now += act.seconds / 86400.0;
            break;
        }
        return out;
    }

    void fail(int line, const std::string& expectation, const std::string& shown)
    {
        std::string text =
            m_scenario.file + ":" + std::to_string(line) + ": " + expectation + ": " + shown;
        if (m_act)
            text += " (after `" + m_act->source + "` at line " + std::to_string(m_act->line) + ")";
        else
            text += " (after the start)";
        m_result.failures.push_back(std::move(text));
    }

    void checkBoxes(const Step& step)
    {
        std::vector<const Effect*> shown;
        for (const Effect& e : m_last)
            if (e.kind == Effect::Kind::Box)
                shown.push_back(&e);
        const std::size_t common = std::min(shown.size(), step.boxes.size());
        for (std::size_t i = 0; i < common; ++i) {
            const ExpectedBox& want = step.boxes[i];
            const std::string text = withFolder(want.text, m_folderText);
            if (shown[i]->box != want.kind || shown[i]->text != text)
                fail(want.line,
                     std::string("box ") + BoxCaption(want.kind) + " " + escaped(want.text),
                     std::string("the box shown is ") + BoxCaption(shown[i]->box) + " " +
                         escaped(shown[i]->text));
        }
        for (std::size_t i = common; i < step.boxes.size(); ++i)
            fail(step.boxes[i].line,
                 std::string("box ") + BoxCaption(step.boxes[i].kind) + " " +
                     escaped(step.boxes[i].text),
                 "no such box is shown");
        const int line = step.act ? step.act->line : 0;
        for (std::size_t i = common; i < shown.size(); ++i)
            fail(line, "(no box expected)",
                 std::string("a box is shown: ") + BoxCaption(shown[i]->box) + " " +
                     escaped(shown[i]->text));
    }

    void check(const Expectation& e)
    {
        using K = Expectation::Kind;
        const GameView& v = m_game.view();
        const SharedState& s = m_game.state();
        auto expect = [&](bool holds, const std::string& shown) {
            if (!holds)
                fail(e.line, e.source, shown);
        };
        switch (e.kind) {
        case K::Errors: {
            const std::string caption = v.avance.errorsCaption;
            const std::string want = msg::ErrorTotalPrefix + std::to_string(e.number);
            const bool captionRight =
                caption == want || (e.number == 0 && caption == msg::ErrorTotalPrefix);
            expect(s.ErrorTotal == e.number && captionRight,
                   "the total is " + std::to_string(s.ErrorTotal) + ", the label reads " +
                       escaped(caption));
            break;
        }
        case K::Ticks: {
            std::string ticked;
            for (int t = 0; t < TickCount; ++t)
                if (v.avance.ticks[t])
                    ticked += std::string(" ") + tickName(static_cast<Tick>(t));
            expect(v.avance.ticks == e.ticks,
                   "ticked:" + (ticked.empty() ? std::string(" none") : ticked));
            break;
        }
        case K::Cables: {
            std::string wrong;
            for (int cable = 1; cable <= CableCount; ++cable)
                for (int line = 0; line < 2; ++line)
                    if (v.principale.cables[cable][line] != e.cables[cable][line])
                        wrong += " cable " + std::to_string(cable) +
                                 (line == 0 ? " first" : " second") + " line is " +
                                 colourName(v.principale.cables[cable][line]) + ";";
            expect(wrong.empty(), wrong);
            break;
        }
        case K::Flow:
            expect(s.FlowState == e.number, "FlowState is " + std::to_string(s.FlowState));
            break;
        case K::Windows: {
            std::array<std::optional<Showing>, WindowCount> want{};
            for (Window w : {Window::Source, Window::Hub1, Window::Destination, Window::Hub2,
                             Window::APropos, Window::Switch, Window::SwitchGros})
                want[static_cast<int>(w)] = Showing::Hidden;
            for (const auto& [w, how] : e.windows)
                want[static_cast<int>(w)] = how;
            std::string wrong;
            for (int w = 0; w < WindowCount; ++w)
                if (want[w] && v.showing[w] != *want[w])
                    wrong += std::string(" ") + windowKey(static_cast<Window>(w)) + " is " +
                             showingName(v.showing[w]) + ";";
            expect(wrong.empty(), wrong);
            break;
        }
        case K::Exercise:
            expect(v.principale.sourceName == e.first && v.principale.destinationName == e.second,
                   "the main window shows " + v.principale.sourceName + " -> " +
                       v.principale.destinationName);
            break;
        case K::Numero:
            expect(v.avance.exerciseCaption == e.first,
                   "the caption is " + escaped(v.avance.exerciseCaption));
            break;
        case K::Result:
            if (e.none)
                expect(!v.principale.resultShown, "shown: " + escaped(v.principale.result));
            else
                expect(v.principale.resultShown && v.principale.result == e.first,
                       v.principale.resultShown ? "shown: " + escaped(v.principale.result)
                                                : std::string("not shown"));
            break;
        case K::Enabled:
        case K::Disabled:
            for (Item item : e.items) {
                const bool enabled =
                    item == Item::Nouveau ? v.principale.nouveauEnabled : v.avance.finEnabled;
                expect(enabled == (e.kind == K::Enabled),
                       std::string(item == Item::Nouveau ? "nouveau" : "fin") +
                           (enabled ? " is enabled" : " is disabled"));
            }
            break;
        case K::Cells: {
            std::string a;
            std::string b;
            bool shown = true;
            switch (e.window) {
            case Window::Source:
                a = v.source.frame[0];
                b = v.source.frame[1];
                break;
            case Window::Destination:
                a = v.destination.frame[0];
                b = v.destination.frame[1];
                break;
            case Window::Switch:
                a = v.switch_.frame[0];
                b = v.switch_.frame[1];
                break;
            default:
                a = v.principale.frame[0];
                b = v.principale.frame[1];
                shown = v.principale.frameShown;
                break;
            }
            if (e.none)
                expect(!shown, "the frame is shown");
            else
                expect(shown && a == e.first && b == e.second,
                       shown ? "the cells are " + escaped(a) + " " + escaped(b)
                             : std::string("no frame is shown"));
            break;
        }
        case K::Table: {
            const SwitchRow& row = v.switch_.table.rows[static_cast<std::size_t>(e.number)];
            const bool holds = row.address == e.row.address && row.port == e.row.port &&
                               (e.anyTtl ? !row.ttl.empty() : row.ttl == e.row.ttl);
            expect(holds, "the row is " + rowText(row));
            break;
        }
        case K::Lit: {
            const LedsView& leds = ledsOf(v, e.window);
            std::string wrong;
            for (int k = 1; k <= LedCount; ++k) {
                const bool want = std::find(e.leds.begin(), e.leds.end(), k) != e.leds.end();
                const std::optional<Rgb>& painted = leds.leds[k];
                const bool lit = painted && *painted == litColour(e.window, k);
                const bool dark = !painted || *painted == colour::Silver;
                if (want ? !lit : !dark)
                    wrong += " LED " + std::to_string(k) + " shows " +
                             (painted ? colourName(*painted) : std::string("as drawn")) + ";";
            }
            expect(wrong.empty(), wrong);
            break;
        }
        case K::Readonly:
        case K::Editable:
            for (Window w : e.windowList) {
                bool enabled = false;
                switch (w) {
                case Window::Source:
                    enabled = v.source.panelEnabled;
                    break;
                case Window::Destination:
                    enabled = v.destination.panelEnabled;
                    break;
                case Window::Hub1:
                case Window::Hub2:
                case Window::SwitchGros:
                    enabled = ledsOf(v, w).panelEnabled;
                    break;
                default:
                    if (v.switch_.panelEnabled != v.switch_.destViaEnabled) {
                        expect(false, "the switch's panel and its \"Destinataire via port\" "
                                      "differ");
                        continue;
                    }
                    enabled = v.switch_.panelEnabled;
                    break;
                }
                expect(enabled == (e.kind == K::Editable),
                       std::string(windowKey(w)) + (enabled ? " is editable" : " is read-only"));
            }
            break;
        case K::Copier:
            expect(v.destination.copy == e.on,
                   v.destination.copy ? "the box is ticked" : "the box is clear");
            break;
        case K::Raised: {
            const bool raised = std::any_of(m_last.begin(), m_last.end(), [&](const Effect& x) {
                return x.kind == Effect::Kind::BringToFront && x.window == e.window;
            });
            expect(raised, "the window was not brought to the front");
            break;
        }
        case K::Program: {
            const ProgramState state = !m_game.started() ? ProgramState::Refused
                                       : m_ended         ? ProgramState::Ended
                                                         : ProgramState::Running;
            const char* names[] = {"running", "refused to start", "ended"};
            expect(state == e.program,
                   std::string("the program ") + names[static_cast<int>(state)]);
            break;
        }
        }
    }

    const Scenario& m_scenario;
    SeriesFolder m_folder;
    std::string m_folderText;
    double m_now;
    Game m_game;
    Effects m_last;
    const Act* m_act = nullptr;
    bool m_ended = false;
    ReplayResult m_result;
};

} // namespace

ReplayResult replayOnGame(const Scenario& scenario)
{
    Replayer replayer(scenario);
    return replayer.run();
}

} // namespace kw::scenario
