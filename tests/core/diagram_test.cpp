#include "diagram.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using kw::DiagramElement;

struct HitRow {
    int x;
    int y;
    DiagramElement element;
    int station;
};

class HitTest : public ::testing::TestWithParam<HitRow> {};

TEST_P(HitTest, PointHitsItsElement)
{
    const HitRow row = GetParam();
    const kw::DiagramHit hit = kw::HitTestDiagram(row.x, row.y);
    EXPECT_EQ(hit.element, row.element) << row.x << "," << row.y;
    EXPECT_EQ(hit.station, row.station) << row.x << "," << row.y;
}

INSTANTIATE_TEST_SUITE_P(
    EdgePoints, HitTest,
    ::testing::Values(
        HitRow{100, 145, DiagramElement::HubRow, 0}, HitRow{250, 145, DiagramElement::HubRow, 0},
        HitRow{0, 139, DiagramElement::HubRow, 0}, HitRow{484, 152, DiagramElement::HubRow, 0},
        HitRow{30, 138, DiagramElement::Nothing, 0}, HitRow{30, 200, DiagramElement::Station, 1},
        HitRow{50, 200, DiagramElement::Nothing, 0}, HitRow{30, 194, DiagramElement::Nothing, 0},
        HitRow{30, 221, DiagramElement::Nothing, 0}, HitRow{18, 195, DiagramElement::Station, 1},
        HitRow{41, 220, DiagramElement::Station, 1}, HitRow{79, 210, DiagramElement::Station, 2},
        HitRow{160, 210, DiagramElement::Station, 3}, HitRow{329, 210, DiagramElement::Station, 4},
        HitRow{413, 210, DiagramElement::Station, 5}, HitRow{471, 210, DiagramElement::Station, 6},
        HitRow{472, 210, DiagramElement::Nothing, 0}, HitRow{220, 30, DiagramElement::Station, 7},
        HitRow{250, 30, DiagramElement::Nothing, 0}, HitRow{273, 11, DiagramElement::Station, 8},
        HitRow{307, 47, DiagramElement::Station, 8}, HitRow{220, 48, DiagramElement::Nothing, 0},
        HitRow{181, 89, DiagramElement::Switch, 0}, HitRow{317, 106, DiagramElement::Switch, 0},
        HitRow{180, 100, DiagramElement::Nothing, 0}, HitRow{318, 100, DiagramElement::Nothing, 0},
        HitRow{250, 88, DiagramElement::Nothing, 0}, HitRow{250, 107, DiagramElement::Nothing, 0}));

TEST(CableLines, CableOneRunsFromItsStartUpToItsEndPoint)
{
    // A line-to leaves its end point out: the last pixel is the end point's neighbour.
    const auto first = kw::CableLinePixels(1, kw::CableLine::First);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first.front(), (kw::Pixel{28, 192}));
    EXPECT_EQ(first.back(), (kw::Pixel{54, 148}));
    const auto second = kw::CableLinePixels(1, kw::CableLine::Second);
    EXPECT_EQ(second.front(), (kw::Pixel{35, 192}));
    EXPECT_EQ(second.back(), (kw::Pixel{61, 148}));
    EXPECT_EQ(std::count(first.begin(), first.end(), kw::Pixel{55, 147}), 0);
    EXPECT_TRUE(kw::LinePixels(3, 4, 3, 4).empty());
}

TEST(CableLines, LineIsConnectedWhateverItsDirection)
{
    for (int cable = 1; cable <= 10; ++cable) {
        const auto pixels = kw::CableLinePixels(cable, kw::CableLine::First);
        for (std::size_t i = 1; i < pixels.size(); ++i) {
            EXPECT_LE(std::abs(pixels[i].x - pixels[i - 1].x), 1) << "cable " << cable;
            EXPECT_LE(std::abs(pixels[i].y - pixels[i - 1].y), 1) << "cable " << cable;
        }
    }
    EXPECT_TRUE(kw::CableLinePixels(0, kw::CableLine::First).empty());
    EXPECT_TRUE(kw::CableLinePixels(11, kw::CableLine::Second).empty());
}

} // namespace
