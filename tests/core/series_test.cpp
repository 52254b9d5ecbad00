#include "clock.h"
#include "series.h"
#include "switchtable.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using kw::test::dataPath;

const std::string NothingToPlay = "Ni exercice imposé ni exercice aléatoire\n\r"
                                  "Fichier d'exercices incorrect";

// A state as a previous run would leave it, so that start-up must really reset it.
kw::SharedState usedState()
{
    kw::SharedState state;
    state.FlowState = kw::flow::FrameDone;
    state.ErrorTotal = 7;
    state.ExerciseNumber = 4;
    state.ImposedCount = 3;
    state.HubStepCount = 9;
    state.HubAutoSlots.fill(true);
    return state;
}

void expectDefaultStations(const kw::SharedState& state)
{
    const char* macs[] = {"adresses MAC",      "00-C0-B0-69-16-25", "00-C0-B0-08-31-A4",
                          "00-10-2B-88-00-34", "00-00-48-24-E5-9A", "00-AA-00-95-A0-5D",
                          "00-F0-00-6A-11-74", "00-35-8A-96-01-42", "00-35-8A-96-01-43",
                          "FF-FF-FF-FF-FF-FF"};
    for (int i = 0; i <= kw::BroadcastIndex; ++i)
        EXPECT_EQ(state.StationTable[i].mac, macs[i]) << i;
}

// ---- Start-up that must stop ------------------------------------------------------------

TEST(StartUp, WithoutConfigurationNamesTheFolderAndDoesNothingElse)
{
    for (const char* name : {"startup/no_ini", "startup/ini_is_directory"}) {
        const std::string folder = dataPath(name).string();
        kw::SharedState state = usedState();
        const kw::StartupOutcome outcome = kw::StartUp(state, folder);
        EXPECT_FALSE(outcome.ok) << name;
        EXPECT_EQ(outcome.errorBoxes,
                  std::vector<std::string>{"KW_switch.ini non trouvé sur " + folder});
        EXPECT_EQ(state.FlowState, kw::flow::Start);
        EXPECT_EQ(state.ErrorTotal, 0);
        EXPECT_EQ(state.ExerciseNumber, 0);
        EXPECT_EQ(state.ImposedCount, 0);
        EXPECT_TRUE(state.FirstExercise);
        EXPECT_EQ(state.TtlMaxText, "99");
        EXPECT_EQ(state.StartFolder, folder);
        EXPECT_EQ(state.StationTable[1].name, "") << "the station table is not filled";
        EXPECT_EQ(state.HubStepCount, 9);
    }
}

TEST(StartUp, ConfigurationFifoIsNotFound)
{
    kw::test::TempFolder folder;
    ASSERT_EQ(::mkfifo((folder.path() / "kw_switch.INI").c_str(), 0600), 0);
    kw::SharedState state;
    const auto outcome = kw::StartUp(state, folder.path().string());
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.errorBoxes.size(), 1u);
}

TEST(StartUp, NoExerciseSourceStops)
{
    for (const char* name :
         {"startup/no_questions", "startup/empty_questions", "startup/fin_first"}) {
        kw::SharedState state = usedState();
        const kw::StartupOutcome outcome = kw::StartUp(state, dataPath(name).string());
        EXPECT_FALSE(outcome.ok) << name;
        EXPECT_EQ(outcome.errorBoxes, std::vector<std::string>{NothingToPlay}) << name;
        EXPECT_EQ(state.ImposedCount, 0);
        EXPECT_FALSE(state.RandomAfterImposed);
    }
}

// ---- Start-up that succeeds -------------------------------------------------------------

TEST(StartUp, DefaultsOfEveryKey)
{
    kw::test::TempFolder folder;
    folder.write("kw_switch.INI", "[parametres]\r\nquestions=.\r\n");
    folder.write("switchexos.kw", "; rien d'imposé\r\n");
    kw::SharedState state = usedState();
    const auto outcome = kw::StartUp(state, folder.path().string());
    EXPECT_TRUE(outcome.ok);
    EXPECT_TRUE(outcome.errorBoxes.empty());
    expectDefaultStations(state);
    const char* names[] = {"",          "Machine 1", "Machine 2", "Machine 3", "Machine 4",
                           "Machine 5", "Machine 6", "ServeurA",  "ServeurB",  "Broadcast"};
    for (int i = 0; i <= kw::BroadcastIndex; ++i)
        EXPECT_EQ(state.StationTable[i].name, names[i]) << i;
    EXPECT_EQ(state.InitialEntries, "00000000");
    EXPECT_EQ(state.TtlMaxText, "99");
    EXPECT_EQ(state.FreqMulti, 1);
    EXPECT_EQ(state.QuestionsFolder, ".");
    EXPECT_EQ(state.HubAuto, 0);
    EXPECT_EQ(state.HubStepCount, 0);
    for (int slot = 1; slot <= kw::MaxHubAuto; ++slot)
        EXPECT_FALSE(state.HubAutoSlots[slot]) << slot;
    EXPECT_EQ(state.ImposedCount, 0);
    EXPECT_TRUE(state.RandomAfterImposed);
}

