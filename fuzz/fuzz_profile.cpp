// Fuzz target of the configuration reader: the bytes of a "kw_switch.INI" are read through
// the same path as a real file, every key the program uses is read, and the results are held
// to the reader's promises; the values and the integer syntax are checked against a second,
// plain reading of the profile semantics.

#include "fuzz_check.h"
#include "memory_file.h"

#include "exercises.h"
#include "global.h"
#include "profile.h"
#include "switchtable.h"
#include "textfile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The integer syntax of the profile functions, written a second time in the plainest way.
std::optional<std::uint32_t> hexPattern(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    for (const char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
    }
    const auto first = digits.find_first_not_of('0');
    if (first == std::string_view::npos)
        return 0u;
    if (digits.size() - first > 8)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(std::string(digits.substr(first)), nullptr, 16));
}

std::optional<std::int32_t> referenceInt(std::string_view text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        const auto pattern = hexPattern(text.substr(2));
        if (!pattern)
            return std::nullopt;
        return static_cast<std::int32_t>(*pattern);
    }
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    if (!text.empty() && text[0] == '$') {
        const auto pattern = hexPattern(text.substr(1));
        if (!pattern)
            return std::nullopt;
        const std::uint32_t value = negative ? ~*pattern + 1u : *pattern;
        return static_cast<std::int32_t>(value);
    }
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    const auto first = text.find_first_not_of('0');
    const std::string_view significant =
        first == std::string_view::npos ? std::string_view("0") : text.substr(first);
    if (significant.size() > 10)
        return std::nullopt;
    const long long magnitude = std::stoll(std::string(significant));
    const long long value = negative ? -magnitude : magnitude;
    if (value < -2147483648LL || value > 2147483647LL)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

void checkInt(std::string_view text)
{
    KW_FUZZ_CHECK(kw::parseProfileInt(text) == referenceInt(text));
}

bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The profile semantics, read a second time straight from the decoded text: every section
// header and every key line in file order, the value as it stands in the file.
struct RawLine {
    bool header = false;
    std::string_view section;
    std::string_view key;
    std::string_view value;
};

std::vector<RawLine> rawLines(std::string_view text)
{
    std::vector<RawLine> lines;
    std::optional<std::string_view> section;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        std::string_view line = text.substr(start, end - start);
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        line = trimmed(line.substr(0, line.find('\0')));
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            line.remove_prefix(1);
            section = trimmed(line.substr(0, line.find(']')));
            lines.push_back({true, *section, {}, {}});
            continue;
        }
        const auto equals = line.find('=');
        if (equals != std::string_view::npos && section)
            lines.push_back(
                {false, *section, trimmed(line.substr(0, equals)), line.substr(equals + 1)});
    }
    return lines;
}

// What the profile functions give for (section, key): the first section of that name only, the
// first equal key in it, the value trimmed, without a pair of outer quotes, at most 2047
// characters.
std::optional<std::string> referenceValue(const std::vector<RawLine>& lines,
                                          std::string_view section, std::string_view key)
{
    bool seen = false;
    bool inside = false;
    for (const RawLine& line : lines) {
        if (line.header) {
            inside = !seen && sameName(line.section, section);
            seen = seen || inside;
            continue;
        }
        if (!inside || !sameName(line.key, key))
            continue;
        std::string_view value = trimmed(line.value);
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return kw::firstCharacters(kw::toUtf8(value), kw::MaxProfileValueLength);
    }
    return std::nullopt;
}

