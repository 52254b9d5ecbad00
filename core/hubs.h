#pragma once

// The hub step: the LEDs a hub must show, its LED picture's geometry and colours, and the
// check of the student's LEDs. A hub repeats on every port but the one the frame came in on.

#include "global.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kw {

namespace msg {
inline constexpr const char* WrongRxLed = "Au moins une led RX est mal positionnée";
inline constexpr const char* WrongTxLed = "Au moins une led TX est mal positionnée";
} // namespace msg

// Port 1..4 of machine `station` on hub 1 or 2 (Hub 1: s, Hub 2: s - 2); 0 if not on it.
int HubPortOfStation(int hub, int station);

// The pattern hub 1 or 2 must show: TX on every port, except RX on the port the frame came
// in on (the source machine's port at 20, the uplink at 40..49). Hub 0 gives all off.
LedRow ComputeExpectedHubLeds(int hub, std::uint8_t flowState, int source);

// For an accepted hub click: ExpectedHubLeds[hub] and CurrentHub := hub.
void PrepareHubStep(SharedState& state, int hub);

// Inclusive pixel box of the LED picture.
struct LedBox {
    int left = 0;
    int right = -1;
    int top = 0;
    int bottom = -1;
};

// Window of LED 1..8 (y 24..35, 12 pixels wide); any other k gives an empty box.
LedBox LedRect(int k);

// LED 1..8 under a click in the hub LED picture, 0 when none.
int HubLedAt(int x, int y);

// Colour that a click paints on hub LED k: silver when it was on, else green (RX) / red (TX).
Rgb HubLedColour(int k, bool wasOn);

struct LedToggle {
    int led = 0; // 0: the click hit no LED and nothing changed
    Rgb colour;  // fill LedRect(led) with it
};

// A click in hub row 1 or 2's picture: flips the LED hit in LedState, says what to paint.
LedToggle ToggleHubLed(SharedState& state, int row, int x, int y);

enum class HubCheckOutcome {
    Passed,  // FlowState advanced: close the dialog
    WrongRx, // ReportError(message), the dialog stays open
    WrongTx, // ReportError(message), the dialog stays open
    NoHub,   // CurrentHub is not 1 or 2: nothing was done
};

struct HubCheckResult {
    HubCheckOutcome outcome = HubCheckOutcome::NoHub;
    std::string message;
};

// "Terminé" of a hub dialog: counts the press in HubStepCount and the HubAutoSlots ring,
// compares LedState[CurrentHub] with ExpectedHubLeds (RX first), and on success applies the
// hub pass to FlowState.
HubCheckResult CheckHubLeds(SharedState& state);

// Cables that get the yellow second line once the hub passed: ports 1..4 with TX on, in order.
std::vector<int> RepeatedCables(int hub, const LedRow& expected);

struct LedPaint {
    int led = 0;
    Rgb colour;
};

// What shows a hub's expected LEDs in its picture: lit RX in green, then lit TX in red.
std::vector<LedPaint> HubLedsToPaint(const LedRow& expected);

} // namespace kw
