#include "stations.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using kw::CopyOutcome;

kw::StationList knownStations()
{
    return {{{"", "adresses MAC"},
             {"Machine 1", "00-10-5A-11-11-11"},
             {"Machine 2", "00-10-5A-22-22-22"},
             {"Machine 3", "00-10-5A-33-33-33"},
             {"Machine 4", "00-10-5A-44-44-44"},
             {"Machine 5", "00-10-5A-55-55-55"},
             {"Machine 6", "00-10-5A-66-66-66"},
             {"ServeurA", "00-A0-24-AA-AA-AA"},
             {"ServeurB", "00-A0-24-BB-BB-BB"},
             {"Broadcast", "FF-FF-FF-FF-FF-FF"}}};
}

// ---- Copy from the cache into the frame ----

struct CopyRow {
    const char* name;
    int frameColumn;
    int cacheRow;
    CopyOutcome outcome;
    std::string text;
    std::string message;
};

class CopyCachedAddressTest : public ::testing::TestWithParam<CopyRow> {};

TEST_P(CopyCachedAddressTest, CopiesOnlyIntoAddressFields)
{
    const CopyRow& row = GetParam();
    const kw::CopyResult result =
        kw::CopyCachedAddress(row.frameColumn, row.cacheRow, knownStations());
    EXPECT_EQ(result.outcome, row.outcome);
    EXPECT_EQ(result.text, row.text);
    EXPECT_EQ(result.message, row.message);
}

