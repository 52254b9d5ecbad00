#include "scenario.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

namespace kw::scenario {

namespace {

struct Token {
    std::string text;
    bool quoted = false;
};

struct Pixel {
    const char* name;
    int x;
    int y;
};

// Inside each element's hit rectangle, about its middle.
constexpr Pixel ElementPoints[] = {
    {"Machine 1", 29, 207},  {"Machine 2", 89, 207},  {"Machine 3", 150, 207},
    {"Machine 4", 339, 207}, {"Machine 5", 403, 207}, {"Machine 6", 460, 207},
    {"ServeurA", 220, 29},   {"ServeurB", 290, 29},   {"Hub 1", 106, 145},
    {"Hub 2", 385, 145},     {"switch", 249, 97},
};

constexpr int LedPointX[] = {0, 48, 81, 143, 176, 240, 272, 334, 367};
constexpr int LedPointY = 30;

constexpr const char* WindowKeys[WindowCount] = {
    "principale",  "source", "avance",  "hub1",   "macs",
    "destination", "hub2",   "apropos", "switch", "leds",
};

constexpr const char* TickNames[TickCount] = {
    "emetteur",  "Hub1",  "Hub2",  "switch",  "destinataire",
    "_emetteur", "_hub1", "_hub2", "_switch", "_destinataire",
};

class Reader {
public:
    Reader(std::string file, int line, std::string source)
        : m_file(std::move(file)), m_line(line), m_source(std::move(source))
    {
    }

    [[noreturn]] void fail(const std::string& what) const
    {
        throw SyntaxError(m_file + ":" + std::to_string(m_line) + ": " + what + ": " + m_source);
    }

    std::vector<Token> tokens() const
    {
        std::vector<Token> out;
        const std::string& s = m_source;
        std::size_t i = 0;
        while (i < s.size()) {
            if (s[i] == ' ' || s[i] == '\t') {
                ++i;
                continue;
            }
            Token token;
            if (s[i] == '"') {
                token.quoted = true;
                ++i;
                bool closed = false;
                while (i < s.size()) {
                    const char c = s[i++];
                    if (c == '"') {
                        closed = true;
                        break;
                    }
                    if (c != '\\') {
                        token.text += c;
                        continue;
                    }
                    if (i == s.size())
                        fail("a lone \\ at the end of the line");
                    const char e = s[i++];
                    switch (e) {
                    case 'r':
                        token.text += '\r';
                        break;
                    case 'n':
                        token.text += '\n';
                        break;
                    case 't':
                        token.text += '\t';
                        break;
                    case '"':
                    case '\\':
                        token.text += e;
                        break;
                    default:
                        fail(std::string("unknown escape \\") + e);
                    }
                }
                if (!closed)
                    fail("a text without its closing quote");
                if (i < s.size() && s[i] != ' ' && s[i] != '\t')
                    fail("a closing quote followed by more text");
            } else {
                while (i < s.size() && s[i] != ' ' && s[i] != '\t')
                    token.text += s[i++];
            }
            out.push_back(std::move(token));
        }
        return out;
    }

    int number(const Token& token, int low, int high) const
    {
        int value = 0;
        const char* begin = token.text.data();
        const char* end = begin + token.text.size();
        const auto [ptr, error] = std::from_chars(begin, end, value);
        if (token.quoted || error != std::errc() || ptr != end || value < low || value > high)
            fail("expected a number from " + std::to_string(low) + " to " + std::to_string(high) +
                 ", not '" + token.text + "'");
        return value;
    }

    std::pair<int, int> point(const Token& token) const
    {
        const std::size_t comma = token.text.find(',');
        if (comma == std::string::npos || token.quoted)
            fail("expected a point x,y");
        return {number({token.text.substr(0, comma)}, -100000, 100000),
                number({token.text.substr(comma + 1)}, -100000, 100000)};
    }

    Window window(const Token& token, std::initializer_list<Window> allowed = {}) const
    {
        const auto w = windowFromKey(token.text);
        if (!w || token.quoted)
            fail("no window is named '" + token.text + "'");
        if (allowed.size() > 0 && std::find(allowed.begin(), allowed.end(), *w) == allowed.end())
            fail("window '" + token.text + "' cannot be used here");
        return *w;
    }

    Tick tick(const Token& token) const
    {
        for (int t = 0; t < TickCount; ++t)
            if (token.text == TickNames[t])
                return static_cast<Tick>(t);
        fail("no progress box is named '" + token.text + "'");
    }

    void count(const std::vector<Token>& tokens, std::size_t low, std::size_t high) const
    {
        if (tokens.size() < low || tokens.size() > high)
            fail("wrong number of words");
    }

