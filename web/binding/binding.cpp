// The page's way into the game: a plain C interface whose answers are JSON texts. The page
// passes each act of the student on, then applies the effects and draws the view it gets
// back; it decides nothing. Series files reach the game through the in-memory file system,
// as bytes, so that every encoding and line end is read by the core as on the desktop.

#include "diagram.h"
#include "exercises.h"
#include "flow.h"
#include "game.h"
#include "global.h"
#include "hubs.h"
#include "series.h"
#include "seriescheck.h"
#include "switchleds.h"

#include <emscripten/emscripten.h>

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

// ---- A small JSON writer: just what the answers need ----

class Json {
public:
    std::string text;

    Json& raw(std::string_view s)
    {
        text += s;
        return *this;
    }
    Json& number(long long n)
    {
        text += std::to_string(n);
        return *this;
    }
    Json& boolean(bool b)
    {
        text += b ? "true" : "false";
        return *this;
    }
    // A UTF-8 text; control characters are escaped, the rest is passed as it is.
    Json& string(std::string_view s)
    {
        text += '"';
        for (const char c : s) {
            const auto u = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                text += '\\';
                text += c;
            } else if (u < 0x20) {
                static const char hex[] = "0123456789abcdef";
                text += "\\u00";
                text += hex[u >> 4];
                text += hex[u & 15];
            } else {
                text += c;
            }
        }
        text += '"';
        return *this;
    }
    Json& key(std::string_view name)
    {
        if (!text.empty() && text.back() != '{' && text.back() != '[')
            text += ',';
        string(name);
        text += ':';
        return *this;
    }
    Json& item()
    {
        if (!text.empty() && text.back() != '[' && text.back() != '{')
            text += ',';
        return *this;
    }
    Json& colour(const kw::Rgb& c)
    {
        return raw("[").number(c.r).raw(",").number(c.g).raw(",").number(c.b).raw("]");
    }
};

// Texts naming the in-memory folder of a series show instead what the student knows it by:
// its address or its folder's name.
struct Alias {
    std::string folder;
    std::string shown;
};
Alias alias;

std::string shown(std::string text)
{
    if (alias.folder.empty())
        return text;
    for (std::size_t at = text.find(alias.folder); at != std::string::npos;
         at = text.find(alias.folder, at + alias.shown.size()))
        text.replace(at, alias.folder.size(), alias.shown);
    return text;
}

std::unique_ptr<kw::Game> game;
std::string answer; // the last answer, read by the page through its address and length

const char* give(Json&& json)
{
    answer = std::move(json.text);
    return answer.c_str();
}

int index(kw::Window w)
{
    return static_cast<int>(w);
}

void writeEffects(Json& json, const kw::Effects& effects)
{
    json.raw("[");
    for (const kw::Effect& e : effects) {
        json.item().raw("{");
        switch (e.kind) {
        case kw::Effect::Kind::Box:
            json.key("k").string("box");
            json.key("kind").number(static_cast<int>(e.box));
            json.key("caption").string(kw::BoxCaption(e.box));
            json.key("text").string(shown(e.text));
            json.key("errorTotal").number(e.errorTotal);
            // What the progress window shows while the box is up.
            json.key("errorsCaption")
                .string(kw::msg::ErrorTotalPrefix + std::to_string(e.errorTotal));
            json.key("awaits").boolean(e.awaitsAnswer);
            break;
        case kw::Effect::Kind::Open:
            json.key("k").string("open");
            json.key("w").number(index(e.window));
            json.key("modal").boolean(e.showing == kw::Showing::Modal);
            break;
        case kw::Effect::Kind::Close:
            json.key("k").string("close");
            json.key("w").number(index(e.window));
            break;
        case kw::Effect::Kind::Move:
            json.key("k").string("move");
            json.key("w").number(index(e.window));
            json.key("left").number(e.left);
            json.key("top").number(e.top);
            break;
        case kw::Effect::Kind::Line:
            json.key("k").string("line");
            json.key("cable").number(e.number);
            json.key("line").number(e.line == kw::CableLine::First ? 0 : 1);
            json.key("c").colour(e.colour);
            break;
        case kw::Effect::Kind::Led:
            json.key("k").string("led");
            json.key("pic").number(static_cast<int>(e.picture));
            json.key("led").number(e.number);
            json.key("c").colour(e.colour);
            break;
        case kw::Effect::Kind::BringToFront:
            json.key("k").string("front");
            json.key("w").number(index(e.window));
            break;
        case kw::Effect::Kind::Quit:
            json.key("k").string("quit");
            json.key("status").number(e.status);
            break;
        }
        json.raw("}");
    }
    json.raw("]");
}

