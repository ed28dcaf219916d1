// Writes a scenario in velmora-sim's scenario format (JSON), so that reading it back gives the
// same scenario.
#pragma once

#include <string>

#include "platform/sim/scenario/scenario.h"

namespace velmora::sim {

// One event a line, each window of a client on a line of its own; ends in a line feed. Strings
// are written with JSON escapes for every control character (C1 and DEL included), so the text
// is safe to show in a terminal; other characters stay as they are. An absent attribute is an
// absent key, one of another type is null. Numbers are written in their shortest exact form; a
// number that is not finite has no JSON form and is written as null (which reads back as an
// attribute of another type, or is refused).
[[nodiscard]] std::string scenarioJson(const Scenario& scenario);

}  // namespace velmora::sim
