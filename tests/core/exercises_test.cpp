#include "exercises.h"
#include "random.h"
#include "temp_folder.h"
#include "textfile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <array>
#include <string>
#include <vector>

namespace {

using kw::ExerciseLineKind;
using kw::test::dataPath;

// ---- Line grammar ----------------------------------------------------------------------

struct LineCase {
    std::string line;
    ExerciseLineKind kind;
    int source = 0;
    int destination = 0;
};

LineCase exercise(std::string line, int source, int destination)
{
    return {std::move(line), ExerciseLineKind::Exercise, source, destination};
}
LineCase ignored(std::string line)
{
    return {std::move(line), ExerciseLineKind::Ignored};
}
LineCase end(std::string line)
{
    return {std::move(line), ExerciseLineKind::End};
}

class ExerciseGrammar : public ::testing::TestWithParam<LineCase> {};

TEST_P(ExerciseGrammar, ReadsTheLine)
{
    const LineCase& c = GetParam();
    const kw::ExerciseLine parsed = kw::parseExerciseLine(c.line);
    EXPECT_EQ(parsed.kind, c.kind);
    if (c.kind == ExerciseLineKind::Exercise) {
        EXPECT_EQ(parsed.pair.source, c.source);
        EXPECT_EQ(parsed.pair.destination, c.destination);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ExerciseGrammar,
    ::testing::Values(
        // Machine 3 to Broadcast, however the two digits are separated.
        exercise("3 9", 3, 9), exercise("3-9", 3, 9), exercise("39", 3, 9),
        exercise("3,9 Machine 3 vers tout le monde", 3, 9), exercise("3 9 ; commentaire", 3, 9),
        exercise("\t(1)\t-\t(2)", 1, 2), exercise("+1/2", 1, 2), exercise("12 x", 1, 2),
        exercise("1 2 3", 1, 2), exercise("7 8", 7, 8), exercise("8 9", 8, 9),
        exercise(std::string("\0 1 2", 5), 1, 2),
        // End of the series: FIN at the very first character only.
        end("FIN"), end("FINI"), end("FIN des exercices"), ignored(" FIN"), ignored("\tFIN"),
        ignored("fin"), ignored("Fin"),
        // Nothing usable.
        ignored(""), ignored("   "), ignored("x 1 2"), ignored("Machine 1 vers 2"),
        ignored("; 1 2"), ignored("9 1"), ignored("1"), ignored("1 \t "), ignored("4 4"),
        ignored("1:2"), ignored("1 :2"), ignored("1 x 2"), ignored("\xe9 1 2"), ignored("1\xe9 2"),
        // A 0 names no station.
        ignored("10"), ignored("01"), ignored("0 0")));

// ---- Whole files -----------------------------------------------------------------------

std::vector<std::pair<int, int>> imposed(const kw::SharedState& state)
{
    std::vector<std::pair<int, int>> pairs;
    for (int i = 1; i <= state.ImposedCount; ++i)
        pairs.emplace_back(state.ImposedExercises[i].source, state.ImposedExercises[i].destination);
    return pairs;
}

using Pairs = std::vector<std::pair<int, int>>;

struct SeriesCase {
    const char* name;
    const char* text;
    Pairs pairs;
    bool randomAfter;
};

class ExerciseSeries : public ::testing::TestWithParam<SeriesCase> {};

TEST_P(ExerciseSeries, ReadsTheSeries)
{
    kw::SharedState state;
    kw::readExercises(state, GetParam().text);
    EXPECT_EQ(imposed(state), GetParam().pairs);
    EXPECT_EQ(state.RandomAfterImposed, GetParam().randomAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ExerciseSeries,
    ::testing::Values(SeriesCase{"OneThenFin", "1 2\nFIN\n", Pairs{{1, 2}}, false},
                      SeriesCase{"TwoWithoutFin", "1 2\n2 1\n", Pairs{{1, 2}, {2, 1}}, true},
                      SeriesCase{"FinFirst", "FIN\n1 2\n", Pairs{}, false},
                      SeriesCase{"OnlyComments", "; rien\n; que des commentaires", Pairs{}, true},
                      SeriesCase{"Empty", "", Pairs{}, true},
                      SeriesCase{"IgnoredLinesBetween", "1 2\n4 4\nx 1 2\n 3 4\n FIN\n5 6",
                                 Pairs{{1, 2}, {3, 4}, {5, 6}}, true},
                      SeriesCase{"NoFinalLineEnd", "6 9", Pairs{{6, 9}}, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExerciseSeries, KeepsTwentyAndStillHonoursALaterFin)
{
    std::string text;
    for (int i = 0; i < 25; ++i)
        text += std::to_string(i % 8 + 1) + " " + std::to_string((i + 1) % 8 + 1) + "\n";
    text += "FIN\n";
    kw::SharedState state;
    kw::readExercises(state, text);
    EXPECT_EQ(state.ImposedCount, kw::MaxImposed);
    EXPECT_FALSE(state.RandomAfterImposed);
    // The 21st line did not overwrite anything.
    EXPECT_EQ(state.ImposedExercises[20].source, 20 % 8);
    EXPECT_EQ(state.ImposedExercises[1].source, 1);
}

TEST(ExerciseSeries, ReadingAgainStartsFromNothing)
{
    kw::SharedState state;
    kw::readExercises(state, "1 2\n2 3\nFIN");
    kw::readExercises(state, "4 5");
    EXPECT_EQ(imposed(state), (Pairs{{4, 5}}));
    EXPECT_TRUE(state.RandomAfterImposed);
}

struct FileCase {
    const char* folder;
    Pairs pairs;
    bool randomAfter;
};

class ExerciseFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(ExerciseFile, LoadsTheFixture)
{
    kw::SharedState state;
    state.QuestionsFolder = GetParam().folder;
    EXPECT_EQ(kw::LoadExerciseFile(state, dataPath("exercises")), std::nullopt);
    EXPECT_EQ(imposed(state), GetParam().pairs);
    EXPECT_EQ(state.RandomAfterImposed, GetParam().randomAfter);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ExerciseFile,
                         ::testing::Values(FileCase{"bom_crlf", Pairs{}, false},
                                           FileCase{"crlf_one_then_fin", Pairs{{1, 2}}, false},
                                           FileCase{"upper_case_name", Pairs{{7, 8}, {8, 9}}, true},
                                           FileCase{"series\\nested", Pairs{{2, 1}, {2, 1}}, true},
                                           FileCase{"series/nested/", Pairs{{2, 1}, {2, 1}}, true},
                                           FileCase{"cr_cp1252", Pairs{{7, 8}, {8, 7}}, true},
                                           FileCase{"twenty_five",
                                                    Pairs{{1, 2}, {1, 5}, {1, 8}, {2, 3}, {2, 6},
                                                          {2, 9}, {3, 4}, {3, 7}, {4, 1}, {4, 5},
                                                          {4, 8}, {5, 2}, {5, 6}, {5, 9}, {6, 3},
                                                          {6, 7}, {7, 1}, {7, 4}, {7, 8}, {8, 2}},
                                                    false}));

TEST(ExerciseFile, AbsoluteFolder)
{
    kw::SharedState state;
    state.QuestionsFolder = dataPath("exercises/crlf_one_then_fin").string();
    EXPECT_EQ(kw::LoadExerciseFile(state, "/nowhere"), std::nullopt);
    EXPECT_EQ(state.ImposedCount, 1);
}

struct UnreadableCase {
    const char* folder;
    const char* message;
};

class UnreadableExerciseFile : public ::testing::TestWithParam<UnreadableCase> {};

TEST_P(UnreadableExerciseFile, GivesTheMessageAndARandomSeries)
{
    kw::SharedState state;
    state.ImposedCount = 3;
    state.QuestionsFolder = GetParam().folder;
    EXPECT_EQ(kw::LoadExerciseFile(state, dataPath("exercises")), GetParam().message);
    EXPECT_EQ(state.ImposedCount, 0);
    EXPECT_TRUE(state.RandomAfterImposed);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, UnreadableExerciseFile,
    ::testing::Values(
        UnreadableCase{"absent\\dossier",
                       "Le fichier absent\\dossier\\switchexos.kw \r\n n'est pas accessible"},
        UnreadableCase{"absent/dossier",
                       "Le fichier absent/dossier/switchexos.kw \r\n n'est pas accessible"},
        UnreadableCase{"directory",
                       "Le fichier directory/switchexos.kw \r\n n'est pas accessible"}));

TEST(UnreadableExerciseFile, FifoDoesNotHang)
{
    kw::test::TempFolder folder;
    ASSERT_EQ(::mkfifo((folder.path() / "switchexos.kw").c_str(), 0600), 0);
    kw::SharedState state;
    state.QuestionsFolder = ".";
    EXPECT_TRUE(kw::LoadExerciseFile(state, folder.path()));
    EXPECT_TRUE(state.RandomAfterImposed);
}

TEST(ExerciseFile, OnlyTheFirstMegabytesAreRead)
{
    kw::test::TempFolder folder;
    kw::SharedState state;
    state.QuestionsFolder = ".";
    // Blank lines up to the limit, the last two lines just inside it.
    const std::string tail = "1 2\nFIN\n";
    std::string text(kw::MaxTextFileBytes - tail.size(), '\n');
    folder.write("switchexos.kw", text + tail + "3 4\n");
    EXPECT_EQ(kw::LoadExerciseFile(state, folder.path()), std::nullopt);
    EXPECT_EQ(imposed(state), (Pairs{{1, 2}}));
    EXPECT_FALSE(state.RandomAfterImposed);

    // One byte further and the FIN line is cut by the limit: it is not read at all.
    folder.write("switchexos.kw", text + "\n" + tail);
    EXPECT_EQ(kw::LoadExerciseFile(state, folder.path()), std::nullopt);
    EXPECT_EQ(imposed(state), (Pairs{{1, 2}}));
    EXPECT_TRUE(state.RandomAfterImposed);
}

// ---- Drawing an exercise -----------------------------------------------------------------

TEST(DrawExercise, ImposedExercisesComeFirstWithoutUsingTheGenerator)
{
    kw::SharedState state;
    kw::readExercises(state, "1 2\n7 9\n");
    kw::SeedRandom(123456789);
    state.ExerciseNumber = 2;
    kw::DrawExercise(state);
    EXPECT_EQ(state.CurrentExercise.source, 7);
    EXPECT_EQ(state.CurrentExercise.destination, 9);
    // The switch's ageing shares the generator: an imposed exercise leaves its sequence alone.
    EXPECT_EQ(kw::RandomSeed(), 123456789u);

    state.ExerciseNumber = 3;
    kw::DrawExercise(state);
    EXPECT_NE(kw::RandomSeed(), 123456789u);
}

// Counts the destinations of many random draws (index 0 unused).
std::array<int, 10> drawMany(std::uint8_t freqMulti, int draws)
{
    kw::SharedState state;
    state.FreqMulti = freqMulti;
    state.ExerciseNumber = 1; // nothing imposed
    kw::SeedRandom(42);
    std::array<int, 10> counts{};
    for (int i = 0; i < draws; ++i) {
        kw::DrawExercise(state);
        const auto [source, destination] = state.CurrentExercise;
        EXPECT_GE(source, 1);
        EXPECT_LE(source, 8);
        EXPECT_NE(source, destination);
        EXPECT_GE(destination, 1);
        EXPECT_LE(destination, 9);
        if (destination <= 9)
            ++counts[destination];
    }
    return counts;
}

TEST(DrawExercise, FreqMultiZeroNeverGivesBroadcast)
{
    const auto counts = drawMany(0, 20000);
    EXPECT_EQ(counts[9], 0);
    for (int station = 1; station <= 8; ++station)
        EXPECT_GT(counts[station], 2000) << station;
}

TEST(DrawExercise, FreqMultiWeightsBroadcast)
{
    // Broadcast has FreqMulti chances against 7 for the other stations: 7 gives one half,
    // 255 gives 255 / 262.
    auto counts = drawMany(7, 20000);
    EXPECT_NEAR(counts[9] / 20000.0, 0.5, 0.02);
    counts = drawMany(255, 20000);
    EXPECT_NEAR(counts[9] / 20000.0, 255.0 / 262.0, 0.01);
}

TEST(DrawExercise, ExerciseZeroIsNeverTakenFromTheStore)
{
    kw::SharedState state;
    state.ImposedCount = 1;
    state.ImposedExercises[1] = {1, 2};
    state.ExerciseNumber = 0;
    kw::DrawExercise(state);
    EXPECT_NE(state.CurrentExercise.source, 0);
    EXPECT_NE(state.CurrentExercise.source, state.CurrentExercise.destination);
}

} // namespace
