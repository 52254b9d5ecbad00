#pragma once

// The switch's LED picture: which LED a click hits, how it is painted, and the
// check of the lit LEDs against the reception, flooding, forwarding and filtering rules.
// On the switch the odd LED of a port is TX (red) and the even one RX (green).

#include "global.h"
#include "switchtable.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kw {

// LED 1..8 whose hit region holds (x, y) in picture pixels; 0 for none.
int SwitchLedAt(int x, int y);

struct SwitchLedRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const SwitchLedRect&) const = default;
};

// The 12 x 12 square painted for LED 1..8; all zero for any other number.
SwitchLedRect SwitchLedSquare(int led);

// Colour LED 1..8 is painted with when clicked while `lit` (silver) or dark (its own).
Rgb SwitchLedPaintColour(int led, bool lit);

struct SwitchLedToggle {
    int led = 0; // 0: the click hit no LED and nothing changed
    Rgb colour;
    SwitchLedRect square;
};

// Mouse-down on the picture: flips the LED's flag in `leds` (LedState row 3) and says
// what to paint.
SwitchLedToggle ToggleSwitchLed(LedRow& leds, int x, int y);

namespace msg {
inline constexpr const char* SwitchRxLedsWrong = "Au moins une Led réception mal positionnée";
inline constexpr const char* SwitchTxLedsWrong = "Au moins une Led émission mal positionnée";
} // namespace msg

struct SwitchLedCheck {
    std::uint8_t switchInPort = 0; // port of the lowest lit RX LED, 0 for none
    bool frameFiltered = false;
    std::vector<std::string> messages; // each one to report, in order
    bool success = false;              // close the dialog with success
};

// "Terminé" in the LED dialog. source 1..8, destination 1..9, leds = LedState row 3.
SwitchLedCheck CheckSwitchLeds(int source, int destination, ForwardingChoice choice,
                               const LedRow& leds);
// Same on the shared state; also writes its SwitchInPort and FrameFiltered.
SwitchLedCheck CheckSwitchLeds(SharedState& state, ForwardingChoice choice);

// Cables to draw red once the switch has committed: those of the ports whose TX LED
// is lit, port 1 to 4.
std::vector<int> SwitchEmittingCables(const LedRow& leds);

} // namespace kw
