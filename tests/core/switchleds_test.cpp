#include "random.h"
#include "switchleds.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace {

using kw::ForwardingChoice;
using kw::LedRow;

LedRow Lit(std::initializer_list<int> leds)
{
    LedRow row{};
    for (int k : leds)
        row[static_cast<std::size_t>(k)] = true;
    return row;
}

const std::string RxWrong = "Au moins une Led réception mal positionnée";
const std::string TxWrong = "Au moins une Led émission mal positionnée";

// ---- Picture geometry ----

struct HitCase {
    int x;
    int y;
    int led;
};

class SwitchLedHit : public ::testing::TestWithParam<HitCase> {};

TEST_P(SwitchLedHit, RegionEdgesAreInclusive)
{
    EXPECT_EQ(kw::SwitchLedAt(GetParam().x, GetParam().y), GetParam().led);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, SwitchLedHit,
    ::testing::Values(
        // Each region's left and right edge, and the pixel just outside.
        HitCase{38, 30, 0}, HitCase{39, 30, 1}, HitCase{57, 30, 1}, HitCase{58, 30, 0},
        HitCase{71, 30, 0}, HitCase{72, 30, 2}, HitCase{90, 30, 2}, HitCase{91, 30, 0},
        HitCase{133, 30, 0}, HitCase{134, 30, 3}, HitCase{152, 30, 3}, HitCase{153, 30, 0},
        HitCase{166, 30, 0}, HitCase{167, 30, 4}, HitCase{185, 30, 4}, HitCase{186, 30, 0},
        HitCase{230, 30, 0}, HitCase{231, 30, 5}, HitCase{249, 30, 5}, HitCase{250, 30, 0},
        HitCase{262, 30, 0}, HitCase{263, 30, 6}, HitCase{281, 30, 6}, HitCase{282, 30, 0},
        HitCase{324, 30, 0}, HitCase{325, 30, 7}, HitCase{343, 30, 7}, HitCase{344, 30, 0},
        HitCase{357, 30, 0}, HitCase{358, 30, 8}, HitCase{376, 30, 8}, HitCase{377, 30, 0},
        // The band y 21..39.
        HitCase{48, 20, 0}, HitCase{48, 21, 1}, HitCase{48, 39, 1}, HitCase{48, 40, 0},
        HitCase{367, 21, 8}, HitCase{367, 39, 8}, HitCase{367, 40, 0},
        // Between sockets, off the picture.
        HitCase{110, 30, 0}, HitCase{-1, 30, 0}, HitCase{48, -5, 0}, HitCase{500, 30, 0}));

struct SquareCase {
    int led;
    int left;
};

class SwitchLedPaint : public ::testing::TestWithParam<SquareCase> {};

// The painted square is 12 x 12, y 24..35, and lies inside its LED's hit region.
TEST_P(SwitchLedPaint, SquareSitsInItsHitRegion)
{
    const auto [led, left] = GetParam();
    const kw::SwitchLedRect square = kw::SwitchLedSquare(led);
    EXPECT_EQ(square, (kw::SwitchLedRect{left, 24, 12, 12}));
    EXPECT_EQ(kw::SwitchLedAt(square.left, square.top), led);
    EXPECT_EQ(kw::SwitchLedAt(square.left + square.width - 1, square.top + square.height - 1), led);
}

INSTANTIATE_TEST_SUITE_P(Leds, SwitchLedPaint,
                         ::testing::Values(SquareCase{1, 42}, SquareCase{2, 75}, SquareCase{3, 137},
                                           SquareCase{4, 170}, SquareCase{5, 232},
                                           SquareCase{6, 265}, SquareCase{7, 327},
                                           SquareCase{8, 360}));

TEST(SwitchLedPaint, NoSquareOutsideOneToEight)
{
    for (int led : {0, 9, -1})
        EXPECT_EQ(kw::SwitchLedSquare(led), kw::SwitchLedRect{});
}

