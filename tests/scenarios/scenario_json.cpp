// A scenario file as the shared reader reads it, printed as JSON for a replayer written in
// another language (the web page's, in JavaScript), so that no other reader of the format is
// needed. With a folder, the series is also written there, by the same writer as for the
// other replayers.
//
//   scenario_json FILE.scenario [SERIES_FOLDER]

#include "diagram.h"
#include "scenario.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace kw::scenario;

std::string jsonText(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + '"';
}

std::string number(long long n)
{
    return std::to_string(n);
}

// {"a": 1, ...} from fields already written as JSON.
class Object {
public:
    Object& add(const std::string& key, const std::string& json)
    {
        m_text += (m_text.empty() ? "{" : ", ") + jsonText(key) + ": " + json;
        return *this;
    }
    std::string text() const { return m_text.empty() ? "{}" : m_text + "}"; }

private:
    std::string m_text;
};

template <typename T, typename F> std::string list(const std::vector<T>& items, F&& each)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? ", " : "") + each(items[i]);
    return out + "]";
}

std::string window(kw::Window w)
{
    return jsonText(windowKey(w));
}

std::string boolean(bool b)
{
    return b ? "true" : "false";
}

std::string ints(const std::vector<int>& values)
{
    return list(values, [](int v) { return number(v); });
}

std::string rgb(kw::Rgb c)
{
    return "[" + number(c.r) + ", " + number(c.g) + ", " + number(c.b) + "]";
}

const char* boxKind(kw::BoxKind kind)
{
    switch (kind) {
    case kw::BoxKind::Warning:
        return "Warning";
    case kw::BoxKind::Error:
        return "Error";
    case kw::BoxKind::Information:
        return "Information";
    case kw::BoxKind::Confirmation:
        return "Confirmation";
    }
    return "";
}

std::string act(const Act& a)
{
    using K = Act::Kind;
    Object o;
    o.add("line", number(a.line)).add("source", jsonText(a.source));
    switch (a.kind) {
    case K::Click:
        o.add("kind", jsonText("click")).add("element", jsonText(a.element));
        o.add("x", number(a.x)).add("y", number(a.y));
        break;
    case K::Copy:
        o.add("kind", jsonText("copy")).add("row", number(a.row)).add("column", number(a.column));
        break;
    case K::Tick:
        o.add("kind", jsonText("tick")).add("on", boolean(a.on));
        o.add("box", jsonText(a.copier ? "copier" : tickName(a.tick)));
        break;
    case K::Led:
        o.add("kind", jsonText("led")).add("window", window(a.window)).add("leds", ints(a.leds));
        break;
    case K::LedAt:
        o.add("kind", jsonText("ledAt")).add("window", window(a.window));
        o.add("x", number(a.x)).add("y", number(a.y));
        break;
    case K::Done:
        o.add("kind", jsonText("done")).add("window", window(a.window));
        break;
    case K::Learn:
        o.add("kind", jsonText("learn"))
            .add("column", number(a.column))
            .add("port", number(a.port));
        break;
    case K::Select:
        o.add("kind", jsonText("select")).add("column", number(a.column));
        break;
    case K::Entry:
        o.add("kind", jsonText("entry")).add("column", number(a.column));
        break;
    case K::EntryPort:
        o.add("kind", jsonText("entryPort")).add("port", number(a.port));
        break;
    case K::Port:
        o.add("kind", jsonText("port")).add("port", number(a.port));
        break;
    case K::Via:
        // 1..4 a port, 5 "inconnu".
        o.add("kind", jsonText("via")).add("choice", number(static_cast<int>(a.choice)));
        break;
    case K::Emit:
        o.add("kind", jsonText("emit"));
        break;
    case K::Fin:
        o.add("kind", jsonText("fin"));
        break;
    case K::MenuItem: {
        const char* items[] = {"nouveau", "apropos", "quitter"};
        o.add("kind", jsonText("menu")).add("item", jsonText(items[static_cast<int>(a.menu)]));
        break;
    }
    case K::Answer:
        o.add("kind", jsonText("answer")).add("ok", boolean(a.on));
        break;
    case K::Close:
        o.add("kind", jsonText("close")).add("window", window(a.window));
        break;
    case K::Activate:
        o.add("kind", jsonText("activate")).add("window", window(a.window));
        break;
    case K::Wait:
        o.add("kind", jsonText("wait")).add("seconds", number(a.seconds));
        break;
    }
    return o.text();
}

