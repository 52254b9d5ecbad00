// The monkey on the game: seeded random acts on every series of the monkey, with the checks
// of tests/monkey/game_monkey.h after each. The fuzz target fuzz_game plays the same monkey
// for as long as it is given.

#include "game_monkey.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <string>

namespace kw::monkey {
// Test names and failures show the series by its name.
void PrintTo(const Series& series, std::ostream* out)
{
    *out << series.name;
}
} // namespace kw::monkey

namespace {

using namespace kw::monkey;

// KW_MONKEY_ACTS and KW_MONKEY_SEED replay a run or make it longer.
long actsWanted()
{
    const char* text = std::getenv("KW_MONKEY_ACTS");
    return text ? std::atol(text) : 60000;
}

std::uint64_t seedWanted()
{
    const char* text = std::getenv("KW_MONKEY_SEED");
    return text ? std::strtoull(text, nullptr, 10) : 20240601;
}

class Monkey : public testing::TestWithParam<Series> {};

TEST_P(Monkey, KeepsTheGameWhole)
{
    const Series& series = GetParam();
    const SeriesFolder folder(series);
    const std::uint64_t seed = seedWanted();
    SeededDice dice(seed);
    GameMonkey monkey(series, folder.path(), static_cast<std::uint32_t>(seed), dice);
    const long acts = actsWanted();
    const bool passed = monkey.run(acts);
    const Stats& s = monkey.stats();
    std::string flows;
    for (int flow : s.flows)
        flows += " " + std::to_string(flow);
    RecordProperty("acts", std::to_string(s.acts));
    ASSERT_TRUE(passed) << monkey.failure() << "\n  replay: KW_MONKEY_SEED=" << seed
                        << " KW_MONKEY_ACTS=" << s.acts;
    // Deep enough for the checks to mean something.
    EXPECT_GE(s.framesDone, acts / 2000) << "frames done";
    EXPECT_GE(s.commits, s.framesDone) << "switch steps";
    for (int flow : {10, 20, 30, 40, 50, 60})
        EXPECT_TRUE(s.flows.count(flow)) << "FlowState " << flow << " never seen:" << flows;
    if (series.ends) {
        EXPECT_GE(s.seriesEnds, 1) << "the imposed series never ended";
    }
    std::cout << series.name << ": " << s.acts << " acts (" << s.hints << " good ones), " << s.runs
              << " runs, " << s.exercises << " exercises, " << s.framesDone << " frames done, "
              << s.commits << " switch steps, " << s.countedErrors << " errors, " << s.seriesEnds
              << " series ended; FlowState seen" << flows << "\n";
}

INSTANTIATE_TEST_SUITE_P(game, Monkey, testing::ValuesIn(allSeries()),
                         [](const testing::TestParamInfo<Series>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