    std::vector<int> numberList(const std::string& text, int low, int high) const
    {
        std::vector<int> values;
        std::size_t start = 0;
        while (start <= text.size()) {
            const std::size_t comma = text.find(',', start);
            const std::size_t end = comma == std::string::npos ? text.size() : comma;
            values.push_back(number({text.substr(start, end - start)}, low, high));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        return values;
    }

    int line() const { return m_line; }
    const std::string& source() const { return m_source; }

private:
    std::string m_file;
    int m_line;
    std::string m_source;
};

std::string joined(const std::vector<Token>& tokens, std::size_t from)
{
    std::string out;
    for (std::size_t i = from; i < tokens.size(); ++i) {
        if (!out.empty())
            out += ' ';
        out += tokens[i].text;
    }
    return out;
}

std::string trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> splitLines(std::string_view text)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::string> lines;
    std::string current;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(current));
            current.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            continue;
        }
        current += c;
    }
    if (!current.empty())
        lines.push_back(std::move(current));
    return lines;
}

std::optional<Act> readAct(const Reader& r, const std::vector<Token>& t)
{
    const std::string& verb = t[0].text;
    Act act;
    act.line = r.line();
    act.source = r.source();
    using K = Act::Kind;
    const std::initializer_list<Window> ledWindows{Window::Hub1, Window::Hub2, Window::SwitchGros};
    if (verb == "click") {
        r.count(t, 2, 3);
        act.kind = K::Click;
        if (t.size() == 2 && t[1].text.find(',') != std::string::npos) {
            std::tie(act.x, act.y) = r.point(t[1]);
        } else {
            act.element = joined(t, 1);
            const auto p = elementPoint(act.element);
            if (!p)
                r.fail("no element of the diagram is named '" + act.element + "'");
            std::tie(act.x, act.y) = *p;
        }
    } else if (verb == "copy") {
        r.count(t, 4, 4);
        if (t[2].text != "->")
            r.fail("expected copy <row> -> <column>");
        act.kind = K::Copy;
        act.row = r.number(t[1], 0, 9);
        act.column = r.number(t[3], 0, 4);
    } else if (verb == "tick" || verb == "untick") {
        r.count(t, 2, 2);
        act.kind = K::Tick;
        act.on = verb == "tick";
        act.copier = t[1].text == "copier";
        if (!act.copier)
            act.tick = r.tick(t[1]);
    } else if (verb == "led") {
        r.count(t, 3, 10);
        act.window = r.window(t[1], ledWindows);
        if (t[2].text == "at") {
            r.count(t, 4, 4);
            act.kind = K::LedAt;
            std::tie(act.x, act.y) = r.point(t[3]);
        } else {
            act.kind = K::Led;
            for (std::size_t i = 2; i < t.size(); ++i)
                act.leds.push_back(r.number(t[i], 1, LedCount));
        }
    } else if (verb == "done") {
        r.count(t, 2, 2);
        act.kind = K::Done;
        act.window = r.window(t[1], {Window::Source, Window::Destination, Window::Hub1,
                                     Window::Hub2, Window::SwitchGros, Window::APropos});
    } else if (verb == "learn") {
        r.count(t, 4, 4);
        if (t[2].text != "port")
            r.fail("expected learn <column> port <p>");
        act.kind = K::Learn;
        act.column = r.number(t[1], 0, 4);
        act.port = r.number(t[3], 1, 4);
    } else if (verb == "entry") {
        r.count(t, 2, 3);
        if (t.size() == 3) {
            if (t[1].text != "port")
                r.fail("expected entry <column> or entry port <p>");
            act.kind = K::EntryPort;
            act.port = r.number(t[2], 1, 4);
        } else {
            act.kind = K::Entry;
            act.column = r.number(t[1], 0, 4);
        }
    } else if (verb == "select") {
        r.count(t, 2, 2);
        act.kind = K::Select;
        act.column = r.number(t[1], 0, 4);
    } else if (verb == "port") {
        r.count(t, 2, 2);
        act.kind = K::Port;
        act.port = r.number(t[1], 1, 4);
    } else if (verb == "via") {
        r.count(t, 2, 2);
        act.kind = K::Via;
        if (t[1].text == "inconnu") {
            act.choice = ForwardingChoice::Unknown;
        } else {
            const ForwardingChoice ports[] = {ForwardingChoice::Port1, ForwardingChoice::Port2,
                                              ForwardingChoice::Port3, ForwardingChoice::Port4};
            act.choice = ports[r.number(t[1], 1, 4) - 1];
        }
    } else if (verb == "emit") {
        r.count(t, 1, 1);
        act.kind = K::Emit;
    } else if (verb == "fin") {
        r.count(t, 1, 1);
        act.kind = K::Fin;
    } else if (verb == "menu") {
        r.count(t, 2, 2);
        act.kind = K::MenuItem;
        if (t[1].text == "nouveau")
            act.menu = Menu::Nouveau;
        else if (t[1].text == "apropos")
            act.menu = Menu::APropos;
        else if (t[1].text == "quitter")
            act.menu = Menu::Quitter;
        else
            r.fail("no menu item is named '" + t[1].text + "'");
    } else if (verb == "answer") {
        r.count(t, 2, 2);
        act.kind = K::Answer;
        if (t[1].text != "ok" && t[1].text != "annuler")
            r.fail("expected answer ok or answer annuler");
        act.on = t[1].text == "ok";
    } else if (verb == "close" || verb == "activate") {
        r.count(t, 2, 2);
        act.kind = verb == "close" ? K::Close : K::Activate;
        act.window = r.window(t[1]);
    } else if (verb == "wait") {
        r.count(t, 2, 2);
        const std::string& hms = t[1].text;
        if (hms.size() != 8 || hms[2] != ':' || hms[5] != ':')
            r.fail("expected wait hh:mm:ss");
        act.kind = K::Wait;
        act.seconds = r.number({hms.substr(0, 2)}, 0, 99) * 3600 +
                      r.number({hms.substr(3, 2)}, 0, 59) * 60 +
                      r.number({hms.substr(6, 2)}, 0, 59);
    } else {
        return std::nullopt;
    }
    return act;
}

