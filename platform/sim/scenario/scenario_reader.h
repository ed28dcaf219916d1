// Reads a scenario file (JSON; format in docs/velmora-sim.md) one event at a time into its final
// form, refusing unknown keys, values of the wrong type or range, and anything after the JSON
// value. No tree of the whole file, or of a whole event, is held (each window is converted as soon
// as it is whole), and nesting is limited: what is held beyond the final form is bounded.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "platform/sim/scenario/scenario.h"
#include "platform/sim/scenario/sim_error.h"

namespace velmora::sim {

// An error's `where` is "line L, column C" or a JSON pointer such as "/events/2/at".
using ScenarioResult = std::variant<Scenario, SimError>;

[[nodiscard]] ScenarioResult parseScenario(std::string_view json);

}  // namespace velmora::sim
