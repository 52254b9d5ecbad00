// Hostile configuration and exercise files, read the way the program reads them: through the
// start-up of the core in a folder of their own. Each case names the reaction the student or
// teacher sees (a message, a documented fallback); none may crash, hang or quietly give
// something else. Big files are made here at run time, never kept in the repository.

#include "exercises.h"
#include "random.h"
#include "series.h"
#include "switchtable.h"
#include "temp_folder.h"
#include "textfile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using kw::test::TempFolder;
using namespace std::string_literals;

const std::string NothingToPlay = "Ni exercice imposé ni exercice aléatoire\n\r"
                                  "Fichier d'exercices incorrect";
const std::string AskFolder = "[parametres]\r\nquestions=exos\r\n";

std::string notFoundText(const TempFolder& folder)
{
    return "KW_switch.ini non trouvé sur " + folder.path().string();
}

std::string inaccessibleText(const std::string& fileAsShown)
{
    return "Le fichier " + fileAsShown + " \r\n n'est pas accessible";
}

// Opens every FIFO of the folder for writing, which frees a reader blocked in opening one.
void freeFifoReaders(const fs::path& folder)
{
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_fifo(error)) {
            const int fd = ::open(it->path().c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
    }
}

struct Started {
    kw::SharedState state;
    kw::StartupOutcome outcome;
};

// kw::StartUp in `folder`, watched: a reader that blocks or loops fails the test after `limit`
// instead of hanging the whole suite.
Started startUp(const TempFolder& folder, std::chrono::seconds limit = std::chrono::seconds(30))
{
    auto started = std::make_shared<Started>();
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread([started, path = folder.path().string(), done = std::move(done)]() mutable {
        started->outcome = kw::StartUp(started->state, path);
        done.set_value();
    }).detach();
    if (finished.wait_for(limit) != std::future_status::ready) {
        ADD_FAILURE() << "start-up still running after " << limit.count() << " s";
        freeFifoReaders(folder.path());
        if (finished.wait_for(std::chrono::seconds(5)) != std::future_status::ready)
            return {}; // the thread is left behind; the failure is recorded
    }
    return *started;
}

// A file of `size` bytes or more: `head`, then copies of `filler`, then `tail`.
void writeBig(const fs::path& file, const std::string& head, const std::string& filler,
              std::size_t size, const std::string& tail)
{
    std::string chunk;
    while (chunk.size() < (1u << 20))
        chunk += filler;
    std::ofstream out(file, std::ios::binary);
    out << head;
    for (std::size_t written = head.size(); written < size; written += chunk.size())
        out << chunk;
    out << tail;
    ASSERT_TRUE(out.good()) << file;
}

void expectDefaultMacs(const kw::SharedState& state)
{
    EXPECT_EQ(state.StationTable[1].mac, "00-C0-B0-69-16-25");
    EXPECT_EQ(state.StationTable[8].mac, "00-35-8A-96-01-43");
    EXPECT_EQ(state.StationTable[9].mac, "FF-FF-FF-FF-FF-FF");
}

// ---- Empty and blank configuration files --------------------------------------------------

class EmptyConfiguration : public ::testing::TestWithParam<std::string> {};

TEST_P(EmptyConfiguration, GivesEveryDefaultThenStopsForWantOfExercises)
{
    TempFolder folder;
    folder.write("kw_switch.INI", GetParam());
    const Started s = startUp(folder);
    EXPECT_FALSE(s.outcome.ok);
    EXPECT_EQ(s.outcome.errorBoxes, std::vector<std::string>{NothingToPlay});
    expectDefaultMacs(s.state);
    EXPECT_EQ(s.state.InitialEntries, "00000000");
    EXPECT_EQ(s.state.TtlMaxText, "99");
    EXPECT_EQ(s.state.FreqMulti, 1);
    EXPECT_EQ(s.state.QuestionsFolder, "");
    EXPECT_EQ(s.state.HubAuto, 0);
}

INSTANTIATE_TEST_SUITE_P(Contents, EmptyConfiguration,
                         ::testing::Values(""s, "\r\n\r\n\n\r"s, " \t \r\n\t"s,
                                           // Zeros left by a copy cut short.
                                           std::string(4096, '\0'),
                                           // Nothing but a byte-order mark.
                                           "\xEF\xBB\xBF"s, "\xFF\xFE"s, "\xFE\xFF"s,
                                           // Keys before any section belong to none.
                                           "questions=exos\r\nhub_auto=5\r\n"s));

