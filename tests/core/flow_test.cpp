#include "flow.h"

#include "stations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using kw::AfterReceiving;
using kw::ElementClickOutcome;
using kw::StationClickOutcome;

kw::ExercisePair exercise(int source, int destination)
{
    kw::ExercisePair pair;
    pair.source = static_cast<std::uint8_t>(source);
    pair.destination = static_cast<std::uint8_t>(destination);
    return pair;
}

kw::BroadcastFlags copiedBy(const std::vector<int>& stations)
{
    kw::BroadcastFlags flags{};
    for (int s : stations)
        flags[s] = true;
    return flags;
}

kw::LedRow switchTx(const std::vector<int>& leds)
{
    kw::LedRow row{};
    for (int k : leds)
        row[k] = true;
    return row;
}

// ---- Hub passes ----

struct PassRow {
    int from;
    int to;
};

class AfterHubPassTest : public ::testing::TestWithParam<PassRow> {};

TEST_P(AfterHubPassTest, OneStepPerHub)
{
    EXPECT_EQ(kw::AfterHubPass(static_cast<std::uint8_t>(GetParam().from)), GetParam().to);
}

INSTANTIATE_TEST_SUITE_P(Flow, AfterHubPassTest,
                         ::testing::Values(PassRow{20, 30}, PassRow{40, 50}, PassRow{45, 50},
                                           PassRow{41, 45}, PassRow{0, 0}, PassRow{10, 10},
                                           PassRow{30, 30}, PassRow{35, 35}, PassRow{50, 50},
                                           PassRow{60, 60}));

// ---- HubAutoRule ----

struct AutoRow {
    const char* name;
    int hubAuto;
    std::vector<int> pendingSlots;
    int flow;
    bool openDialog;
    int flowAfter;
    int savedAfter;
};

class HubAutoRuleTest : public ::testing::TestWithParam<AutoRow> {};