// ---- Toggling ----

TEST(SwitchLedToggle, TxRedThenSilverThenRed)
{
    LedRow leds{};
    const kw::SwitchLedToggle first = kw::ToggleSwitchLed(leds, 48, 30);
    EXPECT_EQ(first.led, 1);
    EXPECT_EQ(first.colour, (kw::Rgb{255, 0, 0}));
    EXPECT_EQ(first.square, kw::SwitchLedSquare(1));
    EXPECT_EQ(leds, Lit({1}));

    const kw::SwitchLedToggle second = kw::ToggleSwitchLed(leds, 48, 30);
    EXPECT_EQ(second.colour, (kw::Rgb{192, 192, 192}));
    EXPECT_EQ(leds, LedRow{});

    EXPECT_EQ(kw::ToggleSwitchLed(leds, 48, 30).colour, (kw::Rgb{255, 0, 0}));
    EXPECT_EQ(leds, Lit({1}));
}

TEST(SwitchLedToggle, RxGreenOnlyItsOwnFlag)
{
    LedRow leds = Lit({1, 7});
    const kw::SwitchLedToggle toggle = kw::ToggleSwitchLed(leds, 365, 25);
    EXPECT_EQ(toggle.led, 8);
    EXPECT_EQ(toggle.colour, (kw::Rgb{0, 128, 0}));
    EXPECT_EQ(leds, Lit({1, 7, 8}));
}

TEST(SwitchLedToggle, MissChangesNothing)
{
    LedRow leds = Lit({2, 3});
    for (auto [x, y] : {std::pair{110, 30}, std::pair{48, 20}, std::pair{48, 40}}) {
        const kw::SwitchLedToggle toggle = kw::ToggleSwitchLed(leds, x, y);
        EXPECT_EQ(toggle.led, 0);
        EXPECT_EQ(leds, Lit({2, 3}));
    }
}

// ---- The check of "Terminé" ----

struct CheckCase {
    const char* name;
    int source;
    int destination;
    ForwardingChoice choice;
    LedRow leds;
    std::vector<std::string> messages;
    int inPort;
    bool filtered;
};

class SwitchLedsCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(SwitchLedsCheck, ReceptionThenEmission)
{
    const CheckCase& c = GetParam();
    const kw::SwitchLedCheck check = kw::CheckSwitchLeds(c.source, c.destination, c.choice, c.leds);
    EXPECT_EQ(check.messages, c.messages);
    EXPECT_EQ(check.success, c.messages.empty());
    EXPECT_EQ(check.switchInPort, c.inPort);
    EXPECT_EQ(check.frameFiltered, c.filtered);
}