// ---- Exercise files ----------------------------------------------------------------------

std::string exerciseLines(int count, bool withComments)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += std::to_string(i % 8 + 1) + " " + std::to_string((i + 3) % 9 + 1);
        if (withComments)
            text += "   ; exercice " + std::to_string(i + 1);
        text += "\r\n";
    }
    return text;
}

std::string utf16(const std::string& ascii, bool bigEndian)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : ascii) {
        out += bigEndian ? '\0' : c;
        out += bigEndian ? c : '\0';
    }
    return out;
}

struct SeriesCase {
    const char* name;
    std::function<std::string()> text;
    int imposed;
    bool randomAfter;
    kw::ExercisePair first = {};
    kw::ExercisePair last = {};
};

void PrintTo(const SeriesCase& c, std::ostream* os)
{
    *os << c.name;
}

class HostileExerciseFile : public ::testing::TestWithParam<SeriesCase> {};

TEST_P(HostileExerciseFile, GivesTheSeriesOrTheMessage)
{
    const SeriesCase& c = GetParam();
    TempFolder folder;
    folder.write("kw_switch.INI", AskFolder);
    folder.write("exos/switchexos.kw", c.text());
    const Started s = startUp(folder);
    const bool playable = c.imposed > 0 || c.randomAfter;
    EXPECT_EQ(s.outcome.ok, playable);
    EXPECT_EQ(s.outcome.errorBoxes,
              playable ? std::vector<std::string>{} : std::vector<std::string>{NothingToPlay});
    EXPECT_EQ(s.state.ImposedCount, c.imposed);
    EXPECT_EQ(s.state.RandomAfterImposed, c.randomAfter);
    if (c.imposed > 0) {
        const kw::ExercisePair first = s.state.ImposedExercises[1];
        const kw::ExercisePair last = s.state.ImposedExercises[s.state.ImposedCount];
        EXPECT_EQ(first.source, c.first.source);
        EXPECT_EQ(first.destination, c.first.destination);
        EXPECT_EQ(last.source, c.last.source);
        EXPECT_EQ(last.destination, c.last.destination);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, HostileExerciseFile,
    ::testing::Values(
        SeriesCase{"Empty", [] { return ""s; }, 0, true},
        SeriesCase{"OnlyComments",
                   [] { return "; Série du mardi\r\n; à compléter\r\n\r\n   \r\n"s; }, 0, true},
        SeriesCase{"OnlyFinWithoutLineEnd", [] { return "FIN"s; }, 0, false},
        SeriesCase{"OnlyFinAfterCarriageReturns", [] { return "\r\r\rFIN\r"s; }, 0, false},
        SeriesCase{
            "NulBytes", [] { return "\0\0\0\n\0\x31\0\x32\n\0FIN\n"s; }, 1, true, {1, 2}, {1, 2}},
        SeriesCase{
            "Windows1252Comments",
            [] { return "; S\xe9rie n\xb0 1\r\n\xe9 1 2\r\n1 2 \xab Machine 1 \xbb\r\nFIN"s; },
            1,
            false,
            {1, 2},
            {1, 2}},
        SeriesCase{"Utf16LittleEndian",
                   [] { return utf16("1 2\r\n7,9\r\nFIN\r\n", false); },
                   2,
                   false,
                   {1, 2},
                   {7, 9}},
        SeriesCase{"Utf16BigEndian",
                   [] { return utf16("8-1\r\nFIN\r\n", true); },
                   1,
                   false,
                   {8, 1},
                   {8, 1}},
        SeriesCase{"MegabyteLines",
                   [] {
                       return std::string(1 << 20, ' ') + "3 9\r\n; " + std::string(1 << 20, 'x') +
                              "\r\nFIN\r\n";
                   },
                   1,
                   false,
                   {3, 9},
                   {3, 9}},
        SeriesCase{"ThousandLinesWithoutFin",
                   [] { return exerciseLines(1000, true); },
                   20,
                   true,
                   {1, 4},
                   {4, 5}},
        SeriesCase{"ThousandLinesThenFin",
                   [] { return exerciseLines(1000, false) + "FIN\r\n"; },
                   20,
                   false,
                   {1, 4},
                   {4, 5}},
        SeriesCase{"FinRightAfterTheTwentieth",
                   [] { return exerciseLines(20, true) + "FIN\r\n1 2\r\n"; },
                   20,
                   false,
                   {1, 4},
                   {4, 5}},
        SeriesCase{"ThousandUnusableLines",
                   [] {
                       std::string text;
                       for (int i = 0; i < 250; ++i)
                           text += "x 1 2\r\n9 1\r\n4 4\r\n 10\r\n";
                       return text;
                   },
                   0, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Twenty exercises, then "FIN": the series plays them in order and ends after the twentieth.
TEST(HostileExerciseFile, TwentyImposedThenFinEndsAfterTheTwentieth)
{
    TempFolder folder;
    folder.write("kw_switch.INI", AskFolder);
    folder.write("exos/switchexos.kw", exerciseLines(20, true) + "FIN\r\n");
    Started s = startUp(folder);
    ASSERT_TRUE(s.outcome.ok);
    for (int k = 1; k <= 20; ++k) {
        kw::StartExercise(s.state, 0.0);
        EXPECT_EQ(s.state.CurrentExercise.source, (k - 1) % 8 + 1) << k;
        EXPECT_EQ(s.state.CurrentExercise.destination, (k + 2) % 9 + 1) << k;
        EXPECT_EQ(kw::SeriesEnded(s.state), k == 20) << k;
    }
    EXPECT_EQ(kw::ExerciseNumberCaption(s.state), "Exercice n° = 20  (20)");
}

// ---- Something else where a file is expected --------------------------------------------

enum class Thing { Directory, Fifo, DanglingLink, LinkLoop, LinkToDevZero, LinkToDirectory };

struct ThingCase {
    const char* name;
    Thing thing;
    bool configuration; // in place of kw_switch.INI, else of exos/switchexos.kw
};

void makeThing(const fs::path& where, Thing thing)
{
    fs::create_directories(where.parent_path());
    switch (thing) {
    case Thing::Directory:
        fs::create_directory(where);
        break;
    case Thing::Fifo:
        ASSERT_EQ(::mkfifo(where.c_str(), 0600), 0);
        break;
    case Thing::DanglingLink:
        fs::create_symlink(where.parent_path() / "absent", where);
        break;
    case Thing::LinkLoop:
        fs::create_symlink(where.filename().string() + ".autre", where);
        fs::create_symlink(where.filename(), where.string() + ".autre");
        break;
    case Thing::LinkToDevZero:
        fs::create_symlink("/dev/zero", where);
        break;
    case Thing::LinkToDirectory:
        fs::create_symlink(".", where);
        break;
    }
}

void PrintTo(const ThingCase& c, std::ostream* os)
{
    *os << c.name;
}

class NotAFile : public ::testing::TestWithParam<ThingCase> {};

TEST_P(NotAFile, CountsAsMissingWithoutWaiting)
{
    const ThingCase& c = GetParam();
    TempFolder folder;
    if (c.configuration) {
        makeThing(folder.path() / "kw_switch.INI", c.thing);
    } else {
        folder.write("kw_switch.INI", AskFolder);
        makeThing(folder.path() / "exos" / "switchexos.kw", c.thing);
    }
    const auto begin = std::chrono::steady_clock::now();
    const Started s = startUp(folder, std::chrono::seconds(10));
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(5));
    if (c.configuration) {
        EXPECT_FALSE(s.outcome.ok);
        EXPECT_EQ(s.outcome.errorBoxes, std::vector<std::string>{notFoundText(folder)});
    } else {
        // The message, then a random series.
        EXPECT_TRUE(s.outcome.ok);
        EXPECT_EQ(s.outcome.errorBoxes,
                  std::vector<std::string>{inaccessibleText("exos/switchexos.kw")});
        EXPECT_EQ(s.state.ImposedCount, 0);
        EXPECT_TRUE(s.state.RandomAfterImposed);
    }
}

// (A directory or a FIFO named kw_switch.INI is tested with the start-up itself.)
INSTANTIATE_TEST_SUITE_P(
    Things, NotAFile,
    ::testing::Values(ThingCase{"ConfigurationDanglingLink", Thing::DanglingLink, true},
                      ThingCase{"ConfigurationLinkLoop", Thing::LinkLoop, true},
                      ThingCase{"ConfigurationLinkToDevZero", Thing::LinkToDevZero, true},
                      ThingCase{"ConfigurationLinkToDirectory", Thing::LinkToDirectory, true},
                      ThingCase{"ExercisesDirectory", Thing::Directory, false},
                      ThingCase{"ExercisesFifo", Thing::Fifo, false},
                      ThingCase{"ExercisesDanglingLink", Thing::DanglingLink, false},
                      ThingCase{"ExercisesLinkLoop", Thing::LinkLoop, false},
                      ThingCase{"ExercisesLinkToDevZero", Thing::LinkToDevZero, false},
                      ThingCase{"ExercisesLinkToDirectory", Thing::LinkToDirectory, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NotAFile, LinkToARealFileIsFollowed)
{
    TempFolder folder;
    folder.write("ailleurs/config.ini", AskFolder);
    folder.write("ailleurs/exos.txt", "5 6\r\nFIN\r\n");
    fs::create_symlink("ailleurs/config.ini", folder.path() / "kw_switch.INI");
    fs::create_directory(folder.path() / "exos");
    fs::create_symlink("../ailleurs/exos.txt", folder.path() / "exos" / "switchexos.kw");
    const Started s = startUp(folder);
    EXPECT_TRUE(s.outcome.ok);
    EXPECT_EQ(s.state.ImposedCount, 1);
}

TEST(NotAFile, UnreadableFilesCountAsMissing)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root, which reads files whatever their permissions";
    {
        TempFolder folder;
        const auto ini = folder.write("kw_switch.INI", AskFolder);
        fs::permissions(ini, fs::perms::none);
        const Started s = startUp(folder);
        EXPECT_FALSE(s.outcome.ok);
        EXPECT_EQ(s.outcome.errorBoxes, std::vector<std::string>{notFoundText(folder)});
    }
    {
        TempFolder folder;
        folder.write("kw_switch.INI", AskFolder);
        fs::permissions(folder.write("exos/switchexos.kw", "1 2\r\nFIN\r\n"), fs::perms::none);
        const Started s = startUp(folder);
        EXPECT_TRUE(s.outcome.ok);
        EXPECT_EQ(s.outcome.errorBoxes,
                  std::vector<std::string>{inaccessibleText("exos/switchexos.kw")});
        EXPECT_TRUE(s.state.RandomAfterImposed);
    }
    {
        // A folder that cannot be searched.
        TempFolder folder;
        folder.write("kw_switch.INI", AskFolder);
        folder.write("exos/switchexos.kw", "1 2\r\nFIN\r\n");
        fs::permissions(folder.path() / "exos", fs::perms::none);
        const Started s = startUp(folder);
        fs::permissions(folder.path() / "exos", fs::perms::owner_all);
        EXPECT_TRUE(s.outcome.ok);
        EXPECT_EQ(s.outcome.errorBoxes,
                  std::vector<std::string>{inaccessibleText("exos/switchexos.kw")});
        EXPECT_EQ(s.state.ImposedCount, 0);
    }
}

// `questions` names a file: the usual slip is to name the exercise file itself.
struct NamedFile {
    const char* questions;
    const char* shown; // in the message, the exercise file's name joined to it
};

class QuestionsNamesAFile : public ::testing::TestWithParam<NamedFile> {};

TEST_P(QuestionsNamesAFile, GivesTheMessageThenARandomSeries)
{
    TempFolder folder;
    folder.write("kw_switch.INI", "[parametres]\r\nquestions="s + GetParam().questions + "\r\n");
    folder.write("exos/switchexos.kw", "1 2\r\nFIN\r\n");
    folder.write("notes.txt", "1 2\r\nFIN\r\n");
    const Started s = startUp(folder);
    EXPECT_TRUE(s.outcome.ok);
    EXPECT_EQ(s.outcome.errorBoxes, std::vector<std::string>{inaccessibleText(GetParam().shown)});
    EXPECT_EQ(s.state.ImposedCount, 0);
    EXPECT_TRUE(s.state.RandomAfterImposed);
}

INSTANTIATE_TEST_SUITE_P(
    Values, QuestionsNamesAFile,
    ::testing::Values(NamedFile{"notes.txt", "notes.txt/switchexos.kw"},
                      NamedFile{"exos\\switchexos.kw", "exos\\switchexos.kw\\switchexos.kw"},
                      NamedFile{"kw_switch.INI", "kw_switch.INI/switchexos.kw"},
                      NamedFile{"exos/switchexos.kw/", "exos/switchexos.kw//switchexos.kw"}));

// ---- Integer keys at and beyond their limits ----------------------------------------------

struct IntegerCase {
    const char* line;
    const char* ttlMax;
    int freqMulti;
    int hubAuto;
};

void PrintTo(const IntegerCase& c, std::ostream* os)
{
    *os << c.line;
}

class IntegerKeys : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IntegerKeys, ReadClampedOrDefault)
{
    const IntegerCase& c = GetParam();
    TempFolder folder;
    folder.write("kw_switch.INI", AskFolder + c.line + "\r\n");
    folder.write("exos/switchexos.kw", "1 2\r\n");
    const Started s = startUp(folder);
    ASSERT_TRUE(s.outcome.ok);
    EXPECT_EQ(s.state.TtlMaxText, c.ttlMax);
    EXPECT_EQ(s.state.FreqMulti, c.freqMulti);
    EXPECT_EQ(s.state.HubAuto, c.hubAuto);
    for (int slot = 1; slot <= kw::MaxHubAuto; ++slot)
        EXPECT_EQ(s.state.HubAutoSlots[slot], slot <= c.hubAuto) << slot;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, IntegerKeys,
    ::testing::Values(
        // ttl_max: a byte, 99 when the text is not an integer.
        IntegerCase{"ttl_max=0", "0", 1, 0}, IntegerCase{"ttl_max=255", "255", 1, 0},
        IntegerCase{"ttl_max=256", "255", 1, 0}, IntegerCase{"ttl_max=0xFF", "255", 1, 0},
        IntegerCase{"ttl_max=0x100", "255", 1, 0}, IntegerCase{"ttl_max=-$10", "0", 1, 0},
        IntegerCase{"ttl_max=2147483647", "255", 1, 0},
        IntegerCase{"ttl_max=-2147483648", "0", 1, 0}, IntegerCase{"ttl_max=0xFFFFFFFF", "0", 1, 0},
        IntegerCase{"ttl_max=   42\t", "42", 1, 0}, IntegerCase{"ttl_max=\"42\"", "42", 1, 0},
        IntegerCase{"ttl_max=12abc", "99", 1, 0}, IntegerCase{"ttl_max=12 ans", "99", 1, 0},
        IntegerCase{"ttl_max=12;commentaire", "99", 1, 0},
        IntegerCase{"ttl_max=2147483648", "99", 1, 0}, IntegerCase{"ttl_max=-0x10", "99", 1, 0},
        IntegerCase{"ttl_max=0x", "99", 1, 0}, IntegerCase{"ttl_max=1e2", "99", 1, 0},
        IntegerCase{"ttl_max=\xef\xbc\x91\xef\xbc\x92", "99", 1, 0}, // full-width digits
        // freq_multi: a byte, 1 when the text is not an integer.
        IntegerCase{"freq_multi=255", "99", 255, 0}, IntegerCase{"freq_multi=0x1FF", "99", 255, 0},
        IntegerCase{"freq_multi=-1", "99", 0, 0}, IntegerCase{"freq_multi=-2147483648", "99", 0, 0},
        IntegerCase{"freq_multi=3 x", "99", 1, 0}, IntegerCase{"freq_multi=1.5", "99", 1, 0},
        IntegerCase{"freq_multi=$", "99", 1, 0},
        // hub_auto: 0..16, 0 when the text is not an integer.
        IntegerCase{"hub_auto=16", "99", 1, 16}, IntegerCase{"hub_auto=17", "99", 1, 16},
        IntegerCase{"hub_auto=0", "99", 1, 0}, IntegerCase{"hub_auto=-1", "99", 1, 0},
        IntegerCase{"hub_auto=0x11", "99", 1, 16}, IntegerCase{"hub_auto=$F", "99", 1, 15},
        IntegerCase{"hub_auto=+16", "99", 1, 16}, IntegerCase{"hub_auto=2147483647", "99", 1, 16},
        IntegerCase{"hub_auto=99999999999", "99", 1, 0}, IntegerCase{"hub_auto=2abc", "99", 1, 0},
        IntegerCase{"hub_auto=0x0000000010", "99", 1, 16}));

// ---- entrees_initiales, as the switch's first table takes it -------------------------------

struct EntriesCase {
    const char* name;
    std::string value;
    // Rows 1 to 8: a station digit, '=' for a repeated station (a Ttl and nothing else), ' '
    // for a row left wholly empty.
    const char* rows;
};

void PrintTo(const EntriesCase& c, std::ostream* os)
{
    *os << c.name;
}

class InitialEntries : public ::testing::TestWithParam<EntriesCase> {};

TEST_P(InitialEntries, FillTheFirstTable)
{
    const EntriesCase& c = GetParam();
    TempFolder folder;
    folder.write("kw_switch.INI", AskFolder + "entrees_initiales=" + c.value + "\r\n");
    folder.write("exos/switchexos.kw", "1 2\r\n");
    const Started s = startUp(folder);
    ASSERT_TRUE(s.outcome.ok);
    const kw::SwitchTable table =
        kw::InitSwitchTable(s.state.InitialEntries, s.state.TtlMaxText,
                            [&](int station) { return s.state.StationTable[station].mac; });
    for (int r = 1; r <= 8; ++r) {
        SCOPED_TRACE("row " + std::to_string(r));
        const kw::SwitchRow& row = table.rows[static_cast<std::size_t>(r)];
        const char expected = c.rows[r - 1];
        if (expected >= '1' && expected <= '8') {
            const int station = expected - '0';
            EXPECT_EQ(row.address, s.state.StationTable[station].mac);
            EXPECT_EQ(row.port, std::to_string(kw::SwitchPortOf(station)));
        } else {
            EXPECT_EQ(row.address, "");
            EXPECT_EQ(row.port, "");
        }
        if (expected == ' ') {
            EXPECT_EQ(row.ttl, "");
        } else {
            const int ttl = kw::TtlFromText(row.ttl);
            EXPECT_EQ(std::to_string(ttl), row.ttl);
            EXPECT_GE(ttl, 1);
            EXPECT_LE(ttl, 99);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Values, InitialEntries,
    ::testing::Values(EntriesCase{"Letters", "abcdefgh", "        "},
                      EntriesCase{"Zero", "0", "        "}, EntriesCase{"Nine", "9", "        "},
                      EntriesCase{"Nines", "99999999", "        "},
                      EntriesCase{"PresentButEmpty", "", "        "},
                      EntriesCase{"SameStationEightTimes", "11111111", "1======="},
                      EntriesCase{"RepeatedPairs", "1212", "12==    "},
                      EntriesCase{"NineCharacters", "123456789", "12345678"},
                      EntriesCase{"SixteenCharacters", "8765432112345678", "87654321"},
                      EntriesCase{"Megabyte", std::string(1 << 20, '7'), "7======="},
                      EntriesCase{"BlanksAround", "  12\t", "12      "},
                      EntriesCase{"QuotedWithBlank", "\"1 2\"", "1 2     "},
                      EntriesCase{"TabInside", "3\t4", "3 4     "},
                      EntriesCase{"NulInside",
                                  "12\0"s
                                  "34",
                                  "12      "},
                      // One accented letter is one character, whatever its encoding in the file.
                      EntriesCase{"AccentUtf8", "é2345678", " 2345678"},
                      EntriesCase{"AccentWindows1252",
                                  "\xe9"
                                  "2345678",
                                  " 2345678"},
                      EntriesCase{"FullWidthDigits",
                                  "\xef\xbc\x91\xef\xbc\x92"
                                  "345",
                                  "  345   "}),
    [](const auto& info) { return std::string(info.param.name); });

// Called with bytes that are not UTF-8 (the configuration never gives such a text), the bytes
// still make rows, so that there is always a row to share the Ttl among.
TEST(InitialEntries, StrayBytesStillMakeRows)
{
    const auto mac = [](int) { return "02-00-00-00-00-01"s; };
    kw::SwitchTable table = kw::InitSwitchTable("\x80\xbf"
                                                "1",
                                                "99", mac);
    EXPECT_EQ(table.rows[1], kw::SwitchRow{});
    EXPECT_EQ(table.rows[2].port, "1");
    EXPECT_EQ(table.rows[3], kw::SwitchRow{});
    table = kw::InitSwitchTable("\xbf\xbf\xbf", "99", mac);
    EXPECT_EQ(table, kw::SwitchTable{});
}

// ---- Huge files, long lines, NUL bytes ------------------------------------------------------

// Only the first 8 MB are read: what lies beyond is as absent, and reading stays quick. Millions
// of empty lines cost no more than a few long ones.
class FiftyMegabytes : public ::testing::TestWithParam<const char*> {};

TEST_P(FiftyMegabytes, AreReadUpToTheLimit)
{
    TempFolder folder;
    const std::string head =
        "[adresses MAC]\r\nMachine1=02-00-00-00-00-01\r\n" + AskFolder + "hub_auto=5\r\n";
    writeBig(folder.path() / "kw_switch.INI", head, GetParam(), 50u << 20,
             "ttl_max=7\r\n[adresses MAC]\r\nMachine2=02-00-00-00-00-02\r\n");
    ASSERT_GE(fs::file_size(folder.path() / "kw_switch.INI"), 50u << 20);
    folder.write("exos/switchexos.kw", "1 2\r\n");
    const Started s = startUp(folder);
    EXPECT_TRUE(s.outcome.ok);
    EXPECT_EQ(s.state.StationTable[1].mac, "02-00-00-00-00-01");
    EXPECT_EQ(s.state.HubAuto, 5);
    EXPECT_EQ(s.state.TtlMaxText, "99");
    EXPECT_EQ(s.state.StationTable[2].mac, "00-C0-B0-08-31-A4");
}

INSTANTIATE_TEST_SUITE_P(
    Fillers, FiftyMegabytes,
    ::testing::Values("; remplissage remplissage remplissage remplissage remplissage\r\n", "\r\n",
                      "\n"));

// Hundreds of thousands of different names: each one is looked up among those already read,
// which must not cost a pass over all of them.
TEST(HugeConfiguration, ManyDifferentNamesAreReadQuickly)
{
    TempFolder folder;
    std::string text = AskFolder;
    for (int i = 0; i < 100000; ++i)
        text += "cle" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    text += "hub_auto=3\nHUB_AUTO=4\n";
    for (int i = 0; i < 20000; ++i)
        text += "[section " + std::to_string(i) + "]\nx=1\n";
    text += "[PARAMETRES]\nhub_auto=6\nttl_max=50\n";
    folder.write("kw_switch.INI", text);
    folder.write("exos/switchexos.kw", "1 2\r\n");
    const auto begin = std::chrono::steady_clock::now();
    const Started s = startUp(folder);
    // A pass over all names per name would take minutes here.
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::seconds(15));
    EXPECT_TRUE(s.outcome.ok);
    // The first of two equal keys wins, and a repeated section adds nothing.
    EXPECT_EQ(s.state.HubAuto, 3);
    EXPECT_EQ(s.state.TtlMaxText, "99");
}

TEST(HugeConfiguration, MegabyteLinesKeepTheirFirst2047Characters)
{
    TempFolder folder;
    const std::string megabyte(1 << 20, 'A');
    folder.write("kw_switch.INI", ";" + megabyte + "\r\n[" + megabyte + "]\r\n" +
                                      "[adresses MAC]\r\nMachine1=" + megabyte +
                                      "\r\nMachine2=" + std::string(1 << 20, '\xe9') + "\r\n" +
                                      "[parametres]\r\nquestions=" + megabyte + "\r\n");
    const Started s = startUp(folder);
    EXPECT_EQ(s.state.StationTable[1].mac, std::string(2047, 'A'));
    // Characters, not bytes: 2047 letters é from Windows-1252.
    std::string accents;
    for (int i = 0; i < 2047; ++i)
        accents += "é";
    EXPECT_EQ(s.state.StationTable[2].mac, accents);
    // The cut folder is not found: its message, then a random series.
    EXPECT_TRUE(s.outcome.ok);
    EXPECT_EQ(s.outcome.errorBoxes, std::vector<std::string>{inaccessibleText(
                                        std::string(2047, 'A') + "/switchexos.kw")});
    EXPECT_TRUE(s.state.RandomAfterImposed);
}

TEST(HostileConfiguration, NulBytesEndTheirLine)
{
    TempFolder folder;
    folder.write("kw_switch.INI", "[adresses MAC]\r\n"
                                  "Machine1=02-00\0 reste\r\n"
                                  "\0Machine2=02-00-00-00-00-02\r\n"
                                  "[parametres]\r\n"
                                  "hub_auto=3\0 7\r\n"
                                  "questions=exos\0/ailleurs\r\n"
                                  "ttl_max\0=50\r\n"s);
    folder.write("exos/switchexos.kw", "1 2\r\n");
    const Started s = startUp(folder);
    EXPECT_TRUE(s.outcome.ok);
    EXPECT_EQ(s.state.StationTable[1].mac, "02-00");
    EXPECT_EQ(s.state.StationTable[2].mac, "00-C0-B0-08-31-A4");
    EXPECT_EQ(s.state.HubAuto, 3);
    EXPECT_EQ(s.state.QuestionsFolder, "exos");
    EXPECT_EQ(s.state.TtlMaxText, "99");
    EXPECT_EQ(s.state.ImposedCount, 1);
}

// ---- Encodings -----------------------------------------------------------------------------

// Texts that are not UTF-8 are read as Windows-1252, so that every name and message is shown
// as the teacher typed it, never as broken bytes.
TEST(HostileConfiguration, TextsThatAreNotUtf8AreShownDecoded)
{
    TempFolder folder;
    folder.write("kw_switch.INI", "[adresses MAC]\r\n"
                                  "Machine1=Entr\xe9"
                                  "e\r\n"
                                  "Machine2=\xc3\r\n"             // a sequence cut short
                                  "Machine3=\xc0\xaf\r\n"         // an overlong form
                                  "Machine4=\x80\x92\x9c\r\n"     // Windows-1252 punctuation
                                  "Machine5=\xed\xa0\x80\r\n"     // a lone surrogate
                                  "Machine6=\xf4\x90\x80\x80\r\n" // above U+10FFFF
                                  "ServeurA=caf\xc3\xa9\r\n"      // real UTF-8 stays
                                  "[parametres]\r\n"
                                  "questions=s\xe9ries\\B\xe2timent C\r\n");
    const Started s = startUp(folder);
    EXPECT_EQ(s.state.StationTable[1].mac, "Entrée");
    EXPECT_EQ(s.state.StationTable[2].mac, "Ã");
    EXPECT_EQ(s.state.StationTable[3].mac, "À¯");
    EXPECT_EQ(s.state.StationTable[4].mac, "€’œ");
    EXPECT_EQ(s.state.StationTable[7].mac, "café");
    for (const kw::StationEntry& station : s.state.StationTable)
        EXPECT_TRUE(kw::isValidUtf8(station.mac)) << station.mac;
    EXPECT_TRUE(s.outcome.ok);
    EXPECT_EQ(s.outcome.errorBoxes,
              std::vector<std::string>{inaccessibleText("séries\\Bâtiment C\\switchexos.kw")});
}

// A configuration saved in Windows-1252 still finds a folder whose name has an accent.
TEST(HostileConfiguration, Windows1252FolderNameFindsTheFolder)
{
    TempFolder folder;
    folder.write("kw_switch.INI", "[parametres]\r\nquestions=s\xe9ries\\ann\xe9"
                                  "e 1\r\n");
    folder.write("séries/année 1/switchexos.kw", "4 5\r\nFIN\r\n");
    const Started s = startUp(folder);
    EXPECT_TRUE(s.outcome.ok);
    EXPECT_TRUE(s.outcome.errorBoxes.empty());
    EXPECT_EQ(s.state.ImposedCount, 1);
    EXPECT_FALSE(s.state.RandomAfterImposed);
}

} // namespace