std::string expectation(const Expectation& e)
{
    using K = Expectation::Kind;
    Object o;
    o.add("line", number(e.line)).add("source", jsonText(e.source));
    const auto windows = [](const std::vector<kw::Window>& ws) { return list(ws, window); };
    switch (e.kind) {
    case K::Errors:
        o.add("kind", jsonText("errors")).add("number", number(e.number));
        break;
    case K::Ticks: {
        std::vector<std::string> ticked;
        for (int t = 0; t < kw::TickCount; ++t)
            if (e.ticks[static_cast<std::size_t>(t)])
                ticked.push_back(tickName(static_cast<kw::Tick>(t)));
        o.add("kind", jsonText("ticks")).add("ticked", list(ticked, jsonText));
        break;
    }
    case K::Cables: {
        // [cable 1..10][line 0, 1]: the colour each line must show.
        std::string colours = "[";
        for (int cable = 1; cable <= kw::CableCount; ++cable)
            colours += (cable > 1 ? ", [" : "[") +
                       rgb(e.cables[static_cast<std::size_t>(cable)][0]) + ", " +
                       rgb(e.cables[static_cast<std::size_t>(cable)][1]) + "]";
        o.add("kind", jsonText("cables")).add("colours", colours + "]");
        break;
    }
    case K::Flow:
        o.add("kind", jsonText("flow")).add("number", number(e.number));
        break;
    case K::Windows:
        o.add("kind", jsonText("windows"))
            .add("windows", list(e.windows, [](const std::pair<kw::Window, kw::Showing>& w) {
                     return "[" + window(w.first) + ", " +
                            jsonText(w.second == kw::Showing::Modal ? "modal" : "modeless") + "]";
                 }));
        break;
    case K::Exercise:
        o.add("kind", jsonText("exercise")).add("first", jsonText(e.first));
        o.add("second", jsonText(e.second));
        break;
    case K::Numero:
        o.add("kind", jsonText("numero")).add("text", jsonText(e.first));
        break;
    case K::Result:
        o.add("kind", jsonText("result"))
            .add("none", boolean(e.none))
            .add("text", jsonText(e.first));
        break;
    case K::Enabled:
    case K::Disabled:
        o.add("kind", jsonText(e.kind == K::Enabled ? "enabled" : "disabled"))
            .add("items", list(e.items, [](Item item) {
                     return jsonText(item == Item::Nouveau ? "nouveau" : "fin");
                 }));
        break;
    case K::Cells:
        o.add("kind", jsonText("cells")).add("window", window(e.window));
        o.add("none", boolean(e.none)).add("first", jsonText(e.first));
        o.add("second", jsonText(e.second));
        break;
    case K::Table:
        o.add("kind", jsonText("table")).add("row", number(e.number));
        o.add("address", jsonText(e.row.address)).add("ttl", jsonText(e.row.ttl));
        o.add("port", jsonText(e.row.port)).add("anyTtl", boolean(e.anyTtl));
        break;
    case K::Lit:
        o.add("kind", jsonText("lit")).add("window", window(e.window)).add("leds", ints(e.leds));
        break;
    case K::Readonly:
    case K::Editable:
        o.add("kind", jsonText(e.kind == K::Readonly ? "readonly" : "editable"))
            .add("windows", windows(e.windowList));
        break;
    case K::Copier:
        o.add("kind", jsonText("copier")).add("on", boolean(e.on));
        break;
    case K::Raised:
        o.add("kind", jsonText("raised")).add("window", window(e.window));
        break;
    case K::Program: {
        const char* states[] = {"running", "refused", "ended"};
        o.add("kind", jsonText("program"))
            .add("state", jsonText(states[static_cast<int>(e.program)]));
        break;
    }
    }
    return o.text();
}

std::string step(const Step& s)
{
    Object o;
    o.add("act", s.act ? act(*s.act) : "null");
    o.add("boxes", list(s.boxes, [](const ExpectedBox& b) {
              return Object()
                  .add("line", number(b.line))
                  .add("kind", jsonText(boxKind(b.kind)))
                  .add("caption", jsonText(kw::BoxCaption(b.kind)))
                  .add("text", jsonText(b.text))
                  .text();
          }));
    o.add("expectations", list(s.expectations, expectation));
    return o.text();
}

// The pixels of each cable line that no other line shares (a shared pixel shows whichever
// line was drawn last), as [x0, y0, x1, y1, ...]: [cable 1..10][line 0, 1].
std::string cablePixels()
{
    std::map<std::pair<int, int>, int> use;
    for (int cable = 1; cable <= kw::CableCount; ++cable)
        for (kw::CableLine line : {kw::CableLine::First, kw::CableLine::Second})
            for (const kw::Pixel& p : kw::CableLinePixels(cable, line))
                ++use[{p.x, p.y}];
    std::string out = "[";
    for (int cable = 1; cable <= kw::CableCount; ++cable) {
        out += cable > 1 ? ", [" : "[";
        for (kw::CableLine line : {kw::CableLine::First, kw::CableLine::Second}) {
            std::vector<int> flat;
            for (const kw::Pixel& p : kw::CableLinePixels(cable, line))
                if (use[{p.x, p.y}] == 1) {
                    flat.push_back(p.x);
                    flat.push_back(p.y);
                }
            out += (line == kw::CableLine::Second ? ", " : "") + ints(flat);
        }
        out += "]";
    }
    return out + "]";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: scenario_json FILE.scenario [SERIES_FOLDER]\n";
        return 2;
    }
    try {
        const Scenario s = load(argv[1]);
        if (argc == 3)
            writeSeries(s, argv[2]);
        Object o;
        o.add("name", jsonText(s.name)).add("file", jsonText(s.file));
        o.add("ini", s.ini ? jsonText(*s.ini) : "null");
        o.add("exercises", s.exercises ? Object()
                                             .add("folder", jsonText(s.exercises->folder))
                                             .add("text", jsonText(s.exercises->text))
                                             .text()
                                       : "null");
        o.add("seed", number(s.seed));
        o.add("steps", list(s.steps, step));
        o.add("cablePixels", cablePixels());
        std::cout << o.text() << '\n';
    } catch (const std::exception& error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 0;
}
