#include "global.h"

#include <limits>

namespace kw {

namespace {
SharedState theState;
}

SharedState& global()
{
    return theState;
}

void resetGlobal()
{
    theState = SharedState{};
}

void countError(SharedState& state)
{
    if (state.ErrorTotal < std::numeric_limits<std::uint16_t>::max())
        ++state.ErrorTotal;
}

} // namespace kw
