#pragma once

// A scenario (tests/scenarios) replayed through the real windows: its series written into a
// fresh folder, the program started there as kw_switch starts (with the scenario's seed and a
// clock that moves only on `wait`), every act made as the student's gesture on the widgets,
// every box answered through the seam, and every expectation read from the widgets: the
// labels, check boxes, grids and pictures, and which dialogs are up and how; only FlowState
// is the game's, as the windows do not show it.
//
// A dialog opened for work is run through the seam, which does not nest an event loop: the
// acts made while it is up are played from inside it, until it closes. A question stays up
// until the scenario's `answer`: the acts before it are made while it is up.

#include "gestures.h"
#include "scenario.h"

#include <QStringList>

#include <memory>

namespace kw::test {

struct WidgetReplayResult {
    // "<file>:<line>: <expectation>: <what the windows show> (after <act> at line <n>)"; the
    // replay stops after the first step that fails.
    QStringList failures;
    int acts = 0; // gestures made
    bool ok() const { return failures.isEmpty(); }
};

// One program started on a scenario's series, kept up after its replay for a test that looks
// further at the windows; it ends with this object.
class ScenarioProgram {
public:
    explicit ScenarioProgram(const kw::scenario::Scenario& scenario, Ways ways = {});
    ~ScenarioProgram();
    ScenarioProgram(const ScenarioProgram&) = delete;
    ScenarioProgram& operator=(const ScenarioProgram&) = delete;

    // Starts the program and plays every step, once.
    WidgetReplayResult replay();

private:
    class Replayer;
    std::unique_ptr<Replayer> m_replayer;
};

WidgetReplayResult replayThroughWindows(const kw::scenario::Scenario& scenario, Ways ways = {});

// A scenario file of tests/scenarios, by its name.
kw::scenario::Scenario scenarioNamed(const QString& name);

} // namespace kw::test
