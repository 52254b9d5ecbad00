#include "stations.h"

namespace kw {

namespace {

bool isStation(int index)
{
    return index >= 1 && index <= StationCount;
}

// Index 0 is the header row and names no station (a faulty exercise file may carry it).
bool isDestination(int index)
{
    return index >= 1 && index <= BroadcastIndex;
}

} // namespace

CopyResult CopyCachedAddress(int frameColumn, int cacheRow, const StationList& cache)
{
    if (frameColumn >= 2)
        return {CopyOutcome::Refused, {}, msg::NoMacInField};
    // The header row cannot be selected, so it is never a source of a copy.
    if (frameColumn < 0 || cacheRow < 1 || cacheRow > BroadcastIndex)
        return {};
    return {CopyOutcome::Copied, cache[cacheRow].mac, {}};
}

FrameCheck CheckEmittedFrame(const std::string& destCell, const std::string& srcCell,
                             ExercisePair exercise, const StationList& cache)
{
    // Texts are compared, not rows: two stations configured alike are interchangeable.
    const bool destRight =
        isDestination(exercise.destination) && destCell == cache[exercise.destination].mac;
    const bool srcRight = isStation(exercise.source) && srcCell == cache[exercise.source].mac;
    if (!destRight || !srcRight)
        return {false, msg::WrongMac};
    return {true, {}};
}

bool SameSide(int a, int b)
{
    return (a <= 3 && b <= 3) || (a >= 4 && b >= 4);
}

CopyDecision CheckCopyDecision(int clicked, bool copyTicked, ExercisePair exercise,
                               SharedState& state)
{
    if (!isStation(clicked))
        return {};
    if (exercise.destination == BroadcastIndex) {
        if (!copyTicked)
            return {false, msg::CheckDestination};
        state.BroadcastCopied[clicked] = true;
        return {true, {}};
    }
    const bool mustCopy = clicked == exercise.destination;
    if (copyTicked != mustCopy)
        return {false, msg::CheckDestination};
    if (copyTicked)
        state.FlowState = flow::FrameDone;
    return {true, {}};
}

} // namespace kw
