#pragma once

// A scenario replayed against the game alone: its series written into a fresh temporary
// folder, the game started there with the scenario's seed and a clock that stands still,
// every act passed on as the game's call, every expectation compared with what the game
// shows and the boxes it returned.

#include "scenario.h"

#include <string>
#include <vector>

namespace kw::scenario {

struct ReplayResult {
    // "<file>:<line>: <expectation>: <what the game shows> (after <act> at line <n>)", in
    // the order met. The replay stops after the first step that fails.
    std::vector<std::string> failures;
    int acts = 0; // the game's calls made
    bool ok() const { return failures.empty(); }
};

ReplayResult replayOnGame(const Scenario& scenario);

} // namespace kw::scenario
