#pragma once

// A reader of Windows profile files ("kw_switch.INI") that answers as the Windows
// profile functions do, so that a configuration written for Windows reads the same here:
// - section and key names match without regard to ASCII letter case;
// - a line whose first non-blank character is ";" is a comment ("#" is not, and nothing
//   after a value is a comment);
// - blanks and tabs are trimmed around section names, keys and values;
// - "[name]" opens a section; the name ends at the first "]" (at the line end when there
//   is none) and the rest of the line is ignored;
// - a line without "=" defines nothing; the first "=" splits key from value; "key=" gives
//   the empty text, not the default;
// - a value of two characters or more between a matching pair of double or single quotes
//   loses that pair; other quotes stay;
// - of two equal keys in a section the first wins; of two sections with the same name only
//   the first is searched; keys before the first section belong to none;
// - CR, LF and CRLF all end a line; a NUL byte ends its line's text;
// - a value is cut to its first 2047 characters after trimming and quote removal;
// - a value that is not valid UTF-8 is read as Windows-1252; all values are given as UTF-8.

#include "textfile.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

inline constexpr std::size_t MaxProfileValueLength = 2047;

struct ProfileEntry {
    std::string key;   // as written
    std::string value; // as read: trimmed, unquoted, cut, in UTF-8
    std::size_t line = 0;
};

struct ProfileSection {
    std::string name; // as written
    std::size_t line = 0;
    std::vector<ProfileEntry> entries;
};

// A line the reading leaves out, or a value it shortens: what a teacher who checks the file
// must hear about. The start reads without asking for them.
struct ProfileRemark {
    enum class Kind {
        KeyOutsideSection,    // before the first section: belongs to none
        RepeatedSection,      // a section of a name met before: the first one hides it
        KeyOfRepeatedSection, // a key of such a section: never read
        RepeatedKey,          // the first key of that name in the section counts
        NotAKeyLine,          // neither a comment, nor a section, nor key=value
        ValueCut,             // longer than MaxProfileValueLength characters
    };
    Kind kind;
    std::size_t line;
    std::string_view text;     // the line, trimmed (valid during the call only)
    std::string_view name;     // the section or the key as written
    std::size_t firstLine = 0; // RepeatedSection, RepeatedKey: the line of the one that counts
};

// What a report wants to know about the reading besides the values.
struct ProfileReading {
    std::function<void(const ProfileRemark&)> remark; // may be left empty
    TextFileFacts file;                               // set by load
    LineEndCounts lineEnds;                           // set by parse
    bool utf8 = true; // set by parse: false when some value is read as Windows-1252
};

class ProfileFile {
public:
    // Nothing when the file is not a regular, readable file (see readTextFile for the
    // size limit and the byte-order marks).
    static std::optional<ProfileFile> load(const std::filesystem::path& path,
                                           ProfileReading* reading = nullptr);
    static ProfileFile parse(std::string_view text, ProfileReading* reading = nullptr);

    // The entry of the key, or nothing when the section or the key is absent.
    const ProfileEntry* find(std::string_view section, std::string_view key) const;

    // The value of the key, or nothing when the section or the key is absent.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;

    // The value read as text, then parsed by parseProfileInt; the default when the key is
    // absent or its text is not an integer.
    std::int32_t readInt(std::string_view section, std::string_view key,
                         std::int32_t defaultValue) const;

    // The sections that are searched (a repeated one is not), in the file's order.
    const std::vector<ProfileSection>& sections() const { return sections_; }

private:
    std::vector<ProfileSection> sections_;
};

// An integer as the profile functions read it, without surrounding blanks:
// - "0x" or "0X" followed by hexadecimal digits, when the text is longer than 2 characters;
// - an optional sign, then "$" followed by hexadecimal digits;
// - an optional sign, then decimal digits, within -2147483648..2147483647.
// Hexadecimal values take at most 8 significant digits and are read as 32-bit patterns
// ("$FFFFFFFF" is -1). Anything else (empty text, trailing characters, a value out of range)
// gives nothing.
std::optional<std::int32_t> parseProfileInt(std::string_view text);

} // namespace kw
