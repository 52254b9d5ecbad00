// Times whole processes of the start-up programs, side by side.
//   kw_bench_run <runs> <reference> <program> [<program>...]
// Each program is one argument, a path optionally followed by its arguments
// ("kw_switch_startup --main-only"). Every program runs twice unmeasured (to fill the
// page cache), then <runs> times, interleaved and in alternating order so that a change
// of load on the machine hits all of them alike. For each run: the time from fork to the
// window shown (the program prints "shown <CLOCK_MONOTONIC ns>"), the time to its exit,
// its peak resident memory up to the window shown (it prints "peak-kb <KiB>") and over its
// whole run (wait4), and its page faults up to the window shown (it prints "faults <count>")
// and over its whole run: unlike the times they hardly depend on the machine's load, and on a
// virtual machine each one costs many microseconds. The second program is compared with the
// first.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double StartupTarget = 1.15; // times the reference's median
constexpr double MemoryTargetMiB = 3;  // above the reference's median

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1'000'000'000LL + now.tv_nsec;
}

struct Program {
    std::string label;
    std::vector<std::string> argv;
    std::vector<double> shownMs;
    std::vector<double> exitMs;
    std::vector<double> rssMiB;
    std::vector<double> shownRssMiB;
    std::vector<double> shownFaults;
    std::vector<double> faults;
};

struct Run {
    double shownMs = 0;
    double exitMs = 0;
    double rssMiB = 0;
    double shownRssMiB = 0;
    double shownFaults = 0;
    double faults = 0;
};

