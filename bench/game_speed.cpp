// How fast the game plays without windows: every scenario of tests/scenarios replayed again
// and again (acts per second, the series folders written and removed each time included),
// then the monkey on each of its series for a fixed time (acts made).
//   kw_game_speed [seconds per measure]        default 5

#include "game_monkey.h"
#include "game_replay.h"
#include "scenario.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv)
{
    const double seconds = argc > 1 ? std::atof(argv[1]) : 5.0;
    std::vector<kw::scenario::Scenario> scenarios;
    for (const auto& path : kw::scenario::listScenarios(KW_SCENARIOS))
        scenarios.push_back(kw::scenario::load(path));

    long acts = 0;
    long replays = 0;
    const Clock::time_point start = Clock::now();
    while (secondsSince(start) < seconds) {
        for (const kw::scenario::Scenario& scenario : scenarios) {
            const kw::scenario::ReplayResult result = kw::scenario::replayOnGame(scenario);
            if (!result.ok()) {
                std::fprintf(stderr, "%s\n", result.failures.front().c_str());
                return 1;
            }
            acts += result.acts;
        }
        ++replays;
    }
    const double replayTime = secondsSince(start);
    std::printf("scenarios: %zu files replayed %ld times, %ld acts in %.2f s: %.0f acts/s\n",
                scenarios.size(), replays, acts, replayTime, acts / replayTime);

    long monkeyActs = 0;
    for (const kw::monkey::Series& series : kw::monkey::allSeries()) {
        const kw::monkey::SeriesFolder folder(series);
        kw::monkey::SeededDice dice(1);
        kw::monkey::GameMonkey monkey(series, folder.path(), 1, dice);
        const Clock::time_point begin = Clock::now();
        while (secondsSince(begin) < seconds)
            if (!monkey.run(monkey.stats().acts + 10000)) {
                std::fprintf(stderr, "%s\n", monkey.failure().c_str());
                return 1;
            }
        const kw::monkey::Stats& s = monkey.stats();
        monkeyActs += s.acts;
        std::printf("monkey %-16s %ld acts in %.0f s (%d frames done, %d series ended)\n",
                    series.name, s.acts, seconds, s.framesDone, s.seriesEnds);
    }
    std::printf("monkey: %.0f acts/s\n", monkeyActs / (seconds * kw::monkey::allSeries().size()));
    return 0;
}
