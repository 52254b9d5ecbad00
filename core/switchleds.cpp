#include "switchleds.h"

#include <array>

namespace kw {

namespace {

struct XRange {
    int first;
    int last;
};

constexpr std::array<XRange, LedCount + 1> HitColumns{{
    {0, -1},
    {39, 57},
    {72, 90},
    {134, 152},
    {167, 185},
    {231, 249},
    {263, 281},
    {325, 343},
    {358, 376},
}};

constexpr int HitTop = 21;
constexpr int HitBottom = 39;
constexpr int SquareTop = 24;
constexpr int SquareSize = 12;

bool isTx(int led)
{
    return led % 2 == 1;
}

bool lit(const LedRow& leds, int led)
{
    return leds[static_cast<std::size_t>(led)];
}

int txLed(int port)
{
    return 2 * port - 1;
}

int rxLed(int port)
{
    return 2 * port;
}

int chosenPort(ForwardingChoice choice)
{
    switch (choice) {
    case ForwardingChoice::Port1:
        return 1;
    case ForwardingChoice::Port2:
        return 2;
    case ForwardingChoice::Port3:
        return 3;
    case ForwardingChoice::Port4:
        return 4;
    case ForwardingChoice::None:
    case ForwardingChoice::Unknown:
        break;
    }
    return 0;
}

} // namespace

int SwitchLedAt(int x, int y)
{
    if (y < HitTop || y > HitBottom)
        return 0;
    for (int k = 1; k <= LedCount; ++k) {
        const XRange& r = HitColumns[static_cast<std::size_t>(k)];
        if (x >= r.first && x <= r.last)
            return k;
    }
    return 0;
}

SwitchLedRect SwitchLedSquare(int led)
{
    if (led < 1 || led > LedCount)
        return {};
    const int left = isTx(led) ? (led / 2) * 95 + 42 : (led / 2) * 95 - 20;
    return {left, SquareTop, SquareSize, SquareSize};
}

Rgb SwitchLedPaintColour(int led, bool isLit)
{
    if (isLit)
        return colour::Silver;
    return isTx(led) ? colour::Red : colour::Green;
}

SwitchLedToggle ToggleSwitchLed(LedRow& leds, int x, int y)
{
    const int k = SwitchLedAt(x, y);
    if (k == 0)
        return {};
    auto& flag = leds[static_cast<std::size_t>(k)];
    SwitchLedToggle result{k, SwitchLedPaintColour(k, flag), SwitchLedSquare(k)};
    flag = !flag;
    return result;
}

SwitchLedCheck CheckSwitchLeds(int source, int destination, ForwardingChoice choice,
                               const LedRow& leds)
{
    SwitchLedCheck check;
    const bool sourceIsStation = source >= 1 && source <= StationCount;
    const int arrivalPort = SwitchPortOf(source);

    // Reception: exactly one RX LED, the arrival port's.
    int rxErrors = 0;
    for (int p = 1; p <= 4; ++p) {
        if (!lit(leds, rxLed(p)))
            continue;
        if (check.switchInPort != 0)
            ++rxErrors;
        else
            check.switchInPort = static_cast<std::uint8_t>(p);
    }
    if (sourceIsStation && check.switchInPort != arrivalPort)
        ++rxErrors;
    if (rxErrors > 0)
        check.messages.emplace_back(msg::SwitchRxLedsWrong);

    // Emission, judged against the port the student says the frame came in on.
    int txLit = 0;
    for (int p = 1; p <= 4; ++p)
        txLit += lit(leds, txLed(p)) ? 1 : 0;
    int txErrors = 0;
    if (choice == ForwardingChoice::Unknown) {
        // With no RX LED lit the reception message has been given already; judging the
        // flood against the true arrival port keeps one mistake to one message.
        const int inPort = check.switchInPort != 0 ? check.switchInPort : arrivalPort;
        const bool flooded = txLit == 3 && inPort != 0 && !lit(leds, txLed(inPort));
        if (!flooded)
            txErrors = 1;
    } else {
        const bool destinationIsStation = destination >= 1 && destination <= StationCount;
        if (destinationIsStation && SwitchPortOf(destination) == check.switchInPort)
            check.frameFiltered = true;
        if (check.frameFiltered) {
            if (txLit != 0)
                txErrors = 1;
        } else if (txLit != 1) {
            txErrors = 1;
        } else {
            const int port = chosenPort(choice);
            // No port chosen: the one lit TX LED cannot be the chosen port's.
            if (port == 0 || !lit(leds, txLed(port)))
                ++txErrors;
        }
    }
    if (txErrors > 0)
        check.messages.emplace_back(msg::SwitchTxLedsWrong);

    check.success = rxErrors + txErrors == 0;
    return check;
}

SwitchLedCheck CheckSwitchLeds(SharedState& state, ForwardingChoice choice)
{
    SwitchLedCheck check = CheckSwitchLeds(
        state.CurrentExercise.source, state.CurrentExercise.destination, choice, state.LedState[3]);
    state.SwitchInPort = check.switchInPort;
    state.FrameFiltered = check.frameFiltered;
    return check;
}

std::vector<int> SwitchEmittingCables(const LedRow& leds)
{
    std::vector<int> cables;
    for (int p = 1; p <= 4; ++p)
        if (lit(leds, txLed(p)))
            cables.push_back(SwitchPortCables[static_cast<std::size_t>(p)]);
    return cables;
}

} // namespace kw
