#include "random.h"

#include <chrono>

namespace kw {

namespace {
std::uint32_t seed = 0;
}

void SeedRandom(std::uint32_t value)
{
    seed = value;
}

std::uint32_t RandomSeed()
{
    return seed;
}

std::uint32_t RandomBelow(std::uint32_t n)
{
    seed = seed * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(seed) * n) >> 32);
}

void SeedRandomFromClock()
{
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    const auto msOfDay = duration_cast<milliseconds>(now).count() % (24LL * 60 * 60 * 1000);
    SeedRandom(static_cast<std::uint32_t>(msOfDay));
}

} // namespace kw
