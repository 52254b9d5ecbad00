#pragma once

#include <cstdint>

namespace kw {

// The program's one pseudo-random generator, shared by the exercise draw and the
// switch's ageing, so that a fixed seed gives a fixed sequence for both.
void SeedRandom(std::uint32_t seed);
std::uint32_t RandomSeed();

// 0..n-1 for n >= 1; 0 for n = 0.
std::uint32_t RandomBelow(std::uint32_t n);

// Seed from the UTC time of day in milliseconds.
void SeedRandomFromClock();

} // namespace kw