std::optional<ExpectedBox> readBox(const Reader& r, const std::vector<Token>& t)
{
    if (t[0].text != "box")
        return std::nullopt;
    r.count(t, 3, 3);
    if (!t[2].quoted)
        r.fail("the box's text goes in double quotes");
    ExpectedBox box;
    box.line = r.line();
    box.text = t[2].text;
    const BoxKind kinds[] = {BoxKind::Warning, BoxKind::Error, BoxKind::Information,
                             BoxKind::Confirmation};
    for (BoxKind kind : kinds)
        if (t[1].text == BoxCaption(kind)) {
            box.kind = kind;
            return box;
        }
    r.fail("no box has the caption '" + t[1].text + "'");
}

std::optional<Expectation> readExpectation(const Reader& r, const std::vector<Token>& t)
{
    const std::string& verb = t[0].text;
    Expectation e;
    e.line = r.line();
    e.source = r.source();
    using K = Expectation::Kind;
    const std::initializer_list<Window> ledWindows{Window::Hub1, Window::Hub2, Window::SwitchGros};
    if (verb == "errors" || verb == "flow") {
        r.count(t, 2, 2);
        e.kind = verb == "errors" ? K::Errors : K::Flow;
        e.number = r.number(t[1], 0, 65535);
    } else if (verb == "ticks") {
        e.kind = K::Ticks;
        for (std::size_t i = 1; i < t.size(); ++i)
            e.ticks[static_cast<int>(r.tick(t[i]))] = true;
    } else if (verb == "cables") {
        e.kind = K::Cables;
        for (auto& lines : e.cables)
            lines = {colour::Black, colour::Black};
        for (std::size_t i = 1; i < t.size(); ++i) {
            const std::string& word = t[i].text;
            const std::size_t colon = word.find(':');
            if (colon == std::string::npos)
                r.fail("expected <colour>:<cables>");
            const std::string name = word.substr(0, colon);
            Rgb colour;
            int line = 0;
            if (name == "white") {
                colour = colour::White;
            } else if (name == "red") {
                colour = colour::Red;
            } else if (name == "yellow") {
                colour = colour::Yellow;
                line = 1;
            } else {
                r.fail("no cable is drawn " + name);
            }
            for (int cable : r.numberList(word.substr(colon + 1), 1, CableCount))
                e.cables[cable][line] = colour;
        }
    } else if (verb == "windows") {
        e.kind = K::Windows;
        for (std::size_t i = 1; i < t.size(); ++i) {
            const std::string& word = t[i].text;
            const std::size_t colon = word.find(':');
            if (colon == std::string::npos)
                r.fail("expected <window>:modal or <window>:modeless");
            const Window w = r.window({word.substr(0, colon)});
            const std::string how = word.substr(colon + 1);
            if (how != "modal" && how != "modeless")
                r.fail("expected <window>:modal or <window>:modeless");
            e.windows.emplace_back(w, how == "modal" ? Showing::Modal : Showing::Modeless);
        }
    } else if (verb == "exercise") {
        e.kind = K::Exercise;
        const std::string names = joined(t, 1);
        const std::size_t arrow = names.find(" -> ");
        if (arrow == std::string::npos)
            r.fail("expected exercise <source> -> <destination>");
        e.first = names.substr(0, arrow);
        e.second = names.substr(arrow + 4);
    } else if (verb == "numero") {
        r.count(t, 2, 2);
        if (!t[1].quoted)
            r.fail("the caption goes in double quotes");
        e.kind = K::Numero;
        e.first = t[1].text;
    } else if (verb == "result") {
        r.count(t, 2, 2);
        e.kind = K::Result;
        e.none = !t[1].quoted && t[1].text == "none";
        if (!e.none && !t[1].quoted)
            r.fail("expected result \"<text>\" or result none");
        e.first = t[1].text;
    } else if (verb == "enabled" || verb == "disabled") {
        r.count(t, 2, 3);
        e.kind = verb == "enabled" ? K::Enabled : K::Disabled;
        for (std::size_t i = 1; i < t.size(); ++i) {
            if (t[i].text == "nouveau")
                e.items.push_back(Item::Nouveau);
            else if (t[i].text == "fin")
                e.items.push_back(Item::Fin);
            else
                r.fail("expected nouveau or fin");
        }
    } else if (verb == "cells") {
        r.count(t, 3, 4);
        e.kind = K::Cells;
        e.window = r.window(
            t[1], {Window::Source, Window::Destination, Window::Switch, Window::Principale});
        if (t.size() == 3) {
            if (t[2].quoted || t[2].text != "none" || e.window != Window::Principale)
                r.fail("expected cells <window> \"<a>\" \"<b>\" or cells principale none");
            e.none = true;
        } else {
            if (!t[2].quoted || !t[3].quoted)
                r.fail("the cells go in double quotes");
            e.first = t[2].text;
            e.second = t[3].text;
        }
    } else if (verb == "table") {
        e.kind = K::Table;
        r.count(t, 3, 5);
        e.number = r.number(t[1], SwitchFirstEntry, SwitchEntryRow);
        if (t.size() == 3) {
            if (t[2].quoted || t[2].text != "empty")
                r.fail("expected table <row> empty");
        } else {
            r.count(t, 5, 5);
            e.row.address = t[2].text;
            e.anyTtl = !t[3].quoted && t[3].text == "*";
            e.row.ttl = e.anyTtl ? std::string() : t[3].text;
            e.row.port = t[4].text;
        }
    } else if (verb == "lit") {
        r.count(t, 2, 10);
        e.kind = K::Lit;
        e.window = r.window(t[1], ledWindows);
        for (std::size_t i = 2; i < t.size(); ++i)
            e.leds.push_back(r.number(t[i], 1, LedCount));
    } else if (verb == "readonly" || verb == "editable") {
        r.count(t, 2, 8);
        e.kind = verb == "readonly" ? K::Readonly : K::Editable;
        for (std::size_t i = 1; i < t.size(); ++i)
            e.windowList.push_back(
                r.window(t[i], {Window::Source, Window::Destination, Window::Hub1, Window::Hub2,
                                Window::Switch, Window::SwitchGros}));
    } else if (verb == "copier") {
        r.count(t, 2, 2);
        e.kind = K::Copier;
        if (t[1].text != "ticked" && t[1].text != "unticked")
            r.fail("expected copier ticked or copier unticked");
        e.on = t[1].text == "ticked";
    } else if (verb == "raised") {
        r.count(t, 2, 2);
        e.kind = K::Raised;
        e.window = r.window(t[1]);
    } else if (verb == "program") {
        r.count(t, 2, 2);
        e.kind = K::Program;
        if (t[1].text == "running")
            e.program = ProgramState::Running;
        else if (t[1].text == "refused")
            e.program = ProgramState::Refused;
        else if (t[1].text == "ended")
            e.program = ProgramState::Ended;
        else
            r.fail("expected program running, refused or ended");
    } else {
        return std::nullopt;
    }
    return e;
}

void writeFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace

Scenario parse(std::string_view text, const std::string& file)
{
    enum class Section { None, Ini, Exercises, Options, Play };
    Scenario scenario;
    scenario.file = file;
    scenario.name = std::filesystem::path(file).stem().string();
    scenario.steps.emplace_back();

    Section section = Section::None;
    std::vector<std::string> verbatim;
    auto closeVerbatim = [&] {
        while (!verbatim.empty() && trimmed(verbatim.back()).empty())
            verbatim.pop_back();
        std::string content;
        for (const std::string& l : verbatim)
            content += l + "\r\n";
        if (section == Section::Ini)
            scenario.ini = content;
        else if (section == Section::Exercises)
            scenario.exercises->text = content;
        verbatim.clear();
    };

    const std::vector<std::string> lines = splitLines(text);
    for (std::size_t index = 0; index < lines.size(); ++index) {
        const std::string& line = lines[index];
        const Reader r(file, static_cast<int>(index) + 1, line);
        if (!line.empty() && line[0] == '@') {
            closeVerbatim();
            const std::vector<Token> t = r.tokens();
            const std::string& name = t[0].text;
            Section next = Section::None;
            if (name == "@ini")
                next = Section::Ini;
            else if (name == "@exercises")
                next = Section::Exercises;
            else if (name == "@options")
                next = Section::Options;
            else if (name == "@play")
                next = Section::Play;
            else
                r.fail("no section is named " + name);
            if (next <= section)
                r.fail("sections come once each, in the order @ini @exercises @options @play");
            section = next;
            if (section == Section::Exercises) {
                r.count(t, 1, 2);
                scenario.exercises = ExerciseFile{t.size() == 2 ? t[1].text : std::string(), {}};
            } else {
                r.count(t, 1, 1);
            }
            continue;
        }
        if (section == Section::Ini || section == Section::Exercises) {
            verbatim.push_back(line);
            continue;
        }
        const std::string content = trimmed(line);
        if (section == Section::None || content.empty() || content[0] == '#')
            continue;
        const std::vector<Token> t = r.tokens();
        if (section == Section::Options) {
            if (t[0].text != "seed")
                r.fail("the only option is seed");
            r.count(t, 2, 2);
            std::uint32_t seed = 0;
            const std::string& s = t[1].text;
            const auto [ptr, error] = std::from_chars(s.data(), s.data() + s.size(), seed);
            if (error != std::errc() || ptr != s.data() + s.size())
                r.fail("expected seed 0..4294967295");
            scenario.seed = seed;
            continue;
        }
        if (auto act = readAct(r, t)) {
            Step step;
            step.act = std::move(*act);
            scenario.steps.push_back(std::move(step));
        } else if (auto box = readBox(r, t)) {
            scenario.steps.back().boxes.push_back(std::move(*box));
        } else if (auto expectation = readExpectation(r, t)) {
            scenario.steps.back().expectations.push_back(std::move(*expectation));
        } else {
            r.fail("no act or expectation starts with '" + t[0].text + "'");
        }
    }
    closeVerbatim();
    if (section != Section::Play)
        throw SyntaxError(file + ": no @play section");
    return scenario;
}