INSTANTIATE_TEST_SUITE_P(
    Frame, CopyCachedAddressTest,
    ::testing::Values(
        CopyRow{"DestinationFromMachine1", 0, 1, CopyOutcome::Copied, "00-10-5A-11-11-11", ""},
        CopyRow{"SourceFromServeurB", 1, 8, CopyOutcome::Copied, "00-A0-24-BB-BB-BB", ""},
        CopyRow{"BroadcastRow", 0, 9, CopyOutcome::Copied, "FF-FF-FF-FF-FF-FF", ""},
        CopyRow{"NarrowField", 2, 5, CopyOutcome::Refused, "",
                "Ce champ ne doit pas contenir d'adresse MAC"},
        CopyRow{"UpperLayers", 3, 1, CopyOutcome::Refused, "",
                "Ce champ ne doit pas contenir d'adresse MAC"},
        CopyRow{"FcsEvenWithoutRow", 4, 0, CopyOutcome::Refused, "",
                "Ce champ ne doit pas contenir d'adresse MAC"},
        CopyRow{"HeaderRowNeverCopied", 0, 0, CopyOutcome::Ignored, "", ""},
        CopyRow{"RowBeyondCache", 1, 10, CopyOutcome::Ignored, "", ""},
        CopyRow{"NoFrameSelection", -1, 3, CopyOutcome::Ignored, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- "Terminé" of the sending dialog ----

struct EmittedRow {
    const char* name;
    int source;
    int destination;
    std::string destCell;
    std::string srcCell;
    bool accepted;
};

class CheckEmittedFrameTest : public ::testing::TestWithParam<EmittedRow> {};

TEST_P(CheckEmittedFrameTest, BothAddressesMustMatchTheCache)
{
    const EmittedRow& row = GetParam();
    kw::ExercisePair exercise;
    exercise.source = static_cast<std::uint8_t>(row.source);
    exercise.destination = static_cast<std::uint8_t>(row.destination);
    const kw::FrameCheck check =
        kw::CheckEmittedFrame(row.destCell, row.srcCell, exercise, knownStations());
    EXPECT_EQ(check.accepted, row.accepted);
    EXPECT_EQ(check.message, row.accepted ? "" : "Une adresse MAC est incorrecte");
}

INSTANTIATE_TEST_SUITE_P(
    Frame, CheckEmittedFrameTest,
    ::testing::Values(
        EmittedRow{"Right", 1, 5, "00-10-5A-55-55-55", "00-10-5A-11-11-11", true},
        EmittedRow{"BroadcastRight", 7, 9, "FF-FF-FF-FF-FF-FF", "00-A0-24-AA-AA-AA", true},
        EmittedRow{"Swapped", 1, 5, "00-10-5A-11-11-11", "00-10-5A-55-55-55", false},
        EmittedRow{"WrongDestination", 1, 5, "00-10-5A-44-44-44", "00-10-5A-11-11-11", false},
        EmittedRow{"WrongSource", 1, 5, "00-10-5A-55-55-55", "00-10-5A-22-22-22", false},
        EmittedRow{"BothEmpty", 1, 5, "", "", false},
        EmittedRow{"HeaderTextIsNoAddress", 2, 0, "adresses MAC", "00-10-5A-22-22-22", false},
        EmittedRow{"DestinationOutsideTable", 2, 12, "", "00-10-5A-22-22-22", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CheckEmittedFrame, ComparesTextsSoTwinAddressesBothPass)
{
    kw::StationList cache = knownStations();
    cache[6].mac = cache[5].mac; // Machines 5 and 6 configured alike
    kw::ExercisePair exercise;
    exercise.source = 1;
    exercise.destination = 5;
    const std::string copiedFromRow6 = kw::CopyCachedAddress(0, 6, cache).text;
    EXPECT_TRUE(kw::CheckEmittedFrame(copiedFromRow6, cache[1].mac, exercise, cache).accepted);
}

// ---- Sides of the network ----

struct SideRow {
    int a;
    int b;
    bool same;
};

class SameSideTest : public ::testing::TestWithParam<SideRow> {};

TEST_P(SameSideTest, Hub1AgainstHub2AndServers)
{
    const SideRow& row = GetParam();
    EXPECT_EQ(kw::SameSide(row.a, row.b), row.same);
    EXPECT_EQ(kw::SameSide(row.b, row.a), row.same);
}

INSTANTIATE_TEST_SUITE_P(Stations, SameSideTest,
                         ::testing::Values(SideRow{1, 3, true}, SideRow{3, 4, false},
                                           SideRow{4, 6, true}, SideRow{5, 7, true},
                                           SideRow{7, 8, true}, SideRow{2, 7, false},
                                           SideRow{6, 1, false}, SideRow{3, 8, false}));

// ---- "Terminé" of the receiving dialog ----

struct CopyDecisionRow {
    const char* name;
    int clicked;
    bool ticked;
    int source;
    int destination;
    bool close;
    bool message;
    std::uint8_t flowAfter;
    bool copiedAfter;
};

class CheckCopyDecisionTest : public ::testing::TestWithParam<CopyDecisionRow> {};

TEST_P(CheckCopyDecisionTest, CopyExactlyWhatIsAddressedToTheStation)
{
    const CopyDecisionRow& row = GetParam();
    kw::SharedState state;
    state.FlowState = 50;
    state.CurrentExercise.source = static_cast<std::uint8_t>(row.source);
    state.CurrentExercise.destination = static_cast<std::uint8_t>(row.destination);
    const kw::CopyDecision decision =
        kw::CheckCopyDecision(row.clicked, row.ticked, state.CurrentExercise, state);
    EXPECT_EQ(decision.close, row.close);
    EXPECT_EQ(decision.message, row.message ? "Vérifiez le destinataire" : "");
    EXPECT_EQ(state.FlowState, row.flowAfter);
    for (int station = 1; station <= kw::StationCount; ++station)
        EXPECT_EQ(state.BroadcastCopied[station], row.copiedAfter && station == row.clicked)
            << "station " << station;
}

INSTANTIATE_TEST_SUITE_P(
    Stations, CheckCopyDecisionTest,
    ::testing::Values(CopyDecisionRow{"BroadcastCopied", 4, true, 2, 9, true, false, 50, true},
                      CopyDecisionRow{"BroadcastNotCopied", 4, false, 2, 9, false, true, 50, false},
                      CopyDecisionRow{"DestinationCopies", 5, true, 1, 5, true, false, 60, false},
                      CopyDecisionRow{"DestinationForgets", 5, false, 1, 5, false, true, 50, false},
                      CopyDecisionRow{"OtherStationCopies", 3, true, 1, 5, false, true, 50, false},
                      CopyDecisionRow{"OtherStationLeavesIt", 3, false, 1, 5, true, false, 50,
                                      false},
                      CopyDecisionRow{"NoStationClicked", 0, true, 1, 9, false, false, 50, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