const char* effectsAnswer(const kw::Effects& effects)
{
    Json json;
    writeEffects(json, effects);
    return give(std::move(json));
}

void writeStrings(Json& json, const kw::FrameCells& cells)
{
    json.raw("[");
    for (const std::string& cell : cells)
        json.item().string(cell);
    json.raw("]");
}

void writeLeds(Json& json, const kw::LedsView& v)
{
    json.raw("{");
    json.key("panelEnabled").boolean(v.panelEnabled);
    json.key("labelShown").boolean(v.labelShown);
    json.key("doneShown").boolean(v.doneShown);
    json.key("leds").raw("[");
    for (int led = 1; led <= kw::LedCount; ++led) {
        json.item();
        if (v.leds[led])
            json.colour(*v.leds[led]);
        else
            json.raw("null");
    }
    json.raw("]}");
}

// The acts, numbered as the page numbers them.
enum Act {
    ClickDiagram,
    SelectFrameColumn,
    SelectCacheRow,
    CopyAddress,
    SetCopy,
    ClickLed,
    PressDone,
    SelectSwitchColumn,
    ChooseUpdatePort,
    CopyToEntryRow,
    ChooseForwarding,
    ClickSwitchPicture,
    SetTick,
    FinTraitement,
    Nouveau,
    About,
    Quit,
    Answer,
    CloseWindow,
    Activate,
};

bool validWindow(int w)
{
    return w >= 0 && w < kw::WindowCount;
}

int makeFolders(const std::string& path)
{
    for (std::size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1))
        if (::mkdir(path.substr(0, at).c_str(), 0755) != 0 && errno != EEXIST)
            return -1;
    return 0;
}

} // namespace

