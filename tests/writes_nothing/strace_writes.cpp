// Reads a trace written by `strace -f -y -s 4096 -e trace=%file,fchdir` and reports every
// call that would create, change or remove a file inside the watched folders: an open for
// writing, creating or truncating, creat, truncate, rename, link, symlink, unlink, mkdir,
// rmdir. Failed attempts count as well: trying is already writing.
//
//   strace_writes LOG --cwd DIR [--watch DIR]... [--read FILE]... [--marked]
//
// --cwd    the folder the traced command started in (for relative paths of calls that
//          take no folder descriptor);
// --watch  a folder that must stay untouched for the whole trace;
// --read   a file that the trace must show opened for reading: proof that the program ran;
// --marked the trace holds the markers of tst_monkey: an open of
//          "/kw-strace-marker/begin<folder>" once the program runs in <folder>, and of
//          "/kw-strace-marker/end" before the test removes that folder. <folder> is watched
//          from the beginning: before "begin" only the test's own set-up may write there
//          (the folder itself and its kw_switch.INI and switchexos.kw), after "end" the
//          test's clean-up is not looked at, and the program must have read kw_switch.INI.
//
// Exit status: 0 nothing written, 1 writes found, 2 bad usage or a trace that proves
// nothing (no call parsed, a missing marker or read).

#include <cctype>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr const char* MarkerPrefix = "/kw-strace-marker/";

struct Call {
    std::string pid;
    std::string name;
    std::vector<std::string> args;
    std::string result;
    std::string line;
};

// Splits an argument list at the commas outside quotes, brackets and decorations.
std::vector<std::string> splitArgs(const std::string& text)
{
    std::vector<std::string> args;
    std::string current;
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            current += c;
            if (c == '\\' && i + 1 < text.size())
                current += text[++i];
            else if (c == '"')
                quoted = false;
            continue;
        }
        if (c == '"') {
            quoted = true;
        } else if (c == '(' || c == '[' || c == '{' || c == '<') {
            ++depth;
        } else if (c == ')' || c == ']' || c == '}' || c == '>') {
            --depth;
        } else if (c == ',' && depth == 0) {
            args.push_back(current);
            current.clear();
            if (i + 1 < text.size() && text[i + 1] == ' ')
                ++i;
            continue;
        }
        current += c;
    }
    if (!current.empty() || !args.empty())
        args.push_back(current);
    return args;
}

// The text of a quoted strace string, escapes decoded.
std::optional<std::string> unquote(const std::string& text)
{
    const std::size_t open = text.find('"');
    if (open == std::string::npos)
        return std::nullopt;
    std::string out;
    for (std::size_t i = open + 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"')
            return out;
        if (c != '\\' || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const char e = text[++i];
        switch (e) {
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'x':
            if (i + 2 < text.size()) {
                out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
                i += 2;
            }
            break;
        default:
            if (e >= '0' && e <= '7') {
                int value = 0;
                int digits = 0;
                while (digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7') {
                    value = value * 8 + (text[i] - '0');
                    ++i;
                    ++digits;
                }
                --i;
                out += static_cast<char>(value);
            } else {
                out += e;
            }
        }
    }
    return std::nullopt;
}

// The path strace -y prints after a descriptor: AT_FDCWD</here> or 3</there>.
std::optional<std::string> decoration(const std::string& text)
{
    const std::size_t open = text.find('<');
    const std::size_t close = text.rfind('>');
    if (open == std::string::npos || close == std::string::npos || close <= open)
        return std::nullopt;
    return text.substr(open + 1, close - open - 1);
}

// "." and ".." taken out; symbolic links are not followed (the folders are canonical).
std::string normalise(const std::string& path)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string out;
    for (const std::string& part : parts)
        out += "/" + part;
    return out.empty() ? "/" : out;
}

std::string join(const std::string& base, const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return normalise(path);
    return normalise(base + "/" + path);
}

bool inside(const std::string& path, const std::string& folder)
{
    return path == folder ||
           (path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
            path[folder.size()] == '/');
}

bool writesFlags(const std::string& flags)
{
    for (const char* flag : {"O_WRONLY", "O_RDWR", "O_CREAT", "O_TRUNC", "O_APPEND", "O_TMPFILE"})
        if (flags.find(flag) != std::string::npos)
            return true;
    return false;
}

// The parenthesis that closes the one at `open`, quotes and brackets skipped.
std::size_t closingParenthesis(const std::string& line, std::size_t open)
{
    int depth = 0;
    bool quoted = false;
    for (std::size_t i = open; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == '(' || c == '[' || c == '{') {
            ++depth;
        } else if (c == ')' || c == ']' || c == '}') {
            if (--depth == 0)
                return c == ')' ? i : std::string::npos;
        }
    }
    return std::string::npos;
}

