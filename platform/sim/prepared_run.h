// What velmora-sim checks before a run writes anything: the scenario read whole, the state
// folder chosen (--home, a temporary one for --headless, or velmora-sim's own), made, and the
// tracker's writes there tried.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "app/config.h"
#include "platform/sim/scenario/scenario.h"
#include "platform/sim/scenario/sim_error.h"
#include "platform/sim/sim_home.h"
#include "platform/sim/simulation/simulation.h"

namespace velmora::sim {

// What a run plays and where it keeps its files.
struct Run {
  std::optional<Scenario> scenario;  // gone once the simulation has what it needs of it
  StatePaths paths;
  std::string stateNotice;                       // where the state files are, in words
  double start = 0.0;                            // the wall-clock moment of time 0
  std::unique_ptr<TemporaryHome> temporaryHome;  // --headless without --home: removed at the end
};

// The scenario in `file` ("-": standard input), or the built-in story without one. An error's
// `where` names the file (and the place in it). Its text is gone when this returns: a long
// scenario is large.
[[nodiscard]] std::variant<Scenario, SimError> readScenario(const std::optional<std::string>& file);

// The run of `scenario` with its state files under `home` when given, else in a fresh temporary
// folder when `temporary`, else in velmora-sim's own folder; that folder made and its writes
// tried.
[[nodiscard]] std::variant<Run, SimError> prepareRun(Scenario scenario,
                                                     const std::optional<std::string>& home,
                                                     bool temporary);

// The simulation of `run`, telling `observers` everything: the caller adds them (which read the
// simulation's time and state) before anything happens, the state folder's notice first. The
// simulation's tasks share what they need of the scenario, which then goes.
[[nodiscard]] std::unique_ptr<Simulation> simulate(Run& run, ObserverList& observers);

}  // namespace velmora::sim
