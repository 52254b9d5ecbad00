#pragma once

// The program's shared state: the fixed network and the exercise being played.
// Every window reads and writes it directly, on the one event thread.
// Arrays indexed by station, LED, port, cable or exercise keep index 0 unused so
// that indices start at 1 as everywhere in the program.

#include <array>
#include <cstdint>
#include <string>

namespace kw {

// FlowState values, compared numerically by the rules.
namespace flow {
inline constexpr std::uint8_t Start = 0;
inline constexpr std::uint8_t ExerciseReady = 10;
inline constexpr std::uint8_t MachineEmitted = 20;
inline constexpr std::uint8_t SenderHubDone = 30;
inline constexpr std::uint8_t ServerEmitted = 35;
inline constexpr std::uint8_t TowardsOneHub = 40;
inline constexpr std::uint8_t TowardsBothHubs = 41;
inline constexpr std::uint8_t OneOfTwoHubsDone = 45;
inline constexpr std::uint8_t ReachedAll = 50;
inline constexpr std::uint8_t FrameDone = 60;
} // namespace flow

inline constexpr int StationCount = 8;   // stations 1..8
inline constexpr int BroadcastIndex = 9; // destination only
inline constexpr int CableCount = 10;
inline constexpr int LedCount = 8;
inline constexpr int MaxImposed = 20;
inline constexpr int MaxHubAuto = 16;

inline constexpr const char* BroadcastMac = "FF-FF-FF-FF-FF-FF";

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

// The colours the rules paint with: LEDs in their pictures, cable lines on the diagram.
namespace colour {
inline constexpr Rgb Green{0, 128, 0};      // lit RX LED
inline constexpr Rgb Red{255, 0, 0};        // lit TX LED; switch emission on a cable
inline constexpr Rgb Silver{192, 192, 192}; // LED switched off
inline constexpr Rgb Yellow{255, 255, 0};   // second cable line of a repeating hub
inline constexpr Rgb White{255, 255, 255};  // first cable line of the sending station
inline constexpr Rgb Black{0, 0, 0};        // idle cable
} // namespace colour

struct Cable {
    std::uint16_t x1, y1, x2, y2;
};

// Cables 1..10 in diagram picture coordinates; index 0 unused.
inline constexpr std::array<Cable, CableCount + 1> CableTable{{
    {0, 0, 0, 0},
    {28, 192, 55, 147},
    {86, 192, 88, 147},
    {145, 192, 122, 147},
    {335, 192, 366, 147},
    {397, 192, 399, 147},
    {457, 192, 431, 147},
    {153, 142, 198, 99},
    {331, 142, 294, 99},
    {212, 48, 227, 96},
    {275, 48, 262, 96},
}};

// Switch port 1..4 to its cable.
inline constexpr std::array<std::uint8_t, 5> SwitchPortCables{0, 7, 9, 10, 8};

// Hub h (1, 2), port p (1..4) to its cable.
inline constexpr std::array<std::array<std::uint8_t, 5>, 3> HubPortCables{{
    {0, 0, 0, 0, 0},
    {0, 1, 2, 3, 7},
    {0, 8, 4, 5, 6},
}};

// Switch port (1..4) behind which station 1..8 lies; 0 for anything else.
constexpr int SwitchPortOf(int station)
{
    if (station >= 1 && station <= 3)
        return 1;
    if (station >= 4 && station <= 6)
        return 4;
    if (station == 7)
        return 2;
    if (station == 8)
        return 3;
    return 0;
}

// The station's own cable (1..10); 0 for anything else.
constexpr int CableOf(int station)
{
    if (station >= 1 && station <= 6)
        return station;
    if (station == 7)
        return 9;
    if (station == 8)
        return 10;
    return 0;
}

constexpr int HubPortCable(int hub, int port)
{
    if (hub < 1 || hub > 2 || port < 1 || port > 4)
        return 0;
    return HubPortCables[hub][port];
}

// Display name and MAC text of station 0..9 (0 is the header row).
struct StationEntry {
    std::string name;
    std::string mac;
    bool operator==(const StationEntry&) const = default;
};

struct ExercisePair {
    std::uint8_t source = 0;
    std::uint8_t destination = 0;
    bool operator==(const ExercisePair&) const = default;
};

using LedRow = std::array<bool, LedCount + 1>; // LEDs 1..8

struct SharedState {
    std::uint8_t FlowState = 0;
    std::uint8_t SavedFlowState = 0;
    ExercisePair CurrentExercise;
    std::uint8_t ClickedStation = 0;
    std::int32_t DialogAnchorTop = 0;
    std::int32_t DialogAnchorLeft = 0;
    std::uint16_t ExerciseNumber = 0;
    std::uint8_t ImposedCount = 0;
    std::array<ExercisePair, MaxImposed + 1> ImposedExercises{}; // 1..20
    bool RandomAfterImposed = false;
    double SeriesStartTime = 0; // days, local time (see clock.h)
    std::uint16_t ErrorTotal = 0;
    std::array<bool, StationCount + 1> BroadcastCopied{}; // 1..8
    std::uint8_t BroadcastCopyCount = 0;
    std::array<LedRow, 4> LedState{};        // rows 1 Hub 1, 2 Hub 2, 3 switch
    std::array<LedRow, 3> ExpectedHubLeds{}; // rows 1 Hub 1, 2 Hub 2
    std::uint8_t CurrentHub = 0;
    std::int32_t HubAuto = 0;
    std::int32_t HubStepCount = 0;
    std::array<bool, MaxHubAuto + 1> HubAutoSlots{}; // 1..16
    bool FrameFiltered = false;
    std::uint8_t SwitchInPort = 0;
    std::string InitialEntries;
    std::string TtlMaxText;
    std::uint8_t FreqMulti = 0;
    std::string QuestionsFolder;
    std::string StartFolder;
    bool FirstExercise = false;
    std::array<StationEntry, BroadcastIndex + 1> StationTable{}; // 0..9

    bool operator==(const SharedState&) const = default;
};

// The one instance every window shares.
SharedState& global();

// Back to the zeroed state of a fresh run (tests start each case with it).
void resetGlobal();

// Adds one error; the 16-bit total stops at 65535 instead of wrapping.
void countError(SharedState& state);

} // namespace kw