// Parses "PID name(args) = result", with "<unfinished ...>" and "<... name resumed>" joined.
class Reader {
public:
    std::optional<Call> next(const std::string& raw)
    {
        std::string line = raw;
        std::string pid;
        std::size_t at = 0;
        while (at < line.size() && line[at] >= '0' && line[at] <= '9')
            ++at;
        if (at > 0 && at < line.size() && line[at] == ' ') {
            pid = line.substr(0, at);
            line = line.substr(at + 1);
            while (!line.empty() && line[0] == ' ')
                line.erase(0, 1);
        }
        const std::string unfinished = " <unfinished ...>";
        if (line.size() >= unfinished.size() &&
            line.compare(line.size() - unfinished.size(), unfinished.size(), unfinished) == 0) {
            m_pending[pid] = line.substr(0, line.size() - unfinished.size());
            return std::nullopt;
        }
        if (line.rfind("<... ", 0) == 0) {
            const std::size_t resumed = line.find(" resumed>");
            if (resumed == std::string::npos || !m_pending.count(pid))
                return std::nullopt;
            line = m_pending[pid] + line.substr(resumed + 9);
            m_pending.erase(pid);
        }
        const std::size_t open = line.find('(');
        if (open == std::string::npos || open == 0)
            return std::nullopt;
        const std::string name = line.substr(0, open);
        for (char c : name)
            if (!(std::islower(static_cast<unsigned char>(c)) ||
                  std::isdigit(static_cast<unsigned char>(c)) || c == '_'))
                return std::nullopt;
        const std::size_t close = closingParenthesis(line, open);
        if (close == std::string::npos)
            return std::nullopt;
        std::size_t rest = close + 1;
        while (rest < line.size() && line[rest] == ' ')
            ++rest;
        if (line.compare(rest, 2, "= ") != 0)
            return std::nullopt;
        Call call;
        call.pid = pid;
        call.name = name;
        call.args = splitArgs(line.substr(open + 1, close - open - 1));
        call.result = line.substr(rest + 2);
        call.line = raw;
        return call;
    }

private:
    std::map<std::string, std::string> m_pending;
};

struct Access {
    std::string path;
    bool writes = false;
    bool reads = false; // a successful open for reading only
};

class Checker {
public:
    explicit Checker(std::string cwd) : m_cwd(normalise(cwd)) {}

    // The files a call touches, and how.
    std::vector<Access> accesses(const Call& call)
    {
        const std::vector<std::string>& a = call.args;
        auto path = [&](std::size_t index) -> std::optional<std::string> {
            if (index >= a.size())
                return std::nullopt;
            const auto text = unquote(a[index]);
            if (!text)
                return std::nullopt;
            return join(m_cwd, *text);
        };
        auto pathAt = [&](std::size_t dirIndex,
                          std::size_t pathIndex) -> std::optional<std::string> {
            if (pathIndex >= a.size() || dirIndex >= a.size())
                return std::nullopt;
            const auto text = unquote(a[pathIndex]);
            if (!text)
                return std::nullopt;
            const auto base = decoration(a[dirIndex]);
            if (a[dirIndex].rfind("AT_FDCWD", 0) == 0 && base)
                m_cwd = normalise(*base);
            return join(base ? *base : m_cwd, *text);
        };
        const bool succeeded =
            !call.result.empty() && call.result[0] != '-' && call.result[0] != '?';
        std::vector<Access> out;
        auto add = [&](const std::optional<std::string>& p, bool writes, bool reads = false) {
            if (p)
                out.push_back({*p, writes, reads});
        };
        const std::string& n = call.name;
        if (n == "open") {
            const bool w = a.size() > 1 && writesFlags(a[1]);
            add(path(0), w, !w && succeeded);
        } else if (n == "openat" || n == "openat2") {
            const bool w = a.size() > 2 && writesFlags(a[2]);
            add(pathAt(0, 1), w, !w && succeeded);
        } else if (n == "creat" || n == "truncate" || n == "unlink" || n == "rmdir" ||
                   n == "mkdir") {
            add(path(0), true);
        } else if (n == "unlinkat" || n == "mkdirat") {
            add(pathAt(0, 1), true);
        } else if (n == "rename" || n == "link") {
            add(path(0), n == "rename");
            add(path(1), true);
        } else if (n == "renameat" || n == "renameat2" || n == "linkat") {
            add(pathAt(0, 1), n != "linkat");
            add(pathAt(2, 3), true);
        } else if (n == "symlink") {
            add(path(1), true);
        } else if (n == "symlinkat") {
            add(pathAt(1, 2), true);
        } else if (n == "chdir" && succeeded) {
            if (const auto p = path(0))
                m_cwd = *p;
        } else if (n == "fchdir" && succeeded && !a.empty()) {
            if (const auto p = decoration(a[0]))
                m_cwd = normalise(*p);
        }
        return out;
    }

private:
    std::string m_cwd;
};

