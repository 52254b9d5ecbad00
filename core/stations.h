#pragma once

// The stations' own checks: the sending dialog's copy and frame check, the receiving
// dialog's copy decision. Plain values in, plain results out.

#include "global.h"

#include <array>
#include <string>

namespace kw {

namespace msg {
inline constexpr const char* NoMacInField = "Ce champ ne doit pas contenir d'adresse MAC";
inline constexpr const char* WrongMac = "Une adresse MAC est incorrecte";
inline constexpr const char* CheckDestination = "Vérifiez le destinataire";
} // namespace msg

// The known-addresses cache: rows 0..9 as in StationTable (row 0 the header).
using StationList = std::array<StationEntry, BroadcastIndex + 1>;

enum class CopyOutcome {
    Copied,  // write `text` into the frame cell (frameColumn, 0)
    Refused, // ReportError(message); frame unchanged
    Ignored, // no usable selection: nothing happens
};

struct CopyResult {
    CopyOutcome outcome = CopyOutcome::Ignored;
    std::string text;
    std::string message;
};

// Double-click copy from cache row 1..9 into frame column 0 or 1; columns 2..4 are refused
// whatever the row.
CopyResult CopyCachedAddress(int frameColumn, int cacheRow, const StationList& cache);

struct FrameCheck {
    bool accepted = false; // true: FlowState := 20 and the dialog closes
    std::string message;   // when refused: one ReportError, the dialog stays open
};

// "Terminé" of the sending dialog: the texts must equal the cache's MAC of the destination,
// then of the source; a wrong destination hides a wrong source.
FrameCheck CheckEmittedFrame(const std::string& destCell, const std::string& srcCell,
                             ExercisePair exercise, const StationList& cache);

// Both in 1..3 (Hub 1) or both in 4..8 (Hub 2 and the servers).
bool SameSide(int a, int b);

struct CopyDecision {
    bool close = false;  // the decision was right: the dialog closes
    std::string message; // wrong decision: ReportError, the dialog stays open
};

// "Terminé" of the receiving dialog of station c. Broadcast: a copy sets BroadcastCopied[c];
// unicast: copy exactly at the destination, which ends the frame (FlowState 60).
CopyDecision CheckCopyDecision(int clicked, bool copyTicked, ExercisePair exercise,
                               SharedState& state);

} // namespace kw
