#include "profile.h"

#include "textfile.h"

#include <unordered_map>

namespace kw {

namespace {

std::string_view trimBlanks(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string_view withoutOuterQuotes(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Up to 8 significant hexadecimal digits, as a 32-bit pattern.
std::optional<std::uint32_t> parseHex(std::string_view digits)
{
    if (digits.empty())
        return std::nullopt;
    std::uint32_t value = 0;
    int significant = 0;
    for (const char c : digits) {
        const int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        if (significant > 0 || d != 0)
            ++significant;
        if (significant > 8)
            return std::nullopt;
        value = (value << 4) | static_cast<std::uint32_t>(d);
    }
    return value;
}

// The name as a key of the sets of names already met: ASCII letters in lower case.
std::string foldedName(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

} // namespace

std::optional<ProfileFile> ProfileFile::load(const std::filesystem::path& path,
                                             ProfileReading* reading)
{
    const auto text = readTextFile(path, reading ? &reading->file : nullptr);
    if (!text)
        return std::nullopt;
    return parse(*text, reading);
}

ProfileFile ProfileFile::parse(std::string_view text, ProfileReading* reading)
{
    using Kind = ProfileRemark::Kind;
    ProfileFile profile;
    // Where the lines being read go: nowhere before the first section and in a repeated
    // section, whose keys the first section of that name hides.
    ProfileSection* current = nullptr;
    bool inRepeatedSection = false;
    // Names met so far with their lines, so that a file of a million names is still read in
    // linear time. Keys only ever go to the section just opened, so one map of keys is enough.
    std::unordered_map<std::string, std::size_t> seenSections;
    std::unordered_map<std::string, std::size_t> seenKeys;
    const auto remark = [reading](Kind kind, std::size_t number, std::string_view line,
                                  std::string_view name, std::size_t firstLine = 0) {
        if (reading && reading->remark)
            reading->remark({kind, number, line, name, firstLine});
    };
    LineReader lines(text);
    std::size_t number = 0;
    while (auto next = lines.next()) {
        ++number;
        std::string_view line = next->substr(0, next->find('\0'));
        line = trimBlanks(line);
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            const std::string_view name = trimBlanks(line.substr(1, line.find(']') - 1));
            current = nullptr;
            seenKeys.clear();
            const auto [seen, isNew] = seenSections.try_emplace(foldedName(name), number);
            inRepeatedSection = !isNew;
            if (isNew) {
                profile.sections_.push_back({std::string(name), number, {}});
                current = &profile.sections_.back();
            } else {
                remark(Kind::RepeatedSection, number, line, name, seen->second);
            }
            continue;
        }
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            remark(Kind::NotAKeyLine, number, line, {});
            continue;
        }
        const std::string_view key = trimBlanks(line.substr(0, equals));
        if (current == nullptr) {
            remark(inRepeatedSection ? Kind::KeyOfRepeatedSection : Kind::KeyOutsideSection, number,
                   line, key);
            continue;
        }
        const auto [seen, isNew] = seenKeys.try_emplace(foldedName(key), number);
        if (!isNew) {
            remark(Kind::RepeatedKey, number, line, key, seen->second);
            continue;
        }
        const std::string_view raw = withoutOuterQuotes(trimBlanks(line.substr(equals + 1)));
        const std::string whole = toUtf8(raw);
        current->entries.push_back(
            {std::string(key), firstCharacters(whole, MaxProfileValueLength), number});
        if (current->entries.back().value.size() < whole.size())
            remark(Kind::ValueCut, number, line, key);
    }
    if (reading) {
        reading->lineEnds = lines.lineEnds();
        reading->utf8 = isValidUtf8(text);
    }
    return profile;
}

const ProfileEntry* ProfileFile::find(std::string_view section, std::string_view key) const
{
    for (const ProfileSection& s : sections_) {
        if (!equalsIgnoringCase(s.name, section))
            continue;
        for (const ProfileEntry& e : s.entries) {
            if (equalsIgnoringCase(e.key, key))
                return &e;
        }
        return nullptr;
    }
    return nullptr;
}

std::optional<std::string> ProfileFile::value(std::string_view section, std::string_view key) const
{
    const ProfileEntry* entry = find(section, key);
    return entry ? std::optional<std::string>(entry->value) : std::nullopt;
}

std::string ProfileFile::readString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const
{
    auto found = value(section, key);
    return found ? std::move(*found) : std::string(defaultValue);
}

std::int32_t ProfileFile::readInt(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const
{
    const auto found = value(section, key);
    if (!found)
        return defaultValue;
    return parseProfileInt(*found).value_or(defaultValue);
}

std::optional<std::int32_t> parseProfileInt(std::string_view text)
{
    if (text.size() > 2 && (text.starts_with("0x") || text.starts_with("0X"))) {
        const auto value = parseHex(text.substr(2));
        if (!value)
            return std::nullopt;
        return static_cast<std::int32_t>(*value);
    }

    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (!text.empty() && text.front() == '$') {
        const auto value = parseHex(text.substr(1));
        if (!value)
            return std::nullopt;
        // Negation of the 32-bit pattern, wrapping as the 32-bit arithmetic does.
        return static_cast<std::int32_t>(negative ? 0u - *value : *value);
    }

    if (text.empty())
        return std::nullopt;
    std::int64_t magnitude = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > 2147483648LL)
            return std::nullopt;
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > 2147483647LL)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

} // namespace kw
