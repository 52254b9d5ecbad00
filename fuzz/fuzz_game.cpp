// Fuzz target of the game: the monkey of tests/monkey plays one of its series with the input
// as its dice (the first byte picks the series) and checks after every act what must always
// hold. A broken check prints what broke with the last acts and aborts, so that libFuzzer
// keeps the input; hangs and memory errors are libFuzzer's and the sanitizers' to catch.

#include "game_monkey.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// Each series written once into its own folder, removed when the fuzzer exits.
const std::vector<std::unique_ptr<kw::monkey::SeriesFolder>>& folders()
{
    static const auto made = [] {
        std::vector<std::unique_ptr<kw::monkey::SeriesFolder>> out;
        for (const kw::monkey::Series& series : kw::monkey::allSeries())
            out.push_back(std::make_unique<kw::monkey::SeriesFolder>(series));
        return out;
    }();
    return made;
}

long g_acts = 0;

// The acts played over the whole run, in the log at the end.
void tellActs()
{
    std::fprintf(stderr, "fuzz_game: %ld acts played\n", g_acts);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool told = std::atexit(tellActs) == 0;
    (void)told;
    if (size < 2)
        return 0;
    const auto& series = kw::monkey::allSeries();
    const std::size_t which = data[0] % series.size();
    kw::monkey::ByteDice dice(data + 1, size - 1);
    kw::monkey::GameMonkey monkey(series[which], folders()[which]->path(), data[1], dice);
    const bool passed = monkey.run(LONG_MAX);
    g_acts += monkey.stats().acts;
    if (!passed) {
        std::fprintf(stderr, "check failed: %s\n", monkey.failure().c_str());
        std::abort();
    }
    return 0;
}
