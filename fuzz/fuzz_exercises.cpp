// Fuzz target of the exercise-file reader: the bytes of a "switchexos.kw" are read through the
// same path as a real file, the series is read, compared with a second, plain reading of the
// line grammar, and then played: imposed exercises first, in order, and random ones only when
// no "FIN" ended the file.

#include "fuzz_check.h"
#include "memory_file.h"

#include "exercises.h"
#include "global.h"
#include "random.h"
#include "series.h"
#include "textfile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Reading {
    std::vector<kw::ExercisePair> pairs;
    bool randomAfter = true;
};

// The lines of a text; CR, LF and CRLF each end one line.
std::vector<std::string_view> lines(std::string_view text)
{
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        out.push_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        out.push_back(text.substr(start));
    return out;
}

unsigned code(char c)
{
    return static_cast<unsigned char>(c);
}

// The grammar step by step: "FIN" first, then the source digit 0..8 and the destination digit
// 0..9, each after any characters below '0'. A 0 digit names no station and is not stored.
Reading referenceReading(std::string_view text)
{
    Reading reading;
    for (std::string_view line : lines(text)) {
        if (line.size() >= 3 && line.substr(0, 3) == "FIN") {
            reading.randomAfter = false;
            break;
        }
        std::size_t i = 0;
        while (i < line.size() && code(line[i]) < code('0'))
            ++i;
        if (i == line.size() || code(line[i]) > code('8'))
            continue;
        const unsigned source = code(line[i]) - code('0');
        ++i;
        while (i < line.size() && code(line[i]) < code('0'))
            ++i;
        if (i == line.size() || code(line[i]) > code('9'))
            continue;
        const unsigned destination = code(line[i]) - code('0');
        if (source == destination || source == 0 || destination == 0)
            continue;
        if (reading.pairs.size() < kw::MaxImposed)
            reading.pairs.push_back(
                {static_cast<std::uint8_t>(source), static_cast<std::uint8_t>(destination)});
    }
    return reading;
}

void checkSeries(std::string_view text, std::uint8_t freqMulti)
{
    kw::SharedState state;
    kw::readExercises(state, text);
    const Reading expected = referenceReading(text);
    KW_FUZZ_CHECK(state.ImposedCount == expected.pairs.size());
    KW_FUZZ_CHECK(state.RandomAfterImposed == expected.randomAfter);
    for (std::size_t k = 0; k < expected.pairs.size(); ++k) {
        KW_FUZZ_CHECK(state.ImposedExercises[k + 1].source == expected.pairs[k].source);
        KW_FUZZ_CHECK(state.ImposedExercises[k + 1].destination == expected.pairs[k].destination);
    }

    // Playing the series: every exercise names two different stations, the imposed ones come
    // in their order, and the series ends exactly after the last imposed one when it must.
    state.FreqMulti = freqMulti;
    state.FirstExercise = true;
    kw::SeedRandom(static_cast<std::uint32_t>(text.size()));
    const std::size_t played = expected.pairs.size() + 3;
    for (std::size_t k = 1; k <= played; ++k) {
        kw::StartExercise(state, 0.0);
        const auto [source, destination] = state.CurrentExercise;
        KW_FUZZ_CHECK(source >= 1 && source <= kw::StationCount);
        KW_FUZZ_CHECK(destination >= 1 && destination <= kw::BroadcastIndex);
        KW_FUZZ_CHECK(source != destination);
        if (freqMulti == 0)
            KW_FUZZ_CHECK(destination != kw::BroadcastIndex || k <= expected.pairs.size());
        if (k <= expected.pairs.size()) {
            KW_FUZZ_CHECK(source == expected.pairs[k - 1].source);
            KW_FUZZ_CHECK(destination == expected.pairs[k - 1].destination);
        }
        KW_FUZZ_CHECK(kw::SeriesEnded(state) ==
                      (k >= expected.pairs.size() && !expected.randomAfter));
        if (kw::SeriesEnded(state))
            break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static kw::fuzz::MemoryFile file;
    file.assign(data, size);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // A regular file within the size limit is always read; only byte-order marks change it.
    const std::optional<std::string> text = kw::readTextFile(file.path());
    KW_FUZZ_CHECK(text.has_value());
    if (bytes.starts_with("\xEF\xBB\xBF"))
        KW_FUZZ_CHECK(*text == bytes.substr(3));
    else if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        KW_FUZZ_CHECK(kw::isValidUtf8(*text));
    else
        KW_FUZZ_CHECK(*text == bytes);

    const std::uint8_t freqMulti = size > 0 ? data[size - 1] : 1;
    checkSeries(*text, freqMulti);

    // One line as the grammar reads it, whatever bytes it holds.
    const kw::ExerciseLine line =
        kw::parseExerciseLine(bytes.substr(0, bytes.find_first_of("\r\n")));
    if (line.kind == kw::ExerciseLineKind::Exercise)
        KW_FUZZ_CHECK(line.pair.source != line.pair.destination);
    return 0;
}