// LEDs: 2p-1 TX of port p, 2p RX of port p.
INSTANTIATE_TEST_SUITE_P(
    Cases, SwitchLedsCheck,
    ::testing::Values(
        CheckCase{"Machine1ToUnknownMachine5",
                  1,
                  5,
                  ForwardingChoice::Unknown,
                  Lit({2, 3, 5, 7}),
                  {},
                  1,
                  false},
        CheckCase{"BroadcastFromServeurA",
                  7,
                  9,
                  ForwardingChoice::Unknown,
                  Lit({4, 1, 5, 7}),
                  {},
                  2,
                  false},
        CheckCase{"Machine4ToKnownMachine6Filtered",
                  4,
                  6,
                  ForwardingChoice::Port4,
                  Lit({8}),
                  {},
                  4,
                  true},
        CheckCase{
            "ServeurBToKnownMachine2", 8, 2, ForwardingChoice::Port1, Lit({6, 1}), {}, 3, false},
        CheckCase{
            "Machine1ToKnownServeurB", 1, 8, ForwardingChoice::Port3, Lit({2, 5}), {}, 1, false},
        // Reception.
        CheckCase{
            "TwoRxLit", 1, 5, ForwardingChoice::Unknown, Lit({2, 4, 3, 5, 7}), {RxWrong}, 1, false},
        CheckCase{"NoRxLit", 1, 5, ForwardingChoice::Unknown, Lit({3, 5, 7}), {RxWrong}, 0, false},
        CheckCase{"NoRxLitFloodFromArrivalPort",
                  1,
                  5,
                  ForwardingChoice::Unknown,
                  Lit({1, 3, 5}),
                  {RxWrong, TxWrong},
                  0,
                  false},
        // A wrong RX port with a flood consistent with it costs one message.
        CheckCase{"WrongRxConsistentFlood",
                  1,
                  5,
                  ForwardingChoice::Unknown,
                  Lit({4, 1, 5, 7}),
                  {RxWrong},
                  2,
                  false},
        // Emission.
        CheckCase{
            "RightRxWrongTx", 1, 5, ForwardingChoice::Unknown, Lit({2, 3, 5}), {TxWrong}, 1, false},
        CheckCase{"FloodIncludesArrivalPort",
                  1,
                  5,
                  ForwardingChoice::Unknown,
                  Lit({2, 1, 3, 5}),
                  {TxWrong},
                  1,
                  false},
        CheckCase{"FloodOnAllFour",
                  1,
                  5,
                  ForwardingChoice::Unknown,
                  Lit({2, 1, 3, 5, 7}),
                  {TxWrong},
                  1,
                  false},
        CheckCase{"BothMessagesOnePress",
                  1,
                  5,
                  ForwardingChoice::Unknown,
                  Lit({4, 1, 3, 5, 7}),
                  {RxWrong, TxWrong},
                  2,
                  false},
        CheckCase{
            "FilteredButEmitting", 4, 6, ForwardingChoice::Port4, Lit({8, 7}), {TxWrong}, 4, true},
        CheckCase{"ForwardedOnOtherPort",
                  1,
                  4,
                  ForwardingChoice::Port4,
                  Lit({2, 5}),
                  {TxWrong},
                  1,
                  false},
        CheckCase{"ForwardedOnTwoPorts",
                  1,
                  4,
                  ForwardingChoice::Port4,
                  Lit({2, 5, 7}),
                  {TxWrong},
                  1,
                  false},
        CheckCase{"ForwardedNowhere", 1, 4, ForwardingChoice::Port4, Lit({2}), {TxWrong}, 1, false},
        // Filtering is decided from the port the student lit, not from the table.
        CheckCase{"WrongRxHidesFiltering",
                  1,
                  2,
                  ForwardingChoice::Port1,
                  Lit({8}),
                  {RxWrong, TxWrong},
                  4,
                  false},
        CheckCase{"NoPortChosen", 1, 4, ForwardingChoice::None, Lit({2, 7}), {TxWrong}, 1, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SwitchLedsCheck, SharedStateGetsInPortAndFiltering)
{
    kw::SharedState state;
    state.CurrentExercise = {4, 6};
    state.LedState[3] = Lit({8});
    state.LedState[1] = Lit({2, 4, 6}); // a hub's LEDs play no part
    EXPECT_TRUE(kw::CheckSwitchLeds(state, ForwardingChoice::Port4).success);
    EXPECT_EQ(state.SwitchInPort, 4);
    EXPECT_TRUE(state.FrameFiltered);

    // A later check on other LEDs clears both again.
    state.LedState[3] = Lit({7});
    const kw::SwitchLedCheck check = kw::CheckSwitchLeds(state, ForwardingChoice::Port4);
    EXPECT_FALSE(check.success);
    EXPECT_EQ(state.SwitchInPort, 0);
    EXPECT_FALSE(state.FrameFiltered);
}

// ---- Red cables ----

struct CableCase {
    LedRow leds;
    std::vector<int> cables;
};

class SwitchEmission : public ::testing::TestWithParam<CableCase> {};

TEST_P(SwitchEmission, CablesOfTheEmittingPorts)
{
    EXPECT_EQ(kw::SwitchEmittingCables(GetParam().leds), GetParam().cables);
}

INSTANTIATE_TEST_SUITE_P(Leds, SwitchEmission,
                         ::testing::Values(CableCase{LedRow{}, {}},
                                           CableCase{Lit({2, 4, 6, 8}), {}},
                                           CableCase{Lit({1}), {7}}, CableCase{Lit({3}), {9}},
                                           CableCase{Lit({5}), {10}}, CableCase{Lit({7}), {8}},
                                           CableCase{Lit({2, 3, 5, 7}), {9, 10, 8}},
                                           CableCase{Lit({1, 3, 5, 7}), {7, 9, 10, 8}}));

// ---- A whole switch step: table, LEDs, commit ----

std::string Mac(int station)
{
    if (station == kw::BroadcastIndex)
        return kw::BroadcastMac;
    return "00-A0-24-00-00-0" + std::to_string(station);
}

struct StepCase {
    const char* name;
    std::string initial;
    int source;
    int destination;
    ForwardingChoice choice;
    LedRow leds;
    std::uint8_t flowState;
    std::vector<int> redCables;
};

class SwitchStepThrough : public ::testing::TestWithParam<StepCase> {};

TEST_P(SwitchStepThrough, FlowAfterTheSwitch)
{
    const StepCase& c = GetParam();
    kw::SwitchTable table =
        kw::InitSwitchTable(c.initial, "99", [](int station) { return Mac(station); });
    const kw::FrameRow frame = kw::MakeFrameRow(Mac(c.destination), Mac(c.source));
    kw::CopyToEntryRow(table, frame, 1, kw::SwitchPortOf(c.source), "99");

    const kw::EmitDecision decision = kw::DecideEmit(table, frame, c.source, c.choice, false);
    ASSERT_EQ(decision.action, kw::EmitAction::OpenLeds) << decision.message;
    const kw::SwitchLedCheck check = kw::CheckSwitchLeds(c.source, c.destination, c.choice, c.leds);
    ASSERT_TRUE(check.success);

    EXPECT_EQ(kw::CommitSwitchStep(table, decision.lookup, check.frameFiltered, c.source),
              c.flowState);
    EXPECT_EQ(kw::SwitchEmittingCables(c.leds), c.redCables);
    EXPECT_EQ(kw::LookUpDestination(table, kw::MakeFrameRow(Mac(c.source), "")),
              std::to_string(kw::SwitchPortOf(c.source)));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, SwitchStepThrough,
    ::testing::Values(
        StepCase{"FloodTowardsHub2",
                 "",
                 1,
                 5,
                 ForwardingChoice::Unknown,
                 Lit({2, 3, 5, 7}),
                 40,
                 {9, 10, 8}},
        StepCase{"FilteredOnArrivalPort", "2", 1, 2, ForwardingChoice::Port1, Lit({2}), 50, {}},
        StepCase{"FloodFromServeurA",
                 "",
                 7,
                 5,
                 ForwardingChoice::Unknown,
                 Lit({4, 1, 5, 7}),
                 41,
                 {7, 10, 8}},
        StepCase{"BroadcastFromServeurA",
                 "12345678",
                 7,
                 9,
                 ForwardingChoice::Unknown,
                 Lit({4, 1, 5, 7}),
                 41,
                 {7, 10, 8}},
        StepCase{"ToKnownServeurB", "8", 1, 8, ForwardingChoice::Port3, Lit({2, 5}), 50, {10}},
        StepCase{
            "ServeurAToKnownServeurB", "8", 7, 8, ForwardingChoice::Port3, Lit({4, 5}), 50, {10}},
        StepCase{"ToKnownMachineOnHub2", "5", 1, 5, ForwardingChoice::Port4, Lit({2, 7}), 40, {8}},
        StepCase{
            "ServeurBToKnownMachine2", "2", 8, 2, ForwardingChoice::Port1, Lit({6, 1}), 40, {7}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