std::size_t codePoints(std::string_view utf8)
{
    return static_cast<std::size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

// A value as the reader promises it: UTF-8, one line, at most 2047 characters; found the
// same whatever the letter case of the names asked for.
void checkValue(const kw::ProfileFile& profile, std::string_view section, std::string_view key)
{
    const std::optional<std::string> value = profile.value(section, key);
    KW_FUZZ_CHECK(value == profile.value(upper(section), upper(key)));
    if (!value) {
        KW_FUZZ_CHECK(profile.readString(section, key, "défaut") == "défaut");
        KW_FUZZ_CHECK(profile.readInt(section, key, -77) == -77);
        return;
    }
    KW_FUZZ_CHECK(kw::isValidUtf8(*value));
    KW_FUZZ_CHECK(codePoints(*value) <= kw::MaxProfileValueLength);
    KW_FUZZ_CHECK(value->find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    KW_FUZZ_CHECK(profile.readString(section, key, "défaut") == *value);
    checkInt(*value);
    KW_FUZZ_CHECK(profile.readInt(section, key, -77) == kw::parseProfileInt(*value).value_or(-77));
}

constexpr std::array<const char*, 8> MacKeys{"Machine1", "Machine2", "Machine3", "Machine4",
                                             "Machine5", "Machine6", "ServeurA", "ServeurB"};
constexpr std::array<const char*, 5> ParameterKeys{"entrees_initiales", "ttl_max", "freq_multi",
                                                   "questions", "hub_auto"};

// The switch's initial table built from the configuration, as the switch dialog builds it.
void checkSwitchTable(const kw::ProfileFile& profile)
{
    const std::string entries = profile.readString("parametres", "entrees_initiales", "00000000");
    const int ttl = std::clamp(profile.readInt("parametres", "ttl_max", 99), 0, 255);
    const kw::SwitchTable table =
        kw::InitSwitchTable(entries, std::to_string(ttl), [&](int station) {
            return profile.readString("adresses MAC",
                                      MacKeys[static_cast<std::size_t>(station - 1)],
                                      "00-00-00-00-00-00");
        });
    for (int r = kw::SwitchFirstEntry; r <= kw::SwitchLastEntry; ++r) {
        const kw::SwitchRow& row = table.rows[static_cast<std::size_t>(r)];
        KW_FUZZ_CHECK(row.port.empty() ||
                      (row.port.size() == 1 && row.port[0] >= '1' && row.port[0] <= '4'));
        // A station configured with "MachineN=" has the empty address: its row then holds a
        // port but counts as empty, as the table's rows do.
        KW_FUZZ_CHECK(row.address.empty() || !row.port.empty());
        if (!row.ttl.empty()) {
            const int value = kw::TtlFromText(row.ttl);
            KW_FUZZ_CHECK(std::to_string(value) == row.ttl);
            KW_FUZZ_CHECK(value <= ttl);
        }
    }
    KW_FUZZ_CHECK(table.entryRow() == kw::SwitchRow{});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static kw::fuzz::MemoryFile file;
    file.assign(data, size);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // A regular file within the size limit is always read.
    const std::optional<kw::ProfileFile> profile = kw::ProfileFile::load(file.path());
    KW_FUZZ_CHECK(profile.has_value());

    // Every value the second reading finds, and the program's own keys, read alike.
    const std::optional<std::string> text = kw::readTextFile(file.path());
    KW_FUZZ_CHECK(text.has_value());
    const std::vector<RawLine> lines = rawLines(*text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        // The first and last lines are enough to keep a long input quick.
        if (i == 8 && lines.size() > 16)
            i = lines.size() - 8;
        if (!lines[i].header)
            KW_FUZZ_CHECK(profile->value(lines[i].section, lines[i].key) ==
                          referenceValue(lines, lines[i].section, lines[i].key));
    }
    for (const char* key : MacKeys)
        KW_FUZZ_CHECK(profile->value("adresses MAC", key) ==
                      referenceValue(lines, "adresses MAC", key));
    for (const char* key : ParameterKeys)
        KW_FUZZ_CHECK(profile->value("parametres", key) ==
                      referenceValue(lines, "parametres", key));

    for (const char* key : MacKeys)
        checkValue(*profile, "adresses MAC", key);
    for (const char* key : ParameterKeys)
        checkValue(*profile, "parametres", key);
    checkSwitchTable(*profile);
    kw::questionsFolderPath(profile->readString("parametres", "questions", ""), "/depart");

    // The bytes given straight to the parser, and the integer syntax on the raw bytes.
    const kw::ProfileFile direct = kw::ProfileFile::parse(bytes);
    checkValue(direct, "parametres", "ttl_max");
    checkInt(bytes);
    return 0;
}
