#include "pixelruns.h"

#include <algorithm>
#include <cstring>

namespace kw::ui {

namespace {

constexpr char Magic[8] = {'K', 'W', 'R', 'U', 'N', 'S', '1', '\n'};
constexpr std::size_t HeaderSize = sizeof Magic + 8;
constexpr std::size_t RunSize = 6;
constexpr std::uint32_t MaxCount = 0xffff;

std::uint32_t read32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

void put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(std::uint8_t(value));
    out.push_back(std::uint8_t(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    put16(out, value & 0xffff);
    put16(out, value >> 16);
}

} // namespace

std::optional<RunsSize> ReadRunsSize(std::span<const std::uint8_t> data)
{
    if (data.size() < HeaderSize || std::memcmp(data.data(), Magic, sizeof Magic) != 0)
        return std::nullopt;
    const std::uint32_t width = read32(data.data() + 8);
    const std::uint32_t height = read32(data.data() + 12);
    if (width < 1 || width > MaxRunsSide || height < 1 || height > MaxRunsSide)
        return std::nullopt;
    return RunsSize{int(width), int(height)};
}

bool DecodeRuns(std::span<const std::uint8_t> data, std::span<std::uint32_t> pixels)
{
    const std::optional<RunsSize> size = ReadRunsSize(data);
    if (!size || pixels.size() != std::size_t(size->width) * std::size_t(size->height) ||
        (data.size() - HeaderSize) % RunSize != 0)
        return false;
    std::uint32_t* out = pixels.data();
    std::size_t left = pixels.size();
    for (const std::uint8_t* run = data.data() + HeaderSize; run < data.data() + data.size();
         run += RunSize) {
        const std::size_t count = std::size_t(run[0]) | std::size_t(run[1]) << 8;
        if (count == 0 || count > left)
            return false;
        out = std::fill_n(out, count, read32(run + 2));
        left -= count;
    }
    return left == 0;
}

bool RunsOpaque(std::span<const std::uint8_t> data)
{
    if (!ReadRunsSize(data) || (data.size() - HeaderSize) % RunSize != 0)
        return false;
    for (const std::uint8_t* run = data.data() + HeaderSize; run < data.data() + data.size();
         run += RunSize)
        if (run[5] != 0xff)
            return false;
    return true;
}

std::vector<std::uint8_t> EncodeRuns(int width, int height, std::span<const std::uint32_t> pixels)
{
    std::vector<std::uint8_t> out(Magic, Magic + sizeof Magic);
    put32(out, std::uint32_t(width));
    put32(out, std::uint32_t(height));
    for (std::size_t i = 0; i < pixels.size();) {
        std::size_t end = i + 1;
        while (end < pixels.size() && end - i < MaxCount && pixels[end] == pixels[i])
            ++end;
        put16(out, std::uint32_t(end - i));
        put32(out, pixels[i]);
        i = end;
    }
    return out;
}

} // namespace kw::ui
