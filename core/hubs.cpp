#include "hubs.h"

#include "flow.h"

#include <algorithm>
#include <limits>

namespace kw {

namespace {

bool isHub(int hub)
{
    return hub == 1 || hub == 2;
}

bool isLed(int k)
{
    return k >= 1 && k <= LedCount;
}

// The port the frame comes in on, 0 when it does not reach this hub now.
int incomingPort(int hub, std::uint8_t flowState, int source)
{
    if (flowState == flow::MachineEmitted)
        return HubPortOfStation(hub, source);
    if (flowState >= flow::TowardsOneHub && flowState <= 49)
        return hub == 1 ? 4 : 1; // the uplink to the switch
    return 0;
}

struct HitRange {
    int from;
    int to;
};

// Clicks are accepted a little around each LED window.
constexpr HitRange LedHitRanges[LedCount + 1] = {{0, -1},    {39, 57},   {72, 90},
                                                 {134, 152}, {167, 185}, {231, 249},
                                                 {263, 281}, {325, 343}, {358, 376}};

// Slot of the HubAutoSlots ring that press number `count` uses, window n 1..16.
int autoSlot(std::int32_t count, int n)
{
    return (count % n + n) % n + 1;
}

} // namespace

int HubPortOfStation(int hub, int station)
{
    if (hub == 1 && station >= 1 && station <= 3)
        return station;
    if (hub == 2 && station >= 4 && station <= 6)
        return station - 2;
    return 0;
}

LedRow ComputeExpectedHubLeds(int hub, std::uint8_t flowState, int source)
{
    LedRow leds{};
    if (!isHub(hub))
        return leds;
    for (int k = 2; k <= LedCount; k += 2)
        leds[k] = true;
    const int port = incomingPort(hub, flowState, source);
    if (port != 0) {
        leds[2 * port - 1] = true;
        leds[2 * port] = false;
    }
    return leds;
}

void PrepareHubStep(SharedState& state, int hub)
{
    if (!isHub(hub))
        return;
    state.ExpectedHubLeds[hub] =
        ComputeExpectedHubLeds(hub, state.FlowState, state.CurrentExercise.source);
    state.CurrentHub = static_cast<std::uint8_t>(hub);
}

LedBox LedRect(int k)
{
    if (!isLed(k))
        return {};
    const int j = k / 2;
    const int left = k % 2 == 1 ? 95 * j + 42 : 95 * j - 20;
    return {left, left + 11, 24, 35};
}

int HubLedAt(int x, int y)
{
    if (y < 21 || y > 39)
        return 0;
    for (int k = 1; k <= LedCount; ++k)
        if (x >= LedHitRanges[k].from && x <= LedHitRanges[k].to)
            return k;
    return 0;
}

Rgb HubLedColour(int k, bool wasOn)
{
    if (wasOn)
        return colour::Silver;
    return k % 2 == 1 ? colour::Green : colour::Red;
}

LedToggle ToggleHubLed(SharedState& state, int row, int x, int y)
{
    const int k = HubLedAt(x, y);
    if (!isHub(row) || k == 0)
        return {};
    bool& lit = state.LedState[row][k];
    const Rgb paint = HubLedColour(k, lit);
    lit = !lit;
    return {k, paint};
}

HubCheckResult CheckHubLeds(SharedState& state)
{
    const int hub = state.CurrentHub;
    if (!isHub(hub))
        return {};
    // Wrapping instead of overflowing: only the position in the ring matters.
    if (state.HubStepCount == std::numeric_limits<std::int32_t>::max())
        state.HubStepCount = 0;
    else
        ++state.HubStepCount;
    const int n = std::min<std::int32_t>(state.HubAuto, MaxHubAuto);
    const int slot = n > 0 ? autoSlot(state.HubStepCount, n) : 0;
    if (slot != 0)
        state.HubAutoSlots[slot] = true;

    const LedRow& lit = state.LedState[hub];
    const LedRow& expected = state.ExpectedHubLeds[hub];
    for (int k = 1; k <= LedCount; k += 2)
        if (lit[k] != expected[k])
            return {HubCheckOutcome::WrongRx, msg::WrongRxLed};
    for (int k = 2; k <= LedCount; k += 2)
        if (lit[k] != expected[k])
            return {HubCheckOutcome::WrongTx, msg::WrongTxLed};

    if (slot != 0)
        state.HubAutoSlots[slot] = false;
    state.FlowState = AfterHubPass(state.FlowState);
    return {HubCheckOutcome::Passed, {}};
}

std::vector<int> RepeatedCables(int hub, const LedRow& expected)
{
    std::vector<int> cables;
    if (!isHub(hub))
        return cables;
    for (int port = 1; port <= 4; ++port)
        if (expected[2 * port])
            cables.push_back(HubPortCable(hub, port));
    return cables;
}

std::vector<LedPaint> HubLedsToPaint(const LedRow& expected)
{
    std::vector<LedPaint> paints;
    for (int k = 1; k <= LedCount; k += 2)
        if (expected[k])
            paints.push_back({k, colour::Green});
    for (int k = 2; k <= LedCount; k += 2)
        if (expected[k])
            paints.push_back({k, colour::Red});
    return paints;
}

} // namespace kw
