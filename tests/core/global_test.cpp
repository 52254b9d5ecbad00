#include "global.h"

#include <gtest/gtest.h>

namespace {

TEST(Global, ErrorTotalStopsAtItsLimit)
{
    kw::SharedState state;
    state.ErrorTotal = 65534;
    kw::countError(state);
    EXPECT_EQ(state.ErrorTotal, 65535);
    kw::countError(state);
    EXPECT_EQ(state.ErrorTotal, 65535);
}

struct TopologyRow {
    int station;
    int switchPort;
    int cable;
};

class Topology : public ::testing::TestWithParam<TopologyRow> {};

TEST_P(Topology, StationLiesBehindItsPortAndOwnCable)
{
    const TopologyRow row = GetParam();
    EXPECT_EQ(kw::SwitchPortOf(row.station), row.switchPort);
    EXPECT_EQ(kw::CableOf(row.station), row.cable);
}

INSTANTIATE_TEST_SUITE_P(Stations, Topology,
                         ::testing::Values(TopologyRow{1, 1, 1}, TopologyRow{3, 1, 3},
                                           TopologyRow{4, 4, 4}, TopologyRow{6, 4, 6},
                                           TopologyRow{7, 2, 9}, TopologyRow{8, 3, 10},
                                           TopologyRow{9, 0, 0}, TopologyRow{0, 0, 0}));

TEST(Topology, HubUplinksAreMirrored)
{
    EXPECT_EQ(kw::HubPortCable(1, 4), 7);
    EXPECT_EQ(kw::HubPortCable(2, 1), 8);
    EXPECT_EQ(kw::SwitchPortCables[1], 7);
    EXPECT_EQ(kw::SwitchPortCables[4], 8);
}

} // namespace