Scenario load(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw SyntaxError(path.string() + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    return parse(text.str(), path.string());
}

std::vector<std::filesystem::path> listScenarios(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().extension() == ".scenario")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

void writeSeries(const Scenario& scenario, const std::filesystem::path& folder)
{
    if (scenario.ini)
        writeFile(folder / "kw_switch.INI", *scenario.ini);
    if (scenario.exercises) {
        const std::filesystem::path where = folder / scenario.exercises->folder;
        std::filesystem::create_directories(where);
        writeFile(where / "switchexos.kw", scenario.exercises->text);
    }
}

std::string withFolder(std::string_view text, const std::string& folder)
{
    static constexpr std::string_view Mark = "{folder}";
    std::string out;
    std::size_t from = 0;
    for (std::size_t at = text.find(Mark); at != std::string_view::npos;
         at = text.find(Mark, from)) {
        out.append(text.substr(from, at - from));
        out += folder;
        from = at + Mark.size();
    }
    out.append(text.substr(from));
    return out;
}

std::optional<std::pair<int, int>> elementPoint(std::string_view element)
{
    for (const Pixel& p : ElementPoints)
        if (element == p.name)
            return std::pair{p.x, p.y};
    return std::nullopt;
}

std::pair<int, int> ledPoint(int k)
{
    return {k >= 1 && k <= LedCount ? LedPointX[k] : 0, LedPointY};
}

const char* windowKey(Window window)
{
    return WindowKeys[static_cast<int>(window)];
}

std::optional<Window> windowFromKey(std::string_view key)
{
    for (int w = 0; w < WindowCount; ++w)
        if (key == WindowKeys[w])
            return static_cast<Window>(w);
    return std::nullopt;
}

const char* tickName(Tick tick)
{
    return TickNames[static_cast<int>(tick)];
}

std::string escaped(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

} // namespace kw::scenario