TEST(StartUp, WindowsConfigurationWithItsExerciseFile)
{
    kw::SharedState state = usedState();
    const auto outcome = kw::StartUp(state, dataPath("startup/complete").string());
    EXPECT_TRUE(outcome.ok);
    EXPECT_TRUE(outcome.errorBoxes.empty());
    EXPECT_EQ(state.StationTable[1].mac, "02-00-00-00-00-01");
    EXPECT_EQ(state.StationTable[2].mac, "00-C0-B0-08-31-A4");
    EXPECT_EQ(state.StationTable[8].mac, "02-00-00-00-00-08");
    EXPECT_EQ(state.StationTable[9].mac, "FF-FF-FF-FF-FF-FF");
    EXPECT_EQ(state.InitialEntries, "1234");
    EXPECT_EQ(state.TtlMaxText, "255");
    EXPECT_EQ(state.FreqMulti, 0);
    EXPECT_EQ(state.QuestionsFolder, "exos\\serie");
    EXPECT_EQ(state.ImposedCount, 2);
    EXPECT_FALSE(state.RandomAfterImposed);
    EXPECT_EQ(state.HubAuto, 16);
    for (int slot = 1; slot <= kw::MaxHubAuto; ++slot)
        EXPECT_TRUE(state.HubAutoSlots[slot]) << slot;
}

TEST(StartUp, UnreadableExerciseFileGivesItsBoxThenARandomSeries)
{
    kw::SharedState state;
    const auto outcome = kw::StartUp(state, dataPath("startup/missing_exercise_file").string());
    EXPECT_TRUE(outcome.ok);
    EXPECT_EQ(outcome.errorBoxes,
              std::vector<std::string>{
                  "Le fichier exos\\absents\\switchexos.kw \r\n n'est pas accessible"});
    EXPECT_EQ(state.ImposedCount, 0);
    EXPECT_TRUE(state.RandomAfterImposed);
}

struct ClampCase {
    const char* line;
    int hubAuto;
    const char* ttlMax;
    int freqMulti;
};

class StartUpClamps : public ::testing::TestWithParam<ClampCase> {};

TEST_P(StartUpClamps, KeepsValuesInRange)
{
    const ClampCase& c = GetParam();
    kw::test::TempFolder folder;
    folder.write("kw_switch.INI", std::string("[parametres]\r\nquestions=.\r\n") + c.line + "\r\n");
    folder.write("switchexos.kw", "1 2\r\n");
    kw::SharedState state = usedState();
    ASSERT_TRUE(kw::StartUp(state, folder.path().string()).ok);
    EXPECT_EQ(state.HubAuto, c.hubAuto);
    EXPECT_EQ(state.TtlMaxText, c.ttlMax);
    EXPECT_EQ(state.FreqMulti, c.freqMulti);
    for (int slot = 1; slot <= kw::MaxHubAuto; ++slot)
        EXPECT_EQ(state.HubAutoSlots[slot], slot <= c.hubAuto) << slot;
}

INSTANTIATE_TEST_SUITE_P(
    Values, StartUpClamps,
    ::testing::Values(ClampCase{"hub_auto=40", 16, "99", 1}, ClampCase{"hub_auto=-3", 0, "99", 1},
                      ClampCase{"hub_auto=0x10", 16, "99", 1}, ClampCase{"hub_auto=5", 5, "99", 1},
                      ClampCase{"hub_auto=douze", 0, "99", 1},
                      ClampCase{"ttl_max=300", 0, "255", 1}, ClampCase{"ttl_max=-1", 0, "0", 1},
                      ClampCase{"ttl_max=$FF", 0, "255", 1}, ClampCase{"ttl_max=08", 0, "8", 1},
                      ClampCase{"ttl_max=", 0, "99", 1}, ClampCase{"freq_multi=256", 0, "99", 255},
                      ClampCase{"freq_multi=-5", 0, "99", 0},
                      ClampCase{"freq_multi=0", 0, "99", 0}));

