#include "textfile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <system_error>

#if defined(_WIN32)
#include <fstream>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kw {

namespace {

namespace fs = std::filesystem;

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isRegularFile(const fs::path& path)
{
    std::error_code error;
    return fs::is_regular_file(fs::status(path, error));
}

// Reads up to `limit` bytes; nothing when the path is not a regular file or a read fails.
std::optional<std::string> readAtMost(const fs::path& path, std::size_t limit)
{
    // The type is checked before opening, so that opening a FIFO never waits for a writer.
    if (!isRegularFile(path))
        return std::nullopt;
    std::string bytes;
#if defined(_WIN32)
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::array<char, 65536> buffer;
    while (bytes.size() < limit && in) {
        const auto wanted = std::min(buffer.size(), limit - bytes.size());
        in.read(buffer.data(), static_cast<std::streamsize>(wanted));
        bytes.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad())
        return std::nullopt;
#else
    // O_NONBLOCK as well: the file may have been swapped for a FIFO since the check.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::array<char, 65536> buffer;
    while (bytes.size() < limit) {
        const auto wanted = std::min(buffer.size(), limit - bytes.size());
        const ssize_t got = ::read(fd, buffer.data(), wanted);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        bytes.append(buffer.data(), static_cast<std::size_t>(got));
    }
    ::close(fd);
#endif
    return bytes;
}

void appendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    constexpr std::uint32_t replacement = 0xFFFD;
    std::string out;
    out.reserve(bytes.size());
    auto unitAt = [&](std::size_t i) -> std::uint32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? (a << 8 | b) : (b << 8 | a);
    };
    std::size_t i = 0;
    while (i + 1 < bytes.size()) {
        const std::uint32_t unit = unitAt(i);
        i += 2;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < bytes.size()) {
            const std::uint32_t low = unitAt(i);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                i += 2;
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                continue;
            }
        }
        appendUtf8(out, (unit >= 0xD800 && unit <= 0xDFFF) ? replacement : unit);
    }
    return out;
}

// Windows-1252 0x80..0x9F; the five unassigned bytes keep their C1 control code, as
// Windows itself converts them.
constexpr std::array<std::uint16_t, 32> cp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

std::optional<fs::path> findFileIgnoringCase(const fs::path& folder, std::string_view name)
{
    const fs::path exact = folder / fs::path(std::string(name));
    if (isRegularFile(exact))
        return exact;
    std::error_code error;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    if (error)
        return std::nullopt;
    std::optional<fs::path> best;
    for (; it != fs::directory_iterator(); it.increment(error)) {
        if (error)
            break;
        const fs::path candidate = it->path();
        const std::string fileName = candidate.filename().string();
        if (!equalsIgnoringCase(fileName, name) || !isRegularFile(candidate))
            continue;
        if (!best || fileName < best->filename().string())
            best = candidate;
    }
    return best;
}

std::optional<std::string> readTextFile(const fs::path& path, TextFileFacts* facts)
{
    auto bytes = readAtMost(path, MaxTextFileBytes + 1);
    if (!bytes)
        return std::nullopt;
    const bool cut = bytes->size() > MaxTextFileBytes;
    if (cut)
        bytes->resize(MaxTextFileBytes);

    std::string text;
    const std::string_view raw = *bytes;
    TextEncoding encoding = TextEncoding::Plain;
    if (raw.starts_with("\xEF\xBB\xBF")) {
        text = raw.substr(3);
        encoding = TextEncoding::Utf8WithBom;
    } else if (raw.starts_with("\xFF\xFE")) {
        text = utf16ToUtf8(raw.substr(2), false);
        encoding = TextEncoding::Utf16LittleEndian;
    } else if (raw.starts_with("\xFE\xFF")) {
        text = utf16ToUtf8(raw.substr(2), true);
        encoding = TextEncoding::Utf16BigEndian;
    } else {
        text = std::move(*bytes);
    }
    if (facts)
        *facts = {encoding, cut};

    if (cut) {
        const auto lastEnd = text.find_last_of("\r\n");
        text.resize(lastEnd == std::string::npos ? 0 : lastEnd + 1);
    }
    return text;
}

std::optional<std::string_view> LineReader::next()
{
    if (rest_.empty())
        return std::nullopt;
    const auto end = rest_.find_first_of("\r\n");
    if (end == std::string_view::npos) {
        const std::string_view line = rest_;
        rest_ = {};
        return line;
    }
    const std::string_view line = rest_.substr(0, end);
    const bool crlf = rest_[end] == '\r' && end + 1 < rest_.size() && rest_[end + 1] == '\n';
    ++(crlf ? ends_.crlf : rest_[end] == '\n' ? ends_.lf : ends_.cr);
    rest_.remove_prefix(end + (crlf ? 2 : 1));
    return line;
}

std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    LineReader reader(text);
    while (const auto line = reader.next())
        lines.push_back(*line);
    return lines;
}

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t code = 0;
        std::uint32_t minimum = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
            minimum = 0x10000;
        } else {
            return false;
        }
        if (i + length > bytes.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::string toUtf8(std::string_view bytes)
{
    if (isValidUtf8(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte <= 0x9F)
            appendUtf8(out, cp1252High[byte - 0x80]);
        else
            appendUtf8(out, byte);
    }
    return out;
}

std::string firstCharacters(std::string_view utf8, std::size_t count)
{
    std::size_t end = 0;
    std::size_t seen = 0;
    while (end < utf8.size()) {
        // A character starts at every byte that is not a continuation byte.
        if ((static_cast<unsigned char>(utf8[end]) & 0xC0) != 0x80) {
            if (seen == count)
                break;
            ++seen;
        }
        ++end;
    }
    return std::string(utf8.substr(0, end));
}

std::string withForwardSlashes(std::string_view folder)
{
    std::string out(folder);
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

} // namespace kw
