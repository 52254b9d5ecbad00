#include "profile.h"
#include "temp_folder.h"
#include "textfile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <optional>
#include <string>

namespace {

using kw::ProfileFile;
using kw::test::dataPath;

ProfileFile loadFixture(const std::string& name)
{
    const auto profile = ProfileFile::load(dataPath("profile/" + name));
    EXPECT_TRUE(profile.has_value()) << name;
    return profile.value_or(ProfileFile::parse(""));
}

// ---- Integers -------------------------------------------------------------------------

struct IntCase {
    const char* text;
    std::optional<std::int32_t> value;
};

class ProfileInt : public ::testing::TestWithParam<IntCase> {};

TEST_P(ProfileInt, ParsesLikeTheProfileFunctions)
{
    EXPECT_EQ(kw::parseProfileInt(GetParam().text), GetParam().value)
        << '"' << GetParam().text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ProfileInt,
    ::testing::Values(
        IntCase{"0", 0}, IntCase{"42", 42}, IntCase{"-42", -42}, IntCase{"+7", 7},
        IntCase{"007", 7}, IntCase{"2147483647", 2147483647},
        IntCase{"-2147483648", -2147483647 - 1}, IntCase{"2147483648", std::nullopt},
        IntCase{"-2147483649", std::nullopt}, IntCase{"99999999999999999999", std::nullopt},
        IntCase{"0x10", 16}, IntCase{"0X1f", 31}, IntCase{"0xFFFFFFFF", -1},
        IntCase{"0x000000010", 16}, IntCase{"0x100000000", std::nullopt},
        IntCase{"0x", std::nullopt}, IntCase{"0x1g", std::nullopt}, IntCase{"0x-1", std::nullopt},
        IntCase{"$10", 16}, IntCase{"$ff", 255}, IntCase{"$FFFFFFFF", -1},
        IntCase{"$80000000", -2147483647 - 1}, IntCase{"-$10", -16}, IntCase{"$", std::nullopt},
        IntCase{"$G", std::nullopt}, IntCase{"$123456789", std::nullopt}, IntCase{"", std::nullopt},
        IntCase{"-", std::nullopt}, IntCase{"+-1", std::nullopt}, IntCase{"12abc", std::nullopt},
        IntCase{"1 2", std::nullopt}, IntCase{" 12", std::nullopt}, IntCase{"1e3", std::nullopt},
        IntCase{"0,5", std::nullopt}));

// ---- Reading a file as Windows does ----------------------------------------------------

struct ValueCase {
    const char* file;
    const char* section;
    const char* key;
    std::optional<std::string> value;
};

class ProfileValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ProfileValue, ReadsWhatWindowsReads)
{
    const ValueCase& c = GetParam();
    EXPECT_EQ(loadFixture(c.file).value(c.section, c.key), c.value)
        << c.file << " [" << c.section << "] " << c.key;
}

INSTANTIATE_TEST_SUITE_P(
    WindowsEditor, ProfileValue,
    ::testing::Values(
        // Behind a byte-order mark, with CRLF, names in any letter case.
        ValueCase{"windows_editor.ini", "adresses MAC", "Machine1", "00-11-22-33-44-55"},
        ValueCase{"windows_editor.ini", "ADRESSES mac", "machine2", "00-11-22-33-44-66"},
        ValueCase{"windows_editor.ini", "adresses MAC", "ServeurA", "00-35-8A-96-01-99"},
        ValueCase{"windows_editor.ini", "adresses MAC", "ServeurB", "00-35-8A-96-01-98"},
        ValueCase{"windows_editor.ini", "adresses MAC", "Machine3", "\"00-10-2B-88-00-34'"},
        ValueCase{"windows_editor.ini", "adresses MAC", "Machine4", "\""},
        ValueCase{"windows_editor.ini", "adresses MAC", "Machine5", ""},
        ValueCase{"windows_editor.ini", "adresses MAC", "Machine6",
                  "00-AA \"milieu\" 00 ; pas un commentaire"},
        ValueCase{"windows_editor.ini", "adresses MAC", "# ce n'est pas un commentaire",
                  "mais une clé"},
        ValueCase{"windows_editor.ini", "adresses MAC", "ligne sans signe égal", std::nullopt},
        ValueCase{"windows_editor.ini", "adresses MAC", "Machine7", std::nullopt},
        ValueCase{"windows_editor.ini", "parametres", "entrees_initiales", ""},
        ValueCase{"windows_editor.ini", "parametres", "questions", "C:\\exos\\serie 1"},
        ValueCase{"windows_editor.ini", "parametres", "clé", "a=b"},
        ValueCase{"windows_editor.ini", "parametres", "hub_auto", std::nullopt},
        ValueCase{"windows_editor.ini", "absente", "Machine1", std::nullopt},
        // CR alone ends lines; bytes that are not UTF-8 are Windows-1252.
        ValueCase{"cp1252_cr.ini", "textes", "francais", "Entrée € ’ déjà"},
        ValueCase{"cp1252_cr.ini", "textes", "utf8", "Entrée déjà"},
        ValueCase{"cp1252_cr.ini", "textes", "nul", "avant"},
        ValueCase{"cp1252_cr.ini", "textes", "orpheline", std::nullopt},
        ValueCase{"cp1252_cr.ini", "parametres", "ttl_max", "$ff"},
        // Saved as UTF-16 by Notepad.
        ValueCase{"utf16le.ini", "adresses MAC", "Machine1", "00-01-02-03-04-05"},
        ValueCase{"utf16le.ini", "adresses MAC", "ServeurA", "Entrée"}));