// ---- The series --------------------------------------------------------------------------

TEST(Series, ExercisesFollowTheFileThenTheSeriesEnds)
{
    kw::SharedState state;
    ASSERT_TRUE(kw::StartUp(state, dataPath("startup/complete").string()).ok);
    const double start = kw::daysFromLocal(2024, 3, 5, 9, 0, 0, 0);

    state.BroadcastCopied.fill(true);
    state.LedState[3][1] = true;
    EXPECT_FALSE(kw::StartExercise(state, start)) << "nothing to reset before the first";
    EXPECT_EQ(state.ExerciseNumber, 1);
    EXPECT_EQ(state.FlowState, kw::flow::ExerciseReady);
    EXPECT_EQ(state.CurrentExercise.source, 1);
    EXPECT_EQ(state.CurrentExercise.destination, 2);
    EXPECT_EQ(state.SeriesStartTime, start);
    EXPECT_FALSE(state.FirstExercise);
    for (int i = 1; i <= kw::StationCount; ++i)
        EXPECT_FALSE(state.BroadcastCopied[i]);
    EXPECT_FALSE(kw::SeriesEnded(state));

    state.FlowState = kw::flow::FrameDone;
    state.BroadcastCopied.fill(true);
    EXPECT_TRUE(kw::StartExercise(state, start + 1));
    EXPECT_EQ(kw::ExerciseNumberCaption(state), "Exercice n° = 2  (2)");
    EXPECT_EQ(state.CurrentExercise.source, 8);
    EXPECT_EQ(state.CurrentExercise.destination, 9);
    EXPECT_FALSE(state.LedState[3][1]);
    EXPECT_EQ(state.SeriesStartTime, start) << "the series clock starts once";
    EXPECT_TRUE(kw::SeriesEnded(state));
    const double end = kw::daysFromLocal(2024, 3, 5, 9, 7, 42, 0);
    EXPECT_EQ(kw::SeriesEndText(state, end), "TOUS LES EXERCICES ONT ETE TRAITES en 00:07:42");
}

struct EndCase {
    int imposed;
    int number;
    bool randomAfter;
    bool ended;
};

class SeriesEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(SeriesEnd, OnlyWhenNoImposedExerciseIsLeftAndNothingRandomFollows)
{
    kw::SharedState state;
    state.ImposedCount = static_cast<std::uint8_t>(GetParam().imposed);
    state.ExerciseNumber = static_cast<std::uint16_t>(GetParam().number);
    state.RandomAfterImposed = GetParam().randomAfter;
    EXPECT_EQ(kw::SeriesEnded(state), GetParam().ended);
}

INSTANTIATE_TEST_SUITE_P(Cases, SeriesEnd,
                         ::testing::Values(EndCase{1, 1, false, true}, EndCase{2, 1, false, false},
                                           EndCase{20, 20, false, true}, EndCase{2, 2, true, false},
                                           EndCase{0, 5, true, false}, EndCase{2, 3, true, false}));

TEST(Series, ExerciseNumberStopsAtItsLimit)
{
    kw::SharedState state;
    state.ExerciseNumber = std::numeric_limits<std::uint16_t>::max();
    kw::StartExercise(state, 0);
    EXPECT_EQ(state.ExerciseNumber, std::numeric_limits<std::uint16_t>::max());
}

// ---- The ready examples ------------------------------------------------------------------

std::string exampleFolder(const std::string& name)
{
    return (std::filesystem::path(KW_TEST_DATA) / ".." / ".." / "examples" / name).string();
}

TEST(Examples, RandomSeriesStartsWithNothingImposed)
{
    kw::SharedState state;
    const auto outcome = kw::StartUp(state, exampleFolder("serie_aleatoire"));
    EXPECT_TRUE(outcome.ok);
    EXPECT_TRUE(outcome.errorBoxes.empty());
    EXPECT_EQ(state.ImposedCount, 0);
    EXPECT_TRUE(state.RandomAfterImposed);
    EXPECT_EQ(state.InitialEntries, "1234");
    EXPECT_EQ(state.FreqMulti, 2);
    EXPECT_EQ(state.HubAuto, 4);
}