std::vector<std::string> split(const std::string& text)
{
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

[[noreturn]] void die(const std::string& message)
{
    std::fprintf(stderr, "kw_bench_run: %s\n", message.c_str());
    std::exit(1);
}

// The child's standard error goes to a scratch file, shown only when the run fails.
Run runOnce(const Program& program)
{
    int out[2];
    if (pipe(out) != 0)
        die(std::string("pipe: ") + std::strerror(errno));
    char errPath[] = "/tmp/kw_bench_run.XXXXXX";
    const int errFd = mkstemp(errPath);
    if (errFd < 0)
        die(std::string("mkstemp: ") + std::strerror(errno));
    unlink(errPath);

    std::vector<char*> args;
    for (const std::string& arg : program.argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    const long long start = monotonicNs();
    const pid_t pid = fork();
    if (pid < 0)
        die(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        close(out[0]);
        close(out[1]);
        close(errFd);
        alarm(60); // a program that hangs (a box waiting for an answer) is killed
        execv(args[0], args.data());
        std::fprintf(stderr, "cannot start %s: %s\n", args[0], std::strerror(errno));
        _exit(127);
    }
    close(out[1]);
    std::string output;
    char buffer[256];
    for (;;) {
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got > 0)
            output.append(buffer, static_cast<size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    close(out[0]);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR)
            die(std::string("wait4: ") + std::strerror(errno));
    const long long end = monotonicNs();

    long long shown = 0;
    const size_t at = output.find("shown ");
    if (at != std::string::npos)
        shown = std::atoll(output.c_str() + at + 6);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || shown <= start || shown > end) {
        std::string err;
        lseek(errFd, 0, SEEK_SET);
        for (ssize_t got; (got = read(errFd, buffer, sizeof buffer)) > 0;)
            err.append(buffer, static_cast<size_t>(got));
        close(errFd);
        die(program.label + " failed (status " + std::to_string(status) + ", output \"" + output +
            "\"):\n" + err.substr(0, 4000));
    }
    close(errFd);
    const size_t peakAt = output.find("peak-kb ");
    const double shownRss =
        peakAt == std::string::npos
            ? 0
            : static_cast<double>(std::atol(output.c_str() + peakAt + 8)) / 1024.0;
    const size_t faultsAt = output.find("faults ");
    const double shownFaults = faultsAt == std::string::npos
                                   ? 0
                                   : static_cast<double>(std::atol(output.c_str() + faultsAt + 7));
    return {(shown - start) / 1e6,
            (end - start) / 1e6,
            usage.ru_maxrss / 1024.0,
            shownRss,
            shownFaults,
            static_cast<double>(usage.ru_minflt + usage.ru_majflt)};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double minimum(const std::vector<double>& values)
{
    return *std::min_element(values.begin(), values.end());
}

double maximum(const std::vector<double>& values)
{
    return *std::max_element(values.begin(), values.end());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: kw_bench_run <runs> <reference> <program> [<program>...]\n");
        return 2;
    }
    char* end = nullptr;
    const long runs = std::strtol(argv[1], &end, 10);
    if (*end != '\0' || runs < 1 || runs > 10000) {
        std::fprintf(stderr, "kw_bench_run: runs must be a whole number from 1 to 10000\n");
        return 2;
    }
    std::vector<Program> programs;
    for (int i = 2; i < argc; ++i) {
        Program program;
        program.argv = split(argv[i]);
        if (program.argv.empty())
            die("empty program");
        program.label = program.argv[0].substr(program.argv[0].rfind('/') + 1);
        for (size_t k = 1; k < program.argv.size(); ++k)
            program.label += " " + program.argv[k];
        programs.push_back(program);
    }

    for (int warm = 0; warm < 2; ++warm)
        for (const Program& program : programs)
            runOnce(program);
    for (long round = 0; round < runs; ++round) {
        for (size_t k = 0; k < programs.size(); ++k) {
            Program& program = programs[round % 2 ? programs.size() - 1 - k : k];
            const Run run = runOnce(program);
            program.shownMs.push_back(run.shownMs);
            program.exitMs.push_back(run.exitMs);
            program.rssMiB.push_back(run.rssMiB);
            program.shownRssMiB.push_back(run.shownRssMiB);
            program.shownFaults.push_back(run.shownFaults);
            program.faults.push_back(run.faults);
        }
    }

    std::printf("%ld runs each, interleaved; times in ms from fork, peak RSS in MiB (up to the "
                "window shown, and over the process)\n",
                runs);
    std::printf("%-32s %13s %13s %15s %15s %13s\n", "", "window shown", "process exit",
                "RSS at shown", "peak RSS", "page faults");
    std::printf("%-32s %6s %6s %6s %6s %7s %7s %7s %7s %6s %6s\n", "program", "median", "min",
                "median", "min", "median", "max", "median", "max", "shown", "exit");
    for (const Program& p : programs)
        std::printf("%-32s %6.1f %6.1f %6.1f %6.1f %7.1f %7.1f %7.1f %7.1f %6.0f %6.0f\n",
                    p.label.c_str(), median(p.shownMs), minimum(p.shownMs), median(p.exitMs),
                    minimum(p.exitMs), median(p.shownRssMiB), maximum(p.shownRssMiB),
                    median(p.rssMiB), maximum(p.rssMiB), median(p.shownFaults), median(p.faults));

    const Program& reference = programs[0];
    const Program& program = programs[1];
    const double ratio = median(program.shownMs) / median(reference.shownMs);
    const double ratioMin = minimum(program.shownMs) / minimum(reference.shownMs);
    const double extra = median(program.rssMiB) - median(reference.rssMiB);
    const double extraShown = median(program.shownRssMiB) - median(reference.shownRssMiB);
    std::printf("\nstart-up %s / %s: %.2fx by median, %.2fx by minimum (target <= %.2fx): %s\n",
                program.label.c_str(), reference.label.c_str(), ratio, ratioMin, StartupTarget,
                ratio <= StartupTarget ? "met" : "missed");
    std::printf("peak memory %s - %s: %+.1f MiB over the process (target <= %.0f MiB): %s; "
                "%+.1f MiB up to the window shown\n",
                program.label.c_str(), reference.label.c_str(), extra, MemoryTargetMiB,
                extra <= MemoryTargetMiB ? "met" : "missed", extraShown);
    return 0;
}