TEST(ProfileFile, DefaultsOnlyWhenAbsent)
{
    const ProfileFile profile = loadFixture("windows_editor.ini");
    EXPECT_EQ(profile.readString("parametres", "entrees_initiales", "00000000"), "");
    EXPECT_EQ(profile.readString("parametres", "absente", "00000000"), "00000000");
    EXPECT_EQ(profile.readInt("parametres", "ttl_max", 99), 16);
    EXPECT_EQ(profile.readInt("parametres", "questions", 99), 99);
    EXPECT_EQ(profile.readInt("parametres", "entrees_initiales", 99), 99);
    EXPECT_EQ(profile.readInt("parametres", "hub_auto", 3), 3);
    EXPECT_EQ(loadFixture("cp1252_cr.ini").readInt("parametres", "ttl_max", 99), 255);
}

TEST(ProfileFile, LongValuesKeepTheirFirst2047Characters)
{
    const ProfileFile profile = loadFixture("long_values.ini");
    const std::string ascii = profile.readString("valeurs", "ascii", "");
    ASSERT_EQ(ascii.size(), 2047u);
    EXPECT_EQ(ascii.substr(0, 3), "ABC");
    // Quotes are removed before the cut, so the value starts with a letter.
    const std::string quoted = profile.readString("valeurs", "quoted", "");
    EXPECT_EQ(quoted, ascii);
    // Characters, not bytes: an accented letter is never cut in half.
    const std::string accents = profile.readString("valeurs", "accents", "");
    EXPECT_EQ(accents.size(), 2047u * 2);
    EXPECT_TRUE(kw::isValidUtf8(accents));
}

TEST(ProfileFile, UnreadablePathsGiveNothing)
{
    kw::test::TempFolder folder;
    EXPECT_FALSE(ProfileFile::load(folder.path() / "absent.ini"));
    // A directory carrying the file's name.
    EXPECT_FALSE(ProfileFile::load(folder.path()));
    // A FIFO without writer would block an ordinary open.
    const auto fifo = folder.path() / "fifo.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ProfileFile::load(fifo));
}

// ---- Text helpers ------------------------------------------------------------------------

TEST(TextFile, LineEndsOfEveryKind)
{
    using V = std::vector<std::string_view>;
    EXPECT_EQ(kw::splitLines("a\r\nb\nc\rd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(kw::splitLines("a\r\r\nb\n"), (V{"a", "", "b"}));
    EXPECT_EQ(kw::splitLines("\n\n"), (V{"", ""}));
    EXPECT_EQ(kw::splitLines(""), V{});
}

struct DecodeCase {
    const char* bytes;
    const char* utf8;
};

class Decoding : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Decoding, Utf8WhenValidElseWindows1252)
{
    EXPECT_EQ(kw::toUtf8(GetParam().bytes), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(Texts, Decoding,
                         ::testing::Values(DecodeCase{"plain", "plain"},
                                           DecodeCase{"caf\xc3\xa9", "café"},
                                           DecodeCase{"caf\xe9", "café"}, DecodeCase{"\x80", "€"},
                                           DecodeCase{"\x81", "\xc2\x81"},
                                           // An overlong form and a lone surrogate are not UTF-8.
                                           DecodeCase{"\xc0\xaf", "À¯"},
                                           DecodeCase{"\xed\xa0\x80", "í\xc2\xa0€"},
                                           // A sequence cut short.
                                           DecodeCase{"\xc3", "Ã"}));

TEST(TextFile, HugeFilesAreCutAtALineEnd)
{
    kw::test::TempFolder folder;
    std::string bytes;
    const std::string line = "0123456789abcdef0123456789abcdef\r\n"; // 34 bytes
    while (bytes.size() <= kw::MaxTextFileBytes)
        bytes += line;
    const auto file = folder.write("big.txt", bytes);
    const auto text = kw::readTextFile(file);
    ASSERT_TRUE(text);
    EXPECT_LE(text->size(), kw::MaxTextFileBytes);
    EXPECT_EQ(text->size() % line.size(), 0u) << "the last line is whole or absent";

    // One line longer than the limit: nothing of it is kept.
    const auto single = folder.write("one_line.txt", std::string(kw::MaxTextFileBytes + 5, 'x'));
    EXPECT_EQ(kw::readTextFile(single), "");
}

TEST(TextFile, FileNamesDifferingInCase)
{
    kw::test::TempFolder folder;
    EXPECT_FALSE(kw::findFileIgnoringCase(folder.path(), "kw_switch.INI"));
    folder.write("KW_Switch.ini", "b");
    folder.write("kw_SWITCH.ini", "a");
    EXPECT_EQ(kw::findFileIgnoringCase(folder.path(), "kw_switch.INI"),
              folder.path() / "KW_Switch.ini");
    folder.write("kw_switch.INI", "exact");
    EXPECT_EQ(kw::findFileIgnoringCase(folder.path(), "kw_switch.INI"),
              folder.path() / "kw_switch.INI");
    // A directory with the exact name does not hide a regular file with another case.
    std::filesystem::create_directory(folder.path() / "switchexos.kw");
    folder.write("SWITCHEXOS.KW", "1 2");
    EXPECT_EQ(kw::findFileIgnoringCase(folder.path(), "switchexos.kw"),
              folder.path() / "SWITCHEXOS.KW");
    EXPECT_FALSE(kw::findFileIgnoringCase(folder.path() / "absent", "x"));
}

} // namespace
