#pragma once

// A picture as runs of equal pixels: the form in which the pictures shown at start-up are
// embedded, made at build time from their PNG files. Decoding it is a matter of filling
// rows, a small part of what decompressing and unfiltering a PNG costs, and needs no PNG
// library at all.
//
// Layout, little-endian: the 8 bytes "KWRUNS1\n", the width and the height (32 bits each),
// then runs of 6 bytes each, a count (16 bits, at least 1) and a colour (32 bits, 0xAARRGGBB),
// covering the pixels row after row, exactly width x height of them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kw::ui {

struct RunsSize {
    int width = 0;
    int height = 0;
};

// The most pixels a side may have.
inline constexpr int MaxRunsSide = 4096;

// The picture's size; nothing when `data` is not a picture in runs of a sane size.
std::optional<RunsSize> ReadRunsSize(std::span<const std::uint8_t> data);

// Fills `pixels` (width x height of them, row after row) from the runs. False, `pixels` then
// holding anything, when the runs do not cover them exactly.
bool DecodeRuns(std::span<const std::uint8_t> data, std::span<std::uint32_t> pixels);

// Whether every pixel of the runs is opaque (an alpha of 0xff); false for damaged runs.
bool RunsOpaque(std::span<const std::uint8_t> data);

// The runs of a picture whose `pixels` (width x height, row after row) are given.
std::vector<std::uint8_t> EncodeRuns(int width, int height, std::span<const std::uint32_t> pixels);

} // namespace kw::ui