TEST_P(HubAutoRuleTest, PassesOnlyWhenTheWholeWindowSucceeded)
{
    const AutoRow& row = GetParam();
    kw::SharedState state;
    state.HubAuto = row.hubAuto;
    for (int slot : row.pendingSlots)
        state.HubAutoSlots[slot] = true;
    state.FlowState = static_cast<std::uint8_t>(row.flow);
    state.SavedFlowState = 99; // only an automatic pass may overwrite it
    EXPECT_EQ(kw::HubAutoRule(state), row.openDialog);
    EXPECT_EQ(state.FlowState, row.flowAfter);
    EXPECT_EQ(state.SavedFlowState, row.savedAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Flow, HubAutoRuleTest,
    ::testing::Values(AutoRow{"NeverWithZero", 0, {}, 20, true, 20, 99},
                      AutoRow{"NegativeIsZero", -3, {}, 20, true, 20, 99},
                      AutoRow{"OnePendingSlot", 3, {2}, 20, true, 20, 99},
                      AutoRow{"LastSlotOfWindowPending", 3, {3}, 40, true, 40, 99},
                      AutoRow{"SlotBeyondWindowIgnored", 3, {4}, 20, false, 30, 20},
                      AutoRow{"AutomaticFrom40", 1, {}, 40, false, 50, 40},
                      AutoRow{"AutomaticFrom41StopsAt45", 2, {}, 41, false, 45, 41},
                      AutoRow{"AutomaticFrom45", 2, {}, 45, false, 50, 45},
                      AutoRow{"WindowAbove16ActsAs16", 40, {}, 20, false, 30, 20},
                      AutoRow{"WindowAbove16SeesSlot16", 40, {16}, 20, true, 20, 99}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HubAutoRule, HubActivationAndVerdict)
{
    kw::SharedState state;
    state.FlowState = 40;
    kw::SaveFlowStateOnHubActivation(state);
    EXPECT_FALSE(kw::HubWasPassed(state)); // dialog closed without a right answer
    state.FlowState = 50;
    EXPECT_TRUE(kw::HubWasPassed(state));
}

// ---- Which hub, and may it be treated ----

struct XRow {
    int x;
    int hub;
};

class HubAtXTest : public ::testing::TestWithParam<XRow> {};

TEST_P(HubAtXTest, RangesIncludeTheirEnds)
{
    EXPECT_EQ(kw::HubAtX(GetParam().x), GetParam().hub);
}

INSTANTIATE_TEST_SUITE_P(Flow, HubAtXTest,
                         ::testing::Values(XRow{38, 0}, XRow{39, 1}, XRow{174, 1}, XRow{175, 0},
                                           XRow{250, 0}, XRow{316, 0}, XRow{317, 2}, XRow{453, 2},
                                           XRow{454, 0}, XRow{-5, 0}));

struct HubClickRow {
    const char* name;
    int hub;
    bool ticked;
    int flow;
    int source;
    std::vector<int> switchLeds;
    ElementClickOutcome outcome;
};

class DecideHubClickTest : public ::testing::TestWithParam<HubClickRow> {};

TEST_P(DecideHubClickTest, AcceptsTheHubTheFrameReaches)
{
    const HubClickRow& row = GetParam();
    const kw::ElementClickDecision decision =
        kw::DecideHubClick(row.hub, row.ticked, static_cast<std::uint8_t>(row.flow), row.source,
                           switchTx(row.switchLeds));
    EXPECT_EQ(decision.outcome, row.outcome);
    EXPECT_EQ(decision.message, row.outcome == ElementClickOutcome::Refused
                                    ? "Ce n'est pas le moment de traiter ce hub"
                                    : "");
}

constexpr auto Treat = ElementClickOutcome::Treat;
constexpr auto Refused = ElementClickOutcome::Refused;
constexpr auto Review = ElementClickOutcome::Review;

INSTANTIATE_TEST_SUITE_P(
    Flow, DecideHubClickTest,
    ::testing::Values(HubClickRow{"BetweenTheHubs", 0, false, 20, 2, {}, Refused},
                      HubClickRow{"Hub1FromMachine2", 1, false, 20, 2, {}, Treat},
                      HubClickRow{"Hub1FromMachine5", 1, false, 20, 5, {}, Refused},
                      HubClickRow{"Hub2FromMachine5", 2, false, 20, 5, {}, Treat},
                      HubClickRow{"Hub2FromMachine3", 2, false, 20, 3, {}, Refused},
                      HubClickRow{"Hub2FromServerAt20", 2, false, 20, 7, {}, Refused},
                      HubClickRow{"Hub1SwitchTxPort1", 1, false, 40, 5, {1}, Treat},
                      HubClickRow{"Hub1SwitchTxPort4Only", 1, false, 40, 5, {7}, Refused},
                      HubClickRow{"Hub2SwitchTxPort4", 2, false, 40, 2, {7}, Treat},
                      HubClickRow{"Hub2SwitchTxPort1Only", 2, false, 40, 2, {1}, Refused},
                      HubClickRow{"Hub1At41", 1, false, 41, 7, {}, Treat},
                      HubClickRow{"Hub2At41", 2, false, 41, 7, {}, Treat},
                      HubClickRow{"Hub2At45", 2, false, 45, 8, {}, Treat},
                      HubClickRow{"Hub1At10", 1, false, 10, 1, {}, Refused},
                      HubClickRow{"Hub1At30", 1, false, 30, 1, {}, Refused},
                      HubClickRow{"OtherHubAt30", 2, false, 30, 1, {1, 7}, Refused},
                      HubClickRow{"Hub1ServerAt35", 1, false, 35, 7, {}, Refused},
                      HubClickRow{"Hub2ServerAt35", 2, false, 35, 8, {}, Refused},
                      HubClickRow{"Hub2At50", 2, false, 50, 1, {7}, Refused},
                      HubClickRow{"TreatedHubReviewed", 1, true, 50, 1, {}, Review},
                      HubClickRow{"ReviewWinsOverTiming", 2, true, 10, 1, {}, Review}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Switch ----

struct SwitchRow {
    int flow;
    bool ticked;
    ElementClickOutcome outcome;
};

class DecideSwitchClickTest : public ::testing::TestWithParam<SwitchRow> {};

TEST_P(DecideSwitchClickTest, NotBeforeTheFrameReachesIt)
{
    const SwitchRow& row = GetParam();
    const kw::ElementClickDecision decision =
        kw::DecideSwitchClick(static_cast<std::uint8_t>(row.flow), row.ticked);
    EXPECT_EQ(decision.outcome, row.outcome);
    EXPECT_EQ(decision.message,
              row.outcome == Refused ? "Ce n'est pas le moment de traiter le switch" : "");
}

INSTANTIATE_TEST_SUITE_P(Flow, DecideSwitchClickTest,
                         ::testing::Values(SwitchRow{10, false, Refused},
                                           SwitchRow{20, false, Refused},
                                           SwitchRow{29, true, Refused},
                                           SwitchRow{30, false, Treat}, SwitchRow{35, false, Treat},
                                           SwitchRow{40, true, Review},
                                           SwitchRow{60, true, Review}));

TEST(SwitchWasPassed, FromFortyOn)
{
    EXPECT_FALSE(kw::SwitchWasPassed(30));
    EXPECT_FALSE(kw::SwitchWasPassed(35));
    EXPECT_TRUE(kw::SwitchWasPassed(40));
    EXPECT_TRUE(kw::SwitchWasPassed(41));
    EXPECT_TRUE(kw::SwitchWasPassed(50));
}

// ---- Station clicks ----

struct StationRow {
    const char* name;
    int flow;
    int clicked;
    int source;
    int destination;
    std::vector<int> copied;
    StationClickOutcome outcome;
    AfterReceiving after;
};

class DecideStationClickTest : public ::testing::TestWithParam<StationRow> {};

std::string expectedMessage(StationClickOutcome outcome)
{
    switch (outcome) {
    case StationClickOutcome::RefuseNotSender:
        return "Ce n'est pas le noeud émetteur";
    case StationClickOutcome::WarnNotYet:
        return "Le destinataire doit être traité après TOUS les autres";
    case StationClickOutcome::RefuseNotNow:
        return "Ce n'est pas le moment de traiter cette station";
    default:
        return "";
    }
}

TEST_P(DecideStationClickTest, FollowsTheFrame)
{
    const StationRow& row = GetParam();
    const kw::StationClickDecision decision =
        kw::DecideStationClick(static_cast<std::uint8_t>(row.flow), row.clicked,
                               exercise(row.source, row.destination), copiedBy(row.copied));
    EXPECT_EQ(decision.outcome, row.outcome);
    EXPECT_EQ(decision.after, row.after);
    EXPECT_EQ(decision.message, expectedMessage(row.outcome));
    // Only the hint that the destination comes last goes uncounted.
    EXPECT_EQ(decision.counted,
              !decision.message.empty() && row.outcome != StationClickOutcome::WarnNotYet);
}

using O = StationClickOutcome;
using A = AfterReceiving;

INSTANTIATE_TEST_SUITE_P(
    BeforeEmission, DecideStationClickTest,
    ::testing::Values(
        StationRow{"SenderAtStart", 0, 3, 3, 5, {}, O::Emit, A::Nothing},
        StationRow{"Sender", 10, 7, 7, 9, {}, O::Emit, A::Nothing},
        StationRow{"Machine2WhenMachine5Sends", 10, 2, 5, 1, {}, O::RefuseNotSender, A::Nothing},
        StationRow{"DestinationFirst", 10, 1, 5, 1, {}, O::RefuseNotSender, A::Nothing}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    OnTheWay, DecideStationClickTest,
    ::testing::Values(
        StationRow{"SenderAt20", 20, 1, 1, 5, {}, O::SendingReview, A::Nothing},
        StationRow{"SenderAt49", 49, 8, 8, 1, {}, O::SendingReview, A::Nothing},
        StationRow{"UnicastDestinationAt30", 30, 5, 1, 5, {}, O::WarnNotYet, A::Nothing},
        StationRow{"UnicastDestinationAt40", 40, 5, 1, 5, {}, O::WarnNotYet, A::Nothing},
        StationRow{"BroadcastM2NeighbourAt20", 20, 1, 2, 9, {}, O::WarnNotYet, A::Nothing},
        StationRow{"BroadcastM2NeighbourAt30", 30, 1, 2, 9, {}, O::ReceivingEditable, A::Nothing},
        StationRow{"BroadcastM2Machine3At30", 30, 3, 2, 9, {}, O::ReceivingEditable, A::Nothing},
        StationRow{"BroadcastM2ServeurAAt30", 30, 7, 2, 9, {}, O::WarnNotYet, A::Nothing},
        StationRow{"BroadcastM2ServeurAAt40", 40, 7, 2, 9, {}, O::WarnNotYet, A::Nothing},
        StationRow{"BroadcastM5Machine4At30", 30, 4, 5, 9, {}, O::ReceivingEditable, A::Nothing},
        StationRow{"BroadcastM5Machine6At30", 30, 6, 5, 9, {}, O::ReceivingEditable, A::Nothing},
        StationRow{"BroadcastM5ServeurAAt30", 30, 7, 5, 9, {}, O::ReceivingEditable, A::Nothing},
        StationRow{"BroadcastM5ServeurBAt30", 30, 8, 5, 9, {}, O::ReceivingEditable, A::Nothing},
        StationRow{"BroadcastM5Machine1At30", 30, 1, 5, 9, {}, O::WarnNotYet, A::Nothing},
        StationRow{"BroadcastSAMachine4At35", 35, 4, 7, 9, {}, O::ReceivingEditable, A::Nothing},
        StationRow{"BroadcastSAServeurBAt35", 35, 8, 7, 9, {}, O::ReceivingEditable, A::Nothing},
        StationRow{"BroadcastSAMachine1At35", 35, 1, 7, 9, {}, O::WarnNotYet, A::Nothing},
        StationRow{"BroadcastSAMachine3At45", 45, 3, 7, 9, {}, O::WarnNotYet, A::Nothing},
        StationRow{"BroadcastSAMachine6At41", 41, 6, 7, 9, {}, O::ReceivingEditable, A::Nothing},
        StationRow{"AlreadyCopiedAt30", 30, 3, 2, 9, {1, 3}, O::ReceivingCopied, A::Nothing},
        StationRow{"AlreadyCopiedAt45", 45, 5, 7, 9, {5}, O::ReceivingCopied, A::Nothing}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    ReachedAll, DecideStationClickTest,
    ::testing::Values(
        StationRow{"Sender", 50, 2, 2, 9, {}, O::SendingReview, A::Nothing},
        StationRow{"UnicastDestination",
                   50,
                   5,
                   1,
                   5,
                   {},
                   O::ReceivingEditable,
                   A::CountCopiesThenEndCheck},
        StationRow{"UnicastOtherStation", 50, 4, 1, 5, {}, O::RefuseNotNow, A::Nothing},
        StationRow{"UnicastToServer", 50, 8, 1, 7, {}, O::RefuseNotNow, A::Nothing},
        StationRow{"BroadcastFarStation",
                   50,
                   7,
                   2,
                   9,
                   {1, 3},
                   O::ReceivingEditable,
                   A::CountCopiesThenEndCheck},
        StationRow{"BroadcastAlreadyCopied", 50, 3, 2, 9, {1, 3}, O::ReceivingCopied, A::EndCheck},
        StationRow{"FaultyDestinationZero", 50, 4, 1, 0, {}, O::RefuseNotNow, A::Nothing}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    FrameDone, DecideStationClickTest,
    ::testing::Values(
        StationRow{"Sender", 60, 1, 1, 5, {}, O::SendingView, A::Nothing},
        StationRow{"UnicastDestination", 60, 5, 1, 5, {}, O::ReceivingView, A::Nothing},
        StationRow{"UnicastOtherStation", 60, 4, 1, 5, {}, O::Nothing, A::Nothing},
        StationRow{
            "BroadcastCopier", 60, 8, 1, 9, {2, 3, 4, 5, 6, 7, 8}, O::ReceivingView, A::Nothing}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    NoStation, DecideStationClickTest,
    ::testing::Values(StationRow{"ZeroBeforeEmission", 10, 0, 1, 5, {}, O::Nothing, A::Nothing},
                      StationRow{"BroadcastIndexAt50", 50, 9, 1, 9, {}, O::Nothing, A::Nothing}),
    [](const auto& info) { return std::string(info.param.name); });

struct BeginRow {
    const char* name;
    int flow;
    int clicked;
    int flowAfter;
    StationClickOutcome outcome;
};

class BeginStationClickTest : public ::testing::TestWithParam<BeginRow> {};

TEST_P(BeginStationClickTest, WritesTenForEveryClickBeforeEmission)
{
    const BeginRow& row = GetParam();
    kw::SharedState state;
    state.FlowState = static_cast<std::uint8_t>(row.flow);
    state.CurrentExercise = exercise(5, 1);
    EXPECT_EQ(kw::BeginStationClick(state, row.clicked).outcome, row.outcome);
    EXPECT_EQ(state.FlowState, row.flowAfter);
    EXPECT_EQ(state.ErrorTotal, 0); // counting is the reporter's job
}

INSTANTIATE_TEST_SUITE_P(Flow, BeginStationClickTest,
                         ::testing::Values(BeginRow{"SenderFromZero", 0, 5, 10, O::Emit},
                                           BeginRow{"RefusedFromZero", 0, 2, 10,
                                                    O::RefuseNotSender},
                                           BeginRow{"RefusedAtTen", 10, 2, 10, O::RefuseNotSender},
                                           BeginRow{"LaterStateKept", 20, 2, 20, O::WarnNotYet},
                                           BeginRow{"NoStationWritesNothing", 0, 0, 0, O::Nothing}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- After the dialogs ----

struct EmissionRow {
    const char* name;
    int flow;
    int source;
    bool emitted;
    int cable;
    int flowAfter;
};

class FinishEmissionTest : public ::testing::TestWithParam<EmissionRow> {};

TEST_P(FinishEmissionTest, ServersGoStraightToTheSwitch)
{
    const EmissionRow& row = GetParam();
    kw::SharedState state;
    state.FlowState = static_cast<std::uint8_t>(row.flow);
    state.CurrentExercise = exercise(row.source, 9);
    const kw::EmissionResult result = kw::FinishEmission(state);
    EXPECT_EQ(result.emitted, row.emitted);
    EXPECT_EQ(result.cable, row.cable);
    EXPECT_EQ(state.FlowState, row.flowAfter);
}

INSTANTIATE_TEST_SUITE_P(Flow, FinishEmissionTest,
                         ::testing::Values(EmissionRow{"Machine3", 20, 3, true, 3, 20},
                                           EmissionRow{"Machine6", 20, 6, true, 6, 20},
                                           EmissionRow{"ServeurA", 20, 7, true, 9, 35},
                                           EmissionRow{"ServeurB", 20, 8, true, 10, 35},
                                           EmissionRow{"ClosedWithoutFrame", 10, 8, false, 0, 10}),
                         [](const auto& info) { return std::string(info.param.name); });

struct ReceivingRow {
    const char* name;
    int destination;
    std::vector<int> copied;
    int flow;
    AfterReceiving after;
    bool handOver;
    int flowAfter;
    int countAfter;
};

class FinishReceivingClickTest : public ::testing::TestWithParam<ReceivingRow> {};

TEST_P(FinishReceivingClickTest, SevenCopiesEndABroadcast)
{
    const ReceivingRow& row = GetParam();
    kw::SharedState state;
    state.CurrentExercise = exercise(1, row.destination);
    state.BroadcastCopied = copiedBy(row.copied);
    state.FlowState = static_cast<std::uint8_t>(row.flow);
    EXPECT_EQ(kw::FinishReceivingClick(state, row.after), row.handOver);
    EXPECT_EQ(state.FlowState, row.flowAfter);
    EXPECT_EQ(state.BroadcastCopyCount, row.countAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Flow, FinishReceivingClickTest,
    ::testing::Values(
        ReceivingRow{
            "SixCopies", 9, {2, 3, 4, 5, 6, 7}, 50, A::CountCopiesThenEndCheck, false, 50, 6},
        ReceivingRow{
            "SeventhCopy", 9, {2, 3, 4, 5, 6, 7, 8}, 50, A::CountCopiesThenEndCheck, true, 60, 7},
        ReceivingRow{"ClosedWithoutCopy", 9, {2, 3}, 50, A::CountCopiesThenEndCheck, false, 50, 2},
        ReceivingRow{
            "ReviewOfACopierDoesNotCount", 9, {2, 3, 4, 5, 6, 7, 8}, 50, A::EndCheck, false, 50, 0},
        ReceivingRow{"UnicastCopied", 5, {}, 60, A::CountCopiesThenEndCheck, true, 60, 0},
        ReceivingRow{
            "UnicastClosedByCloseBox", 5, {}, 50, A::CountCopiesThenEndCheck, false, 50, 0},
        ReceivingRow{
            "EarlyReceiverNoEndCheck", 9, {2, 3, 4, 5, 6, 7, 8}, 30, A::Nothing, false, 30, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A Broadcast from Machine 2, played through the functions the windows call.
TEST(BroadcastFromMachine2, EarlyCopiesCountAndTheSeventhEndsTheFrame)
{
    kw::SharedState state;
    state.CurrentExercise = exercise(2, 9);
    auto receive = [&state](int station) {
        const kw::StationClickDecision decision = kw::BeginStationClick(state, station);
        if (decision.outcome != O::ReceivingEditable)
            return false;
        EXPECT_TRUE(kw::CheckCopyDecision(station, true, state.CurrentExercise, state).close);
        return kw::FinishReceivingClick(state, decision.after);
    };

    state.FlowState = 20;
    EXPECT_EQ(kw::BeginStationClick(state, 1).outcome, O::WarnNotYet);
    state.FlowState = 30; // Hub 1 repeated
    EXPECT_FALSE(receive(1));
    EXPECT_FALSE(receive(3));
    EXPECT_EQ(kw::BeginStationClick(state, 7).outcome, O::WarnNotYet);
    state.FlowState = 50; // switch flooded, Hub 2 repeated
    EXPECT_EQ(kw::BeginStationClick(state, 3).outcome, O::ReceivingCopied);
    for (int station : {4, 5, 6, 7})
        EXPECT_FALSE(receive(station)) << "station " << station;
    EXPECT_EQ(state.BroadcastCopyCount, 6);
    EXPECT_TRUE(receive(8));
    EXPECT_EQ(state.FlowState, 60);
    EXPECT_EQ(state.BroadcastCopyCount, 7);
}

// ---- Dialog activation ----

TEST(SendingDialogEditable, OnlyBeforeEmission)
{
    EXPECT_FALSE(kw::SendingDialogEditable(0));
    EXPECT_TRUE(kw::SendingDialogEditable(10));
    EXPECT_FALSE(kw::SendingDialogEditable(20));
    EXPECT_FALSE(kw::SendingDialogEditable(60));
}

struct EditableRow {
    int flow;
    int destination;
    bool copied;
    bool editable;
};

class ReceivingDialogEditableTest : public ::testing::TestWithParam<EditableRow> {};

TEST_P(ReceivingDialogEditableTest, AtFiftyOrEarlyOnBroadcast)
{
    const EditableRow& row = GetParam();
    EXPECT_EQ(kw::ReceivingDialogEditable(static_cast<std::uint8_t>(row.flow), row.destination,
                                          row.copied),
              row.editable);
}

INSTANTIATE_TEST_SUITE_P(
    Flow, ReceivingDialogEditableTest,
    ::testing::Values(EditableRow{50, 3, false, true}, EditableRow{50, 9, true, false},
                      EditableRow{40, 3, false, false}, EditableRow{20, 9, false, false},
                      EditableRow{21, 9, false, true}, EditableRow{35, 9, false, true},
                      EditableRow{30, 9, true, false}, EditableRow{60, 3, false, false}));

} // namespace
