#pragma once

// The frame-handling flow: which element may be treated when, and every move of FlowState
// that is not the job of one dialog alone. Windows gather their inputs, call these and
// apply the result (message box, FlowState, painting).

#include "global.h"

#include <array>
#include <cstdint>
#include <string>

namespace kw {

namespace msg {
inline constexpr const char* NotSender = "Ce n'est pas le noeud émetteur";
inline constexpr const char* DestinationLast =
    "Le destinataire doit être traité après TOUS les autres";
inline constexpr const char* NotStationTime = "Ce n'est pas le moment de traiter cette station";
inline constexpr const char* NotHubTime = "Ce n'est pas le moment de traiter ce hub";
inline constexpr const char* NotSwitchTime = "Ce n'est pas le moment de traiter le switch";
} // namespace msg

using BroadcastFlags = std::array<bool, StationCount + 1>; // stations 1..8

// ---- Hubs ----

// FlowState after a hub has repeated the frame: 20→30, 40→50, 45→50, 41→45, each test on the
// value the previous one left, so 41 ends at 45.
std::uint8_t AfterHubPass(std::uint8_t flowState);

// True: the hub dialog must open. False: the hub passed by itself (SavedFlowState was saved
// and FlowState advanced), because the last HubAuto presses of "Terminé" all succeeded.
bool HubAutoRule(SharedState& state);

// A hub dialog remembers FlowState when it is activated.
void SaveFlowStateOnHubActivation(SharedState& state);

// After the hub dialog closed or the automatic pass: did the hub repeat the frame?
bool HubWasPassed(const SharedState& state);

// Hub under a click of the hub row: 39..174 Hub 1, 317..453 Hub 2, otherwise 0.
constexpr int HubAtX(int x)
{
    if (x >= 39 && x <= 174)
        return 1;
    if (x >= 317 && x <= 453)
        return 2;
    return 0;
}

// Whether hub 1 or 2 (not yet ticked) may be treated now; switchLeds is LedState row 3.
bool HubMayBeTreated(int hub, std::uint8_t flowState, int source, const LedRow& switchLeds);

enum class ElementClickOutcome {
    Refused, // report `message` with ReportError
    Review,  // already treated: show the dialog modeless, read-only
    Treat,   // open the dialog for work
};

struct ElementClickDecision {
    ElementClickOutcome outcome = ElementClickOutcome::Refused;
    std::string message; // only for Refused
};

// A click on hub 0..2 (0: between the hubs); hubTicked is the hub's "Traité" box.
ElementClickDecision DecideHubClick(int hub, bool hubTicked, std::uint8_t flowState, int source,
                                    const LedRow& switchLeds);

// ---- Switch ----

// The FlowState test comes first, then the "Traité" box `_switch`.
ElementClickDecision DecideSwitchClick(std::uint8_t flowState, bool switchTicked);

// After the modal switch dialog closed: the frame has left the switch.
bool SwitchWasPassed(std::uint8_t flowState);

// ---- Stations ----

enum class StationClickOutcome {
    Nothing,           // nothing at all
    Emit,              // sending dialog modal, editable ("Terminé" and label shown)
    RefuseNotSender,   // ReportError(message)
    SendingReview,     // hide "Terminé" and label, show the sending dialog modeless
    SendingView,       // show the sending dialog modeless, unchanged
    ReceivingCopied,   // tick `copier`, receiving dialog modal (read-only by its activation)
    ReceivingEditable, // untick `copier`, receiving dialog modal, editable
    WarnNotYet,        // plain warning box with message, not counted
    RefuseNotNow,      // ReportError(message)
    ReceivingView,     // receiving dialog modeless, `copier` unchanged
};

// What a station click runs once its modal receiving dialog has closed.
enum class AfterReceiving {
    Nothing,
    EndCheck,                // FlowState 60 hands over to the progress window
    CountCopiesThenEndCheck, // on Broadcast recount the copies first (7 give 60)
};

struct StationClickDecision {
    StationClickOutcome outcome = StationClickOutcome::Nothing;
    std::string message;  // text of the box, empty when none
    bool counted = false; // the box goes through ReportError
    AfterReceiving after = AfterReceiving::Nothing;
};

// The outcome of a click on station 1..8 (any other index gives Nothing).
StationClickDecision DecideStationClick(std::uint8_t flowState, int clicked, ExercisePair exercise,
                                        const BroadcastFlags& broadcastCopied);

// As DecideStationClick on the shared state, and first the FlowState := 10 that every click
// on a station 1..8 makes before emission, refused ones included.
StationClickDecision BeginStationClick(SharedState& state, int clicked);

struct EmissionResult {
    bool emitted = false; // false: the dialog closed without an accepted frame
    int cable = 0;        // sender's cable, whose first line turns white
};

// After the sending dialog opened for emission closed: a server sender goes on to 35.
EmissionResult FinishEmission(SharedState& state);

// BroadcastCopyCount := copies of stations 1..8; 7 or more end the frame (FlowState 60).
void RecountBroadcastCopies(SharedState& state);

// After the modal receiving dialog of a station click closed; true: FlowState is 60 and the
// progress window takes over (tick `_destinataire`, enable `fin_traitement`, bring to front).
bool FinishReceivingClick(SharedState& state, AfterReceiving after);

// ---- Dialog activation ----

bool SendingDialogEditable(std::uint8_t flowState);

// The receiving dialog's panel (and its "Terminé") are enabled.
bool ReceivingDialogEditable(std::uint8_t flowState, int destination, bool alreadyCopied);

} // namespace kw
