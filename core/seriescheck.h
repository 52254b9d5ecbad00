#pragma once

// A report on a series as the start reads it, for the teacher who checks a series before the
// class: where each file was found and how it was decoded, how each key and each exercise
// line was read, what was ignored or corrected, the switch's table at start-up and the
// messages the start would show. Plain texts in French, which the command line prints and
// any other front end can show as it likes.

#include <optional>
#include <string>
#include <vector>

namespace kw {

enum class ReportLevel {
    Info,    // read as written
    Warning, // ignored or corrected: the series plays otherwise than written
    Refusal, // the start would stop
};

struct ReportLine {
    ReportLevel level = ReportLevel::Info;
    std::string text; // a line break only inside a message the start shows
};

struct ReportSection {
    std::string title;
    std::vector<ReportLine> lines;
};

struct SeriesReport {
    std::string series; // the series' folder, or the argument as given when there is none
    std::vector<ReportSection> sections;

    // 0: the series plays as written; 1: something is ignored or corrected; 2: the start
    // would refuse to play it.
    int status() const;
};

// Reads the series the program would start with `argument` from `currentFolder`, with the
// start's own code, and reports on it. Writes nothing, opens no window; the random
// generator is left as it was.
SeriesReport CheckSeries(const std::string& currentFolder,
                         const std::optional<std::string>& argument);

// The report as a terminal shows it: each section's title, its lines indented, warnings after
// "attention : ", refusals after "refus : ", then the verdict with the status.
std::string ReportText(const SeriesReport& report);

} // namespace kw
