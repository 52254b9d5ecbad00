#include "hubs.h"

#include "flow.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

namespace {

using kw::HubCheckOutcome;

kw::LedRow ledsOn(const std::vector<int>& leds)
{
    kw::LedRow row{};
    for (int k : leds)
        row[k] = true;
    return row;
}

std::vector<int> litLeds(const kw::LedRow& row)
{
    std::vector<int> lit;
    for (int k = 1; k <= kw::LedCount; ++k)
        if (row[k])
            lit.push_back(k);
    return lit;
}

// ---- Expected pattern and repeated cables ----

struct PatternRow {
    const char* name;
    int hub;
    int flow;
    int source;
    std::vector<int> lit;
    std::vector<int> cables;
};

class ExpectedHubLedsTest : public ::testing::TestWithParam<PatternRow> {};

TEST_P(ExpectedHubLedsTest, ReceivesOnOnePortEmitsOnTheOthers)
{
    const PatternRow& row = GetParam();
    const kw::LedRow expected =
        kw::ComputeExpectedHubLeds(row.hub, static_cast<std::uint8_t>(row.flow), row.source);
    EXPECT_EQ(litLeds(expected), row.lit);
    EXPECT_EQ(kw::RepeatedCables(row.hub, expected), row.cables);
}

INSTANTIATE_TEST_SUITE_P(
    Hubs, ExpectedHubLedsTest,
    ::testing::Values(PatternRow{"Machine1OnHub1", 1, 20, 1, {1, 4, 6, 8}, {2, 3, 7}},
                      PatternRow{"Machine2OnHub1", 1, 20, 2, {2, 3, 6, 8}, {1, 3, 7}},
                      PatternRow{"Machine3OnHub1", 1, 20, 3, {2, 4, 5, 8}, {1, 2, 7}},
                      PatternRow{"Machine4OnHub2", 2, 20, 4, {2, 3, 6, 8}, {8, 5, 6}},
                      PatternRow{"Machine5OnHub2", 2, 20, 5, {2, 4, 5, 8}, {8, 4, 6}},
                      PatternRow{"Machine6OnHub2", 2, 20, 6, {2, 4, 6, 7}, {8, 4, 5}},
                      PatternRow{"Hub1FromSwitchAt40", 1, 40, 5, {2, 4, 6, 7}, {1, 2, 3}},
                      PatternRow{"Hub2FromSwitchAt40", 2, 40, 1, {1, 4, 6, 8}, {4, 5, 6}},
                      PatternRow{"Hub1FromSwitchAt41", 1, 41, 7, {2, 4, 6, 7}, {1, 2, 3}},
                      PatternRow{"Hub2FromSwitchAt45", 2, 45, 8, {1, 4, 6, 8}, {4, 5, 6}},
                      PatternRow{"NoHub", 0, 20, 1, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PrepareHubStep, StoresThePatternOfTheAcceptedHub)
{
    kw::SharedState state;
    state.FlowState = 20;
    state.CurrentExercise.source = 5;
    kw::PrepareHubStep(state, 2);
    EXPECT_EQ(state.CurrentHub, 2);
    EXPECT_EQ(litLeds(state.ExpectedHubLeds[2]), (std::vector<int>{2, 4, 5, 8}));
    EXPECT_EQ(litLeds(state.ExpectedHubLeds[1]), std::vector<int>{});
}

TEST(HubLedsToPaint, GreenReceiveLedsThenRedTransmitLeds)
{
    const std::vector<kw::LedPaint> paints = kw::HubLedsToPaint(ledsOn({2, 3, 6, 8}));
    ASSERT_EQ(paints.size(), 4u);
    EXPECT_EQ(paints[0].led, 3);
    EXPECT_EQ(paints[0].colour, (kw::Rgb{0, 128, 0}));
    for (std::size_t i = 1; i < paints.size(); ++i)
        EXPECT_EQ(paints[i].colour, (kw::Rgb{255, 0, 0}));
    EXPECT_EQ(paints[1].led, 2);
    EXPECT_EQ(paints[2].led, 6);
    EXPECT_EQ(paints[3].led, 8);
}

// ---- LED picture geometry ----

struct RectRow {
    int k;
    int left;
    int right;
};

class LedRectTest : public ::testing::TestWithParam<RectRow> {};

TEST_P(LedRectTest, TwelvePixelWindows)
{
    const RectRow& row = GetParam();
    const kw::LedBox box = kw::LedRect(row.k);
    EXPECT_EQ(box.left, row.left);
    EXPECT_EQ(box.right, row.right);
    EXPECT_EQ(box.top, 24);
    EXPECT_EQ(box.bottom, 35);
}

INSTANTIATE_TEST_SUITE_P(Hubs, LedRectTest,
                         ::testing::Values(RectRow{1, 42, 53}, RectRow{2, 75, 86},
                                           RectRow{3, 137, 148}, RectRow{4, 170, 181},
                                           RectRow{5, 232, 243}, RectRow{6, 265, 276},
                                           RectRow{7, 327, 338}, RectRow{8, 360, 371}));

TEST(LedRect, NoWindowOutsideOneToEight)
{
    for (int k : {0, 9, -1}) {
        const kw::LedBox box = kw::LedRect(k);
        EXPECT_LT(box.right, box.left) << "k " << k;
        EXPECT_LT(box.bottom, box.top) << "k " << k;
    }
}

struct HitRow {
    int x;
    int y;
    int led;
};

class HubLedAtTest : public ::testing::TestWithParam<HitRow> {};

TEST_P(HubLedAtTest, HitRectanglesIncludeTheirEdges)
{
    const HitRow& row = GetParam();
    EXPECT_EQ(kw::HubLedAt(row.x, row.y), row.led);
}

INSTANTIATE_TEST_SUITE_P(
    Hubs, HubLedAtTest,
    ::testing::Values(HitRow{45, 20, 0}, HitRow{45, 21, 1}, HitRow{45, 39, 1}, HitRow{45, 40, 0},
                      HitRow{38, 30, 0}, HitRow{39, 30, 1}, HitRow{57, 30, 1}, HitRow{58, 30, 0},
                      HitRow{71, 30, 0}, HitRow{72, 21, 2}, HitRow{90, 39, 2}, HitRow{91, 30, 0},
                      HitRow{134, 30, 3}, HitRow{152, 30, 3}, HitRow{160, 30, 0},
                      HitRow{167, 30, 4}, HitRow{185, 30, 4}, HitRow{230, 30, 0},
                      HitRow{231, 30, 5}, HitRow{249, 30, 5}, HitRow{250, 30, 0},
                      HitRow{263, 30, 6}, HitRow{281, 30, 6}, HitRow{325, 30, 7},
                      HitRow{343, 30, 7}, HitRow{358, 30, 8}, HitRow{376, 30, 8},
                      HitRow{377, 30, 0}, HitRow{360, 40, 0}));

// ---- Clicking LEDs ----

TEST(ToggleHubLed, LitThenSilverAndBackToOff)
{
    kw::SharedState state;
    const kw::LedToggle first = kw::ToggleHubLed(state, 1, 45, 30);
    EXPECT_EQ(first.led, 1);
    EXPECT_EQ(first.colour, (kw::Rgb{0, 128, 0}));
    EXPECT_TRUE(state.LedState[1][1]);
    const kw::LedToggle second = kw::ToggleHubLed(state, 1, 45, 30);
    EXPECT_EQ(second.led, 1);
    EXPECT_EQ(second.colour, (kw::Rgb{192, 192, 192}));
    EXPECT_FALSE(state.LedState[1][1]);
}

TEST(ToggleHubLed, TransmitLedIsRedAndEachDialogHasItsRow)
{
    kw::SharedState state;
    const kw::LedToggle toggle = kw::ToggleHubLed(state, 2, 370, 25);
    EXPECT_EQ(toggle.led, 8);
    EXPECT_EQ(toggle.colour, (kw::Rgb{255, 0, 0}));
    EXPECT_TRUE(state.LedState[2][8]);
    EXPECT_FALSE(state.LedState[1][8]);
    EXPECT_FALSE(state.LedState[3][8]);
}

TEST(ToggleHubLed, MissesChangeNothing)
{
    kw::SharedState state;
    for (const auto& [row, x, y] :
         {std::tuple{1, 45, 20}, std::tuple{1, 45, 40}, std::tuple{2, 160, 30},
          std::tuple{3, 45, 30}, std::tuple{0, 45, 30}}) {
        EXPECT_EQ(kw::ToggleHubLed(state, row, x, y).led, 0);
    }
    EXPECT_EQ(state.LedState, (std::array<kw::LedRow, 4>{}));
}

// ---- "Terminé" ----

struct CheckRow {
    const char* name;
    int flow;
    std::vector<int> expected;
    std::vector<int> lit;
    HubCheckOutcome outcome;
    int flowAfter;
};

class CheckHubLedsTest : public ::testing::TestWithParam<CheckRow> {};

TEST_P(CheckHubLedsTest, ReceiveLedsFirstThenTransmitLeds)
{
    const CheckRow& row = GetParam();
    kw::SharedState state;
    state.FlowState = static_cast<std::uint8_t>(row.flow);
    state.CurrentHub = 2;
    state.ExpectedHubLeds[2] = ledsOn(row.expected);
    state.LedState[2] = ledsOn(row.lit);
    state.LedState[1] = ledsOn(row.expected); // the other hub's LEDs are not looked at
    const kw::HubCheckResult result = kw::CheckHubLeds(state);
    EXPECT_EQ(result.outcome, row.outcome);
    const char* message =
        row.outcome == HubCheckOutcome::WrongRx   ? "Au moins une led RX est mal positionnée"
        : row.outcome == HubCheckOutcome::WrongTx ? "Au moins une led TX est mal positionnée"
                                                  : "";
    EXPECT_EQ(result.message, message);
    EXPECT_EQ(state.FlowState, row.flowAfter);
    EXPECT_EQ(state.HubStepCount, 1);
    EXPECT_EQ(litLeds(state.LedState[2]), row.lit);
}

INSTANTIATE_TEST_SUITE_P(
    Hubs, CheckHubLedsTest,
    ::testing::Values(
        CheckRow{"RightFrom20", 20, {2, 4, 5, 8}, {2, 4, 5, 8}, HubCheckOutcome::Passed, 30},
        CheckRow{"RightFrom40", 40, {1, 4, 6, 8}, {1, 4, 6, 8}, HubCheckOutcome::Passed, 50},
        CheckRow{"RightFrom41", 41, {1, 4, 6, 8}, {1, 4, 6, 8}, HubCheckOutcome::Passed, 45},
        CheckRow{"RightFrom45", 45, {1, 4, 6, 8}, {1, 4, 6, 8}, HubCheckOutcome::Passed, 50},
        CheckRow{"MissingRx", 20, {2, 4, 5, 8}, {2, 4, 8}, HubCheckOutcome::WrongRx, 20},
        CheckRow{"ExtraRx", 40, {1, 4, 6, 8}, {1, 3, 4, 6, 8}, HubCheckOutcome::WrongRx, 40},
        CheckRow{"RxWrongHidesTxWrong", 40, {1, 4, 6, 8}, {2}, HubCheckOutcome::WrongRx, 40},
        CheckRow{"MissingTx", 20, {2, 4, 5, 8}, {2, 5, 8}, HubCheckOutcome::WrongTx, 20},
        CheckRow{
            "TxOnReceivingPort", 40, {1, 4, 6, 8}, {1, 2, 4, 6, 8}, HubCheckOutcome::WrongTx, 40},
        CheckRow{"NothingLit", 20, {2, 4, 5, 8}, {}, HubCheckOutcome::WrongRx, 20}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CheckHubLeds, WithoutCurrentHubNothingIsCounted)
{
    kw::SharedState state;
    state.FlowState = 20;
    state.HubAuto = 2;
    EXPECT_EQ(kw::CheckHubLeds(state).outcome, HubCheckOutcome::NoHub);
    EXPECT_EQ(state.HubStepCount, 0);
    EXPECT_EQ(state.FlowState, 20);
}

TEST(CheckHubLeds, FortyOneNeedsBothHubs)
{
    kw::SharedState state;
    state.FlowState = 41;
    for (int hub : {1, 2}) {
        kw::PrepareHubStep(state, hub);
        state.LedState[hub] = state.ExpectedHubLeds[hub];
        EXPECT_EQ(kw::CheckHubLeds(state).outcome, HubCheckOutcome::Passed);
    }
    EXPECT_EQ(state.FlowState, 50);
}

// ---- Hubs mastered: the HubAutoSlots ring ----

// One hub step at 20 from Machine 2, answered right or wrong in the dialog when it opens.
// Returns whether the dialog opened.
bool playHub1(kw::SharedState& state, bool rightAnswer)
{
    state.FlowState = 20;
    state.CurrentExercise.source = 2;
    state.LedState[1] = {};
    kw::PrepareHubStep(state, 1);
    if (!kw::HubAutoRule(state))
        return false;
    kw::SaveFlowStateOnHubActivation(state);
    state.LedState[1] = rightAnswer ? state.ExpectedHubLeds[1] : ledsOn({1});
    kw::CheckHubLeds(state);
    return true;
}

// Start-up marks the slots of the window as not yet passed.
kw::SharedState withHubAuto(int n)
{
    kw::SharedState state;
    state.HubAuto = n;
    for (int slot = 1; slot <= n; ++slot)
        state.HubAutoSlots[slot] = true;
    return state;
}

TEST(HubAuto, TwoSuccessesInARowAreNeeded)
{
    kw::SharedState state = withHubAuto(2);
    EXPECT_TRUE(playHub1(state, true));
    EXPECT_TRUE(playHub1(state, false));
    EXPECT_TRUE(playHub1(state, true));
    EXPECT_TRUE(playHub1(state, true)); // still manual: the failure was in the window
    EXPECT_EQ(state.HubStepCount, 4);

    state.FlowState = 20;
    state.SavedFlowState = 0;
    kw::PrepareHubStep(state, 1);
    EXPECT_FALSE(kw::HubAutoRule(state));
    EXPECT_EQ(state.FlowState, 30);
    EXPECT_EQ(state.SavedFlowState, 20);
    EXPECT_TRUE(kw::HubWasPassed(state));
    EXPECT_EQ(state.HubStepCount, 4); // automatic passes press nothing
}

TEST(HubAuto, ThreeSuccessesClearTheWholeRing)
{
    kw::SharedState state = withHubAuto(3);
    for (int press = 1; press <= 3; ++press) {
        EXPECT_TRUE(playHub1(state, true)) << "press " << press;
        EXPECT_EQ(state.FlowState, 30);
    }
    EXPECT_FALSE(playHub1(state, true));
    EXPECT_EQ(state.FlowState, 30);
}

TEST(HubAuto, FailureMarksTheSlotOfItsPress)
{
    kw::SharedState state = withHubAuto(3);
    for (int slot = 1; slot <= 3; ++slot)
        state.HubAutoSlots[slot] = false;
    EXPECT_FALSE(playHub1(state, true)); // already mastered
    state.HubAutoSlots[2] = false;
    state.HubStepCount = 4; // the next press uses slot (5 mod 3) + 1 = 3
    state.FlowState = 20;
    state.CurrentHub = 1;
    state.LedState[1] = {};
    EXPECT_EQ(kw::CheckHubLeds(state).outcome, HubCheckOutcome::WrongRx);
    EXPECT_TRUE(state.HubAutoSlots[3]);
    EXPECT_FALSE(state.HubAutoSlots[1]);
    EXPECT_FALSE(state.HubAutoSlots[2]);
}

TEST(HubAuto, ZeroKeepsHubsManualAndTheRingUntouched)
{
    kw::SharedState state = withHubAuto(0);
    for (int press = 0; press < 3; ++press)
        EXPECT_TRUE(playHub1(state, true));
    EXPECT_EQ(state.HubAutoSlots, (std::array<bool, kw::MaxHubAuto + 1>{}));
}

} // namespace
