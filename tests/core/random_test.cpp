#include "random.h"

#include <gtest/gtest.h>

namespace {

// The switch's initial table draws four times below 24 from its fixed seed and
// subtracts each draw from 99, row 4 first: 86, 77, 68, 68.
TEST(RandomBelow, FixedSeedGivesTheKnownSequence)
{
    kw::SeedRandom(123456789);
    int ttl = 99;
    std::vector<int> ttls;
    for (int i = 0; i < 4; ++i) {
        ttl -= static_cast<int>(kw::RandomBelow(24));
        ttls.push_back(ttl);
    }
    EXPECT_EQ(ttls, (std::vector<int>{86, 77, 68, 68}));
}

TEST(RandomBelow, StaysBelowItsBound)
{
    kw::SeedRandom(42);
    for (std::uint32_t n : {1u, 2u, 8u, 9u, 263u, 4294967295u})
        for (int i = 0; i < 1000; ++i)
            EXPECT_LT(kw::RandomBelow(n), n);
}

TEST(RandomBelow, ZeroBoundGivesZeroAndStillAdvances)
{
    kw::SeedRandom(7);
    EXPECT_EQ(kw::RandomBelow(0), 0u);
    EXPECT_EQ(kw::RandomSeed(), 7u * 134775813u + 1u);
}

} // namespace
