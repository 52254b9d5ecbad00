#pragma once

// The switch's address table and the learning, forwarding and ageing rules the
// student applies in the switch dialog. Plain values only: the dialog shows the
// table and the frame in its grids and feeds these functions.

#include "global.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace kw {

// Rows of the table grid: 0 headings, 1..8 entries, 9 the entry being prepared.
inline constexpr int SwitchHeadingRow = 0;
inline constexpr int SwitchFirstEntry = 1;
inline constexpr int SwitchLastEntry = 8;
inline constexpr int SwitchEntryRow = 9;
inline constexpr int SwitchTableRowCount = 10;

namespace msg {
inline constexpr const char* SwitchTableNotUpdated = "La table n'est pas correctement mise à jour";
inline constexpr const char* SwitchAddressesMisread = "Adresses mal analysées";
} // namespace msg

// What LookUpDestination gives for an address the table does not know.
inline constexpr const char* UnknownPortText = " ";

struct SwitchRow {
    std::string address; // "" = the row is empty
    std::string ttl;     // decimal 0..255, "" when empty
    std::string port;    // "1".."4", "" when empty
    bool operator==(const SwitchRow&) const = default;
};

struct SwitchTable {
    std::array<SwitchRow, SwitchTableRowCount> rows{{{"adresses MAC", "TTL", "Port"}}};

    SwitchRow& entryRow() { return rows[SwitchEntryRow]; }
    const SwitchRow& entryRow() const { return rows[SwitchEntryRow]; }
    bool operator==(const SwitchTable&) const = default;
};

inline bool IsEmptyRow(const SwitchRow& row)
{
    return row.address.empty();
}

// The five cells of the received frame: destination MAC, source MAC, the narrow
// empty field, " Couches LLC et supérieures", "FCS".
using FrameRow = std::array<std::string, 5>;

inline constexpr const char* FrameUpperLayersText = " Couches LLC et supérieures";
inline constexpr const char* FrameFcsText = "FCS";

// The radio buttons b_d1..b_d4 and b_dinconnu, or none checked.
enum class ForwardingChoice { None, Port1, Port2, Port3, Port4, Unknown };

// MAC text of station 1..8 as the known-addresses window shows it.
using StationMacLookup = std::function<std::string(int station)>;

// Value of a Ttl or ttl_max text, clamped to a byte; a text that is not a decimal
// integer (blanks around it allowed) counts as 0.
int TtlFromText(std::string_view text);

// The table at start-up. Reseeds the shared generator with 123456789 unless
// initialEntries is "". Characters other than '1'..'8' leave their row wholly empty
// but still take their draw, so the random sequence does not depend on them.
SwitchTable InitSwitchTable(const std::string& initialEntries, const std::string& ttlMaxText,
                            const StationMacLookup& stationMac);

// The frame as the switch receives it; a station index outside 1..9 gives "".
FrameRow MakeFrameRow(const std::string& destinationMac, const std::string& sourceMac);
FrameRow ShowReceivedFrame(const SharedState& state);

// Double-click on the frame or on a port button. selectedColumn outside 0..4 copies
// "" (no cell is selected); updatePort 0 keeps the entry's previous Port.
void CopyToEntryRow(SwitchTable& table, const FrameRow& frame, int selectedColumn, int updatePort,
                    const std::string& ttlMaxText);

// The entry row holds the source's MAC and its arrival port (the Ttl is not checked).
bool CheckTableUpdate(const SwitchTable& table, const FrameRow& frame, int source);

// Port text "1".."4" of the destination (last matching entry wins), or " " (UnknownPortText).
std::string LookUpDestination(const SwitchTable& table, const FrameRow& frame);

bool CheckForwardingChoice(const std::string& lookup, ForwardingChoice choice);

// Copies the entry row into the row of its address or the topmost empty one (nothing
// when the table is full of other addresses), then clears the entry row.
void LearnEntry(SwitchTable& table);

// FlowState after a committed switch step: 40, 41 or 50.
std::uint8_t SetSwitchFlowState(const std::string& lookup, bool frameFiltered, int source);

// Ages every entry by one draw RandomBelow(10) + 8 from the shared generator, removing
// those whose Ttl is not above it; returns the draw.
int AgeTable(SwitchTable& table);
// Same with a given draw.
void AgeTable(SwitchTable& table, int draw);

// Moves the gaps to the bottom, keeping the entries' order.
void CompactTable(SwitchTable& table);

// Click on the switch picture.
enum class EmitAction {
    ReviewLeds, // switch already treated: LED dialog in review mode
    Refuse,     // report `message`
    OpenLeds    // LED dialog in working mode; commit on its success
};

struct EmitDecision {
    EmitAction action = EmitAction::Refuse;
    std::string message; // for Refuse
    std::string lookup;  // for OpenLeds: to pass to CommitSwitchStep
};

EmitDecision DecideEmit(const SwitchTable& table, const FrameRow& frame, int source,
                        ForwardingChoice choice, bool switchTreated);

// After the LED dialog's success: learn, set the flow, age, compact. Returns the new
// FlowState. (The click on the switch in the diagram is decided by DecideSwitchClick and
// SwitchWasPassed, flow.h.)
std::uint8_t CommitSwitchStep(SwitchTable& table, const std::string& lookup, bool frameFiltered,
                              int source);

} // namespace kw