// The imposed example promises one kind of frame path per exercise: played through the
// switch's rules, each exercise must leave the switch in the state its comment names.
TEST(Examples, ImposedSeriesWalksThroughEveryPath)
{
    kw::SharedState state;
    const auto outcome = kw::StartUp(state, exampleFolder("serie_imposee"));
    ASSERT_TRUE(outcome.ok);
    EXPECT_TRUE(outcome.errorBoxes.empty());
    ASSERT_EQ(state.ImposedCount, 8);
    EXPECT_FALSE(state.RandomAfterImposed);

    kw::StartExercise(state, 0);
    kw::SwitchTable table = kw::InitSwitchTable(state.InitialEntries, state.TtlMaxText,
                                                [&](int i) { return state.StationTable[i].mac; });
    using namespace kw::flow;
    const std::uint8_t afterSwitch[] = {
        TowardsOneHub,   // same hub, unknown: flooded
        ReachedAll,      // same hub, known behind the sender's port: filtered
        TowardsBothHubs, // server to an unknown machine
        ReachedAll,      // machine to a known server
        TowardsOneHub,   // Broadcast from a machine
        TowardsOneHub,   // Hub 1 to a known Hub 2 machine
        TowardsBothHubs, // Broadcast from a server
        ReachedAll,      // server to a known server
    };
    for (int k = 0; k < 8; ++k) {
        if (k > 0)
            kw::StartExercise(state, 0);
        const int source = state.CurrentExercise.source;
        const kw::FrameRow frame = kw::ShowReceivedFrame(state);
        kw::CopyToEntryRow(table, frame, 1, kw::SwitchPortOf(source), state.TtlMaxText);
        const std::string lookup = kw::LookUpDestination(table, frame);
        const bool filtered = lookup == std::to_string(kw::SwitchPortOf(source));
        EXPECT_EQ(kw::CommitSwitchStep(table, lookup, filtered, source), afterSwitch[k])
            << "exercise " << k + 1;
    }
    EXPECT_TRUE(kw::SeriesEnded(state));
}

// ---- Clock -------------------------------------------------------------------------------

struct DateCase {
    int year;
    unsigned month, day;
    int hours, minutes;
    double days;
};

class DelphiDays : public ::testing::TestWithParam<DateCase> {};

TEST_P(DelphiDays, CountFrom30December1899)
{
    const DateCase& c = GetParam();
    EXPECT_DOUBLE_EQ(kw::daysFromLocal(c.year, c.month, c.day, c.hours, c.minutes, 0, 0), c.days);
}

INSTANTIATE_TEST_SUITE_P(Dates, DelphiDays,
                         ::testing::Values(DateCase{1899, 12, 30, 0, 0, 0.0},
                                           DateCase{1899, 12, 29, 0, 0, -1.0},
                                           DateCase{1900, 1, 1, 0, 0, 2.0},
                                           DateCase{2000, 1, 1, 12, 0, 36526.5},
                                           DateCase{2024, 2, 29, 6, 0, 45351.25}));

TEST(Clock, NowIsThePresent)
{
    const double now = kw::NowDays();
    EXPECT_GT(now, kw::daysFromLocal(2024, 1, 1, 0, 0, 0, 0));
    EXPECT_LT(now, kw::daysFromLocal(2200, 1, 1, 0, 0, 0, 0));
    EXPECT_LE(now, kw::NowDays());
}

struct ElapsedCase {
    double days;
    const char* text;
};

class Elapsed : public ::testing::TestWithParam<ElapsedCase> {};

TEST_P(Elapsed, ShownAsATimeOfDay)
{
    EXPECT_EQ(kw::formatElapsed(GetParam().days), GetParam().text);
}

constexpr double Second = 1.0 / 86400;

INSTANTIATE_TEST_SUITE_P(
    Durations, Elapsed,
    ::testing::Values(ElapsedCase{0, "00:00:00"}, ElapsedCase{462 * Second, "00:07:42"},
                      ElapsedCase{(3600 * 23 + 59 * 60 + 59.4) * Second, "23:59:59"},
                      ElapsedCase{59.9996 * Second, "00:01:00"},
                      ElapsedCase{0.9994 * Second, "00:00:00"},
                      ElapsedCase{1 + 3600 * Second, "01:00:00"},
                      ElapsedCase{-60 * Second, "00:00:00"}, ElapsedCase{std::nan(""), "00:00:00"},
                      ElapsedCase{std::numeric_limits<double>::infinity(), "00:00:00"}));

TEST(Clock, HugeDurationStillGivesATime)
{
    EXPECT_EQ(kw::formatElapsed(1e300).size(), 8u);
}

} // namespace