int usage()
{
    std::cerr << "usage: strace_writes LOG --cwd DIR [--watch DIR]... [--read FILE]... "
                 "[--marked]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const std::string logPath = argv[1];
    std::string cwd;
    std::vector<std::string> watched;
    std::set<std::string> reads;
    bool marked = false;
    for (int i = 2; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--marked") {
            marked = true;
        } else if (i + 1 < argc && option == "--cwd") {
            cwd = argv[++i];
        } else if (i + 1 < argc && option == "--watch") {
            watched.push_back(normalise(argv[++i]));
        } else if (i + 1 < argc && option == "--read") {
            reads.insert(normalise(argv[++i]));
        } else {
            return usage();
        }
    }
    if (cwd.empty())
        return usage();

    std::ifstream log(logPath);
    if (!log) {
        std::cerr << "strace_writes: cannot read " << logPath << "\n";
        return 2;
    }

    Reader reader;
    Checker checker(cwd);
    std::string markedFolder;
    enum class Phase { Before, Running, After } phase = Phase::Before;
    int calls = 0;
    int inWatched = 0;
    int writes = 0;
    std::set<std::string> seenReads;

    auto report = [&](const Call& call, const std::string& path, const std::string& why) {
        ++writes;
        std::cout << "WRITE " << why << ": " << path << "\n    " << call.line << "\n";
    };
    auto judge = [&](const Call& call, const std::vector<Access>& accesses, Phase at) {
        for (const Access& access : accesses) {
            if (access.reads)
                seenReads.insert(access.path);
            bool watchedPath = false;
            for (const std::string& folder : watched)
                if (inside(access.path, folder)) {
                    watchedPath = true;
                    if (access.writes)
                        report(call, access.path, "in watched folder " + folder);
                }
            if (markedFolder.empty() || !inside(access.path, markedFolder)) {
                inWatched += watchedPath;
                continue;
            }
            ++inWatched;
            if (!access.writes || at == Phase::After)
                continue;
            // The test's set-up of the program's folder, before the program runs.
            const bool setUp =
                at == Phase::Before &&
                (access.path == markedFolder || access.path == markedFolder + "/kw_switch.INI" ||
                 access.path == markedFolder + "/switchexos.kw") &&
                call.name != "unlink" && call.name != "unlinkat" &&
                call.name.rfind("rename", 0) != 0;
            if (!setUp)
                report(call, access.path, "in the program's folder " + markedFolder);
        }
    };

    // Calls before the "begin" marker wait until it names the program's folder.
    std::vector<std::pair<Call, std::vector<Access>>> held;
    std::string raw;
    while (std::getline(log, raw)) {
        const auto call = reader.next(raw);
        if (!call)
            continue;
        ++calls;
        const std::size_t pathIndex = call->name == "openat" ? 1 : 0;
        if (marked && (call->name == "openat" || call->name == "open") &&
            pathIndex < call->args.size()) {
            const auto target = unquote(call->args[pathIndex]);
            if (target && target->rfind(MarkerPrefix, 0) == 0) {
                const std::string what = target->substr(std::string(MarkerPrefix).size());
                if (what.rfind("begin", 0) == 0 && phase == Phase::Before) {
                    markedFolder = normalise(what.substr(5));
                    phase = Phase::Running;
                    for (const auto& [early, accesses] : held)
                        judge(early, accesses, Phase::Before);
                    held.clear();
                } else if (what == "end" && phase == Phase::Running) {
                    phase = Phase::After;
                }
                continue;
            }
        }
        auto accesses = checker.accesses(*call);
        if (marked && phase == Phase::Before)
            held.emplace_back(*call, accesses);
        else
            judge(*call, accesses, phase);
    }

    // Without a "begin" marker the held calls are still judged for the watched folders.
    for (const auto& [early, accesses] : held)
        judge(early, accesses, Phase::Before);

    int problems = 0;
    if (calls == 0) {
        std::cout << "PROBLEM: no system call found in " << logPath << "\n";
        ++problems;
    }
    if (marked) {
        if (phase != Phase::After) {
            std::cout << "PROBLEM: the markers of the program's run are missing\n";
            ++problems;
        } else {
            reads.insert(markedFolder + "/kw_switch.INI");
        }
    }
    for (const std::string& path : reads)
        if (!seenReads.count(path)) {
            std::cout << "PROBLEM: " << path << " was never opened for reading\n";
            ++problems;
        }
    std::cout << calls << " file calls, " << inWatched << " in the watched folders, " << writes
              << " writing there\n";
    if (writes > 0)
        return 1;
    return problems > 0 ? 2 : 0;
}