extern "C" {

// Room for the page to put a text or a file's bytes; freed with kw_free.
EMSCRIPTEN_KEEPALIVE void* kw_alloc(int size)
{
    return std::malloc(size > 0 ? static_cast<std::size_t>(size) : 1);
}

EMSCRIPTEN_KEEPALIVE void kw_free(void* pointer)
{
    std::free(pointer);
}

// The length in bytes of the last answer.
EMSCRIPTEN_KEEPALIVE int kw_answer_length()
{
    return static_cast<int>(answer.size());
}

// Writes a file of the in-memory file system, making its folders; a path ending in "/" only
// makes the folders. 0 when done.
EMSCRIPTEN_KEEPALIVE int kw_put_file(const char* path, const unsigned char* bytes, int size)
{
    const std::string name(path);
    if (name.empty() || name[0] != '/' || size < 0 || makeFolders(name) != 0)
        return -1;
    if (name.back() == '/')
        return 0;
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (!file)
        return -1;
    const std::size_t count = static_cast<std::size_t>(size);
    const bool written = count == 0 || std::fwrite(bytes, 1, count, file) == count;
    return std::fclose(file) == 0 && written ? 0 : -1;
}

// What the texts of the game and of the report show for the in-memory folder `folder`.
EMSCRIPTEN_KEEPALIVE void kw_set_alias(const char* folder, const char* shownName)
{
    alias = {folder, shownName};
}

// A new run, not started yet. With `hasSeed`, `seed` replaces the clock's seed.
EMSCRIPTEN_KEEPALIVE void kw_new_game(int hasSeed, unsigned seed)
{
    kw::resetGlobal();
    kw::GameOptions options;
    if (hasSeed)
        options.seed = seed;
    game = std::make_unique<kw::Game>(options);
}

// The start of the run on the series of `folder`: its effects.
EMSCRIPTEN_KEEPALIVE const char* kw_start(const char* folder)
{
    if (!game)
        kw_new_game(0, 0);
    return effectsAnswer(game->start("/", std::string(folder)));
}

// One act of the student, with its numbers: its effects.
EMSCRIPTEN_KEEPALIVE const char* kw_act(int act, int a, int b, int c, int d)
{
    if (!game)
        return effectsAnswer({});
    kw::Game& g = *game;
    const auto window = [](int w) { return static_cast<kw::Window>(w); };
    switch (act) {
    case ClickDiagram:
        return effectsAnswer(g.clickDiagram(a, b, c, d));
    case SelectFrameColumn:
        return effectsAnswer(g.selectFrameColumn(a));
    case SelectCacheRow:
        return effectsAnswer(g.selectCacheRow(a));
    case CopyAddress:
        return effectsAnswer(g.copyAddress());
    case SetCopy:
        return effectsAnswer(g.setCopy(a != 0));
    case ClickLed:
        return effectsAnswer(validWindow(a) ? g.clickLed(window(a), b, c) : kw::Effects{});
    case PressDone:
        return effectsAnswer(validWindow(a) ? g.pressDone(window(a)) : kw::Effects{});
    case SelectSwitchColumn:
        return effectsAnswer(g.selectSwitchColumn(a));
    case ChooseUpdatePort:
        return effectsAnswer(g.chooseUpdatePort(a));
    case CopyToEntryRow:
        return effectsAnswer(g.copyToEntryRow());
    case ChooseForwarding:
        return effectsAnswer(a >= 1 && a <= 5
                                 ? g.chooseForwarding(static_cast<kw::ForwardingChoice>(a))
                                 : kw::Effects{});
    case ClickSwitchPicture:
        return effectsAnswer(g.clickSwitchPicture());
    case SetTick:
        return effectsAnswer(a >= 0 && a < kw::TickCount
                                 ? g.setTick(static_cast<kw::Tick>(a), b != 0)
                                 : kw::Effects{});
    case FinTraitement:
        return effectsAnswer(g.finTraitement());
    case Nouveau:
        return effectsAnswer(g.nouveau());
    case About:
        return effectsAnswer(g.about());
    case Quit:
        return effectsAnswer(g.quit());
    case Answer:
        return effectsAnswer(g.answer(a != 0));
    case CloseWindow:
        return effectsAnswer(validWindow(a) ? g.closeWindow(window(a)) : kw::Effects{});
    case Activate:
        return effectsAnswer(validWindow(a) ? g.activate(window(a)) : kw::Effects{});
    }
    return effectsAnswer({});
}

// Everything every window shows, and where the frame is in its road.
EMSCRIPTEN_KEEPALIVE const char* kw_view()
{
    Json json;
    if (!game)
        return give(std::move(json.raw("null")));
    const kw::Game& g = *game;
    const kw::GameView& v = g.view();
    json.raw("{");
    json.key("started").boolean(g.started());
    json.key("flowState").number(g.state().FlowState);
    json.key("errorTotal").number(g.state().ErrorTotal);
    json.key("awaitingAnswer").boolean(g.awaitingAnswer());
    json.key("modal").number(g.modalWindow() ? index(*g.modalWindow()) : -1);
    json.key("showing").raw("[");
    for (const kw::Showing s : v.showing)
        json.item().number(static_cast<int>(s));
    json.raw("]");
    json.key("stations").raw("[");
    for (const kw::StationEntry& station : g.stations())
        json.item().raw("[").string(station.name).raw(",").string(station.mac).raw("]");
    json.raw("]");

    const kw::MainView& m = v.principale;
    json.key("principale").raw("{");
    json.key("sourceName").string(m.sourceName);
    json.key("destinationName").string(m.destinationName);
    json.key("frameShown").boolean(m.frameShown);
    json.key("frame");
    writeStrings(json, m.frame);
    json.key("resultShown").boolean(m.resultShown);
    json.key("result").string(m.result);
    json.key("nouveauEnabled").boolean(m.nouveauEnabled);
    json.key("cables").raw("[");
    for (int cable = 1; cable <= kw::CableCount; ++cable)
        json.item()
            .raw("[")
            .colour(m.cables[cable][0])
            .raw(",")
            .colour(m.cables[cable][1])
            .raw("]");
    json.raw("]}");

    const kw::ProgressView& p = v.avance;
    json.key("avance").raw("{");
    json.key("exerciseCaption").string(p.exerciseCaption);
    json.key("errorsCaption").string(p.errorsCaption);
    json.key("ticks").raw("[");
    for (const bool t : p.ticks)
        json.item().boolean(t);
    json.raw("]");
    json.key("finEnabled").boolean(p.finEnabled);
    json.raw("}");

    const kw::SendingView& s = v.source;
    json.key("source").raw("{");
    json.key("server").boolean(s.server);
    json.key("name").string(s.name);
    json.key("panelEnabled").boolean(s.panelEnabled);
    json.key("doneShown").boolean(s.doneShown);
    json.key("labelShown").boolean(s.labelShown);
    json.key("frame");
    writeStrings(json, s.frame);
    json.key("frameColumn").number(s.frameColumn);
    json.key("cacheRow").number(s.cacheRow);
    json.raw("}");

    const kw::ReceivingView& r = v.destination;
    json.key("destination").raw("{");
    json.key("server").boolean(r.server);
    json.key("name").string(r.name);
    json.key("panelEnabled").boolean(r.panelEnabled);
    json.key("doneShown").boolean(r.doneShown);
    json.key("copy").boolean(r.copy);
    json.key("frame");
    writeStrings(json, r.frame);
    json.raw("}");

    json.key("hubs").raw("[null,");
    writeLeds(json, v.hubs[1]);
    json.raw(",");
    writeLeds(json, v.hubs[2]);
    json.raw("]");

    const kw::SwitchView& w = v.switch_;
    json.key("switch").raw("{");
    json.key("panelEnabled").boolean(w.panelEnabled);
    json.key("destViaEnabled").boolean(w.destViaEnabled);
    json.key("frame");
    writeStrings(json, w.frame);
    json.key("selectedColumn").number(w.selectedColumn);
    json.key("table").raw("[");
    for (const kw::SwitchRow& row : w.table.rows)
        json.item()
            .raw("[")
            .string(row.address)
            .raw(",")
            .string(row.ttl)
            .raw(",")
            .string(row.port)
            .raw("]");
    json.raw("]");
    json.key("updatePort").number(w.updatePort);
    json.key("choice").number(static_cast<int>(w.choice));
    json.raw("}");

    json.key("switchLeds");
    writeLeds(json, v.switchLeds);
    json.raw("}");
    return give(std::move(json));
}

// What the pictures' drawing and keyboard need, from the core's own tables: the pixels of
// every cable line, the LED squares, and where a click reaches each element of the diagram.
EMSCRIPTEN_KEEPALIVE const char* kw_geometry()
{
    Json json;
    json.raw("{");
    json.key("cables").raw("[null");
    for (int cable = 1; cable <= kw::CableCount; ++cable) {
        json.raw(",[");
        for (const kw::CableLine line : {kw::CableLine::First, kw::CableLine::Second}) {
            json.item().raw("[");
            for (const kw::Pixel& p : kw::CableLinePixels(cable, line))
                json.item().number(p.x).raw(",").number(p.y);
            json.raw("]");
        }
        json.raw("]");
    }
    json.raw("]");
    json.key("hubLeds").raw("[null");
    for (int led = 1; led <= kw::LedCount; ++led) {
        const kw::LedBox box = kw::LedRect(led);
        json.raw(",[")
            .number(box.left)
            .raw(",")
            .number(box.top)
            .raw(",")
            .number(box.right - box.left + 1)
            .raw(",")
            .number(box.bottom - box.top + 1)
            .raw("]");
    }
    json.raw("]");
    json.key("switchLeds").raw("[null");
    for (int led = 1; led <= kw::LedCount; ++led) {
        const kw::SwitchLedRect box = kw::SwitchLedSquare(led);
        json.raw(",[")
            .number(box.left)
            .raw(",")
            .number(box.top)
            .raw(",")
            .number(box.width)
            .raw(",")
            .number(box.height)
            .raw("]");
    }
    json.raw("]");
    // Stations 1..8, then Hub 1, Hub 2 and the switch: the box of the points a click reaches.
    std::array<std::array<int, 4>, 12> boxes{};
    for (auto& b : boxes)
        b = {kw::DiagramWidth, kw::DiagramHeight, -1, -1};
    for (int y = 0; y < kw::DiagramHeight; ++y) {
        for (int x = 0; x < kw::DiagramWidth; ++x) {
            const kw::DiagramHit hit = kw::HitTestDiagram(x, y);
            int slot = -1;
            if (hit.element == kw::DiagramElement::Station)
                slot = hit.station;
            else if (hit.element == kw::DiagramElement::HubRow && kw::HubAtX(x) != 0)
                slot = 8 + kw::HubAtX(x);
            else if (hit.element == kw::DiagramElement::Switch)
                slot = 11;
            if (slot < 0)
                continue;
            auto& b = boxes[static_cast<std::size_t>(slot)];
            b = {std::min(b[0], x), std::min(b[1], y), std::max(b[2], x), std::max(b[3], y)};
        }
    }
    json.key("diagram").raw("[null");
    for (int slot = 1; slot <= 11; ++slot) {
        const auto& b = boxes[static_cast<std::size_t>(slot)];
        json.raw(",[")
            .number(b[0])
            .raw(",")
            .number(b[1])
            .raw(",")
            .number(b[2] - b[0] + 1)
            .raw(",")
            .number(b[3] - b[1] + 1)
            .raw("]");
    }
    json.raw("]");
    // The hub each station's port is on, for what a screen reader says of it.
    json.key("ports").raw("[null");
    for (int station = 1; station <= kw::StationCount; ++station) {
        const int hub = station <= 3 ? 1 : station <= 6 ? 2 : 0;
        json.raw(",[")
            .number(hub)
            .raw(",")
            .number(hub ? kw::HubPortOfStation(hub, station) : kw::SwitchPortOf(station))
            .raw("]");
    }
    json.raw("]");
    json.key("hubPorts")
        .raw("[null,")
        .number(kw::SwitchPortOf(1))
        .raw(",")
        .number(kw::SwitchPortOf(4))
        .raw("]}");
    return give(std::move(json));
}

// The folder where the series of `folder` looks for its exercise file, as the start reads its
// configuration; "" when it names none.
EMSCRIPTEN_KEEPALIVE const char* kw_questions_folder(const char* folder)
{
    kw::SharedState scratch;
    kw::ReadSeries(scratch, folder);
    Json json;
    if (scratch.QuestionsFolder.empty())
        return give(std::move(json.string("")));
    const std::filesystem::path path =
        kw::questionsFolderPath(scratch.QuestionsFolder, folder).lexically_normal();
    return give(std::move(json.string(path.generic_string())));
}

// The teacher's report on the series of `folder`, as kw_switch --verifier prints it.
EMSCRIPTEN_KEEPALIVE const char* kw_check(const char* folder)
{
    const kw::SeriesReport report = kw::CheckSeries("/", std::string(folder));
    Json json;
    json.raw("{");
    json.key("status").number(report.status());
    json.key("text").string(shown(kw::ReportText(report)));
    json.raw("}");
    return give(std::move(json));
}

} // extern "C"
