#pragma once

// Reading the program's two text files on any file system, and turning their bytes into
// UTF-8 texts. The files were written on Windows, where names ignore letter case, folders
// are written with "\" and texts are often Windows-1252: all three are handled here.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

// At most this many bytes of a file are read. When a file is longer, the line cut by the
// limit and everything after it are treated as absent, so a huge file neither hangs the
// program nor fills its memory. Real configuration and exercise files are a few hundred bytes.
inline constexpr std::size_t MaxTextFileBytes = 8u * 1024u * 1024u;

// The regular file `name` in `folder`: the exact name when that is a regular file, otherwise
// a regular file whose name differs only in ASCII letter case (the smallest in byte order
// when there are several). Nothing when there is none: a directory, FIFO or device carrying
// the name does not count.
std::optional<std::filesystem::path> findFileIgnoringCase(const std::filesystem::path& folder,
                                                          std::string_view name);

// How readTextFile found a file's bytes, for a report on the file.
enum class TextEncoding {
    Plain,             // no byte-order mark: kept as they are (UTF-8, or else Windows-1252)
    Utf8WithBom,       // the mark removed
    Utf16LittleEndian, // converted to UTF-8
    Utf16BigEndian,    // converted to UTF-8
};

struct TextFileFacts {
    TextEncoding encoding = TextEncoding::Plain;
    bool cut = false; // longer than MaxTextFileBytes: the end was left out
};

// The content of a regular file, at most MaxTextFileBytes (see above). A UTF-8 byte-order
// mark is removed and a file with a UTF-16 mark is converted to UTF-8; other bytes are kept
// as they are (NUL bytes included). Nothing when the path is not a regular file or cannot
// be read. Never blocks on a FIFO. `facts`, when given, tells how the bytes were taken.
std::optional<std::string> readTextFile(const std::filesystem::path& path,
                                        TextFileFacts* facts = nullptr);

// How many lines each kind of line end closed.
struct LineEndCounts {
    std::size_t crlf = 0;
    std::size_t lf = 0;
    std::size_t cr = 0;
};

// Walks the lines of a text one by one, without copying them: CR, LF and CRLF all end a
// line, and a final line end adds no empty line.
class LineReader {
public:
    explicit LineReader(std::string_view text) : rest_(text) {}
    // The next line, or nothing at the end of the text.
    std::optional<std::string_view> next();
    // The line ends of the lines given so far.
    const LineEndCounts& lineEnds() const { return ends_; }

private:
    std::string_view rest_;
    LineEndCounts ends_;
};

// All the lines at once, as LineReader gives them; for short texts (a huge file of empty
// lines makes a vector far larger than the file: walk those with LineReader).
std::vector<std::string_view> splitLines(std::string_view text);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view bytes);

// The text itself when it is valid UTF-8, otherwise its bytes read as Windows-1252.
std::string toUtf8(std::string_view bytes);

// The first `count` characters (code points) of a UTF-8 text.
std::string firstCharacters(std::string_view utf8, std::size_t count);

// A folder as written in the configuration, with "\" read as "/".
std::string withForwardSlashes(std::string_view folder);

// ASCII letters compared without regard to case; other bytes compared exactly.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

} // namespace kw
