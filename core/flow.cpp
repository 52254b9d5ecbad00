#include "flow.h"

#include "stations.h"

#include <algorithm>

namespace kw {

namespace {

bool isStation(int index)
{
    return index >= 1 && index <= StationCount;
}

bool copied(const BroadcastFlags& flags, int station)
{
    return isStation(station) && flags[station];
}

bool towardsBothHubs(std::uint8_t flowState)
{
    return flowState >= flow::TowardsBothHubs && flowState <= 49;
}

StationClickDecision withMessage(StationClickOutcome outcome, const char* text, bool counted)
{
    return {outcome, text, counted, AfterReceiving::Nothing};
}

// FlowState 11..49: the frame is on its way; only early Broadcast receivers are served.
StationClickDecision onTheWay(std::uint8_t flowState, int clicked, ExercisePair exercise,
                              const BroadcastFlags& broadcastCopied)
{
    if (copied(broadcastCopied, clicked))
        return {StationClickOutcome::ReceivingCopied, {}, false, AfterReceiving::Nothing};
    if (exercise.destination == BroadcastIndex && flowState > flow::MachineEmitted &&
        SameSide(clicked, exercise.source))
        return {StationClickOutcome::ReceivingEditable, {}, false, AfterReceiving::Nothing};
    return withMessage(StationClickOutcome::WarnNotYet, msg::DestinationLast, false);
}

// FlowState 50: the destination (every station on Broadcast) takes the frame in.
StationClickDecision reachedAll(int clicked, ExercisePair exercise,
                                const BroadcastFlags& broadcastCopied)
{
    if (copied(broadcastCopied, clicked))
        return {StationClickOutcome::ReceivingCopied, {}, false, AfterReceiving::EndCheck};
    if (exercise.destination <= StationCount && exercise.destination != clicked)
        return withMessage(StationClickOutcome::RefuseNotNow, msg::NotStationTime, true);
    return {
        StationClickOutcome::ReceivingEditable, {}, false, AfterReceiving::CountCopiesThenEndCheck};
}

} // namespace

std::uint8_t AfterHubPass(std::uint8_t flowState)
{
    if (flowState == flow::MachineEmitted)
        flowState = flow::SenderHubDone;
    if (flowState == flow::TowardsOneHub)
        flowState = flow::ReachedAll;
    if (flowState == flow::OneOfTwoHubsDone)
        flowState = flow::ReachedAll;
    if (flowState == flow::TowardsBothHubs)
        flowState = flow::OneOfTwoHubsDone;
    return flowState;
}

bool HubAutoRule(SharedState& state)
{
    const int window = std::min<std::int32_t>(state.HubAuto, MaxHubAuto);
    if (window < 1)
        return true;
    for (int slot = 1; slot <= window; ++slot)
        if (state.HubAutoSlots[slot])
            return true;
    state.SavedFlowState = state.FlowState;
    state.FlowState = AfterHubPass(state.FlowState);
    return false;
}

void SaveFlowStateOnHubActivation(SharedState& state)
{
    state.SavedFlowState = state.FlowState;
}

bool HubWasPassed(const SharedState& state)
{
    return state.FlowState != state.SavedFlowState;
}

bool HubMayBeTreated(int hub, std::uint8_t flowState, int source, const LedRow& switchLeds)
{
    if (hub != 1 && hub != 2)
        return false;
    if (towardsBothHubs(flowState))
        return true;
    // Hub 1 lies behind switch port 1 (TX LED 1), Hub 2 behind port 4 (TX LED 7).
    const int firstMachine = hub == 1 ? 1 : 4;
    const int switchTxLed = hub == 1 ? 1 : 7;
    if (flowState == flow::MachineEmitted)
        return source >= firstMachine && source <= firstMachine + 2;
    if (flowState == flow::TowardsOneHub)
        return switchLeds[switchTxLed];
    return false;
}

ElementClickDecision DecideHubClick(int hub, bool hubTicked, std::uint8_t flowState, int source,
                                    const LedRow& switchLeds)
{
    if (hub != 1 && hub != 2)
        return {ElementClickOutcome::Refused, msg::NotHubTime};
    if (hubTicked)
        return {ElementClickOutcome::Review, {}};
    if (!HubMayBeTreated(hub, flowState, source, switchLeds))
        return {ElementClickOutcome::Refused, msg::NotHubTime};
    return {ElementClickOutcome::Treat, {}};
}

ElementClickDecision DecideSwitchClick(std::uint8_t flowState, bool switchTicked)
{
    if (flowState < flow::SenderHubDone)
        return {ElementClickOutcome::Refused, msg::NotSwitchTime};
    if (switchTicked)
        return {ElementClickOutcome::Review, {}};
    return {ElementClickOutcome::Treat, {}};
}

bool SwitchWasPassed(std::uint8_t flowState)
{
    return flowState >= flow::TowardsOneHub;
}

StationClickDecision DecideStationClick(std::uint8_t flowState, int clicked, ExercisePair exercise,
                                        const BroadcastFlags& broadcastCopied)
{
    if (!isStation(clicked))
        return {};
    const bool isSender = clicked == exercise.source;
    if (flowState <= flow::ExerciseReady) {
        if (isSender)
            return {StationClickOutcome::Emit, {}, false, AfterReceiving::Nothing};
        return withMessage(StationClickOutcome::RefuseNotSender, msg::NotSender, true);
    }
    if (flowState <= flow::ReachedAll && isSender)
        return {StationClickOutcome::SendingReview, {}, false, AfterReceiving::Nothing};
    if (flowState < flow::ReachedAll)
        return onTheWay(flowState, clicked, exercise, broadcastCopied);
    if (flowState == flow::ReachedAll)
        return reachedAll(clicked, exercise, broadcastCopied);
    if (isSender)
        return {StationClickOutcome::SendingView, {}, false, AfterReceiving::Nothing};
    if (clicked == exercise.destination || copied(broadcastCopied, clicked))
        return {StationClickOutcome::ReceivingView, {}, false, AfterReceiving::Nothing};
    return {};
}

StationClickDecision BeginStationClick(SharedState& state, int clicked)
{
    if (isStation(clicked) && state.FlowState <= flow::ExerciseReady)
        state.FlowState = flow::ExerciseReady;
    return DecideStationClick(state.FlowState, clicked, state.CurrentExercise,
                              state.BroadcastCopied);
}

EmissionResult FinishEmission(SharedState& state)
{
    if (state.FlowState != flow::MachineEmitted)
        return {};
    const int source = state.CurrentExercise.source;
    // A server is wired straight to the switch: no hub to repeat its frame.
    if (source == 7 || source == 8)
        state.FlowState = flow::ServerEmitted;
    return {true, CableOf(source)};
}

void RecountBroadcastCopies(SharedState& state)
{
    const auto count =
        std::count(state.BroadcastCopied.begin() + 1, state.BroadcastCopied.end(), true);
    state.BroadcastCopyCount = static_cast<std::uint8_t>(count);
    if (state.BroadcastCopyCount >= StationCount - 1)
        state.FlowState = flow::FrameDone;
}

bool FinishReceivingClick(SharedState& state, AfterReceiving after)
{
    if (after == AfterReceiving::Nothing)
        return false;
    if (after == AfterReceiving::CountCopiesThenEndCheck &&
        state.CurrentExercise.destination == BroadcastIndex)
        RecountBroadcastCopies(state);
    return state.FlowState == flow::FrameDone;
}

bool SendingDialogEditable(std::uint8_t flowState)
{
    return flowState == flow::ExerciseReady;
}

bool ReceivingDialogEditable(std::uint8_t flowState, int destination, bool alreadyCopied)
{
    if (alreadyCopied)
        return false;
    return flowState == flow::ReachedAll ||
           (flowState > flow::MachineEmitted && destination == BroadcastIndex);
}

} // namespace kw
