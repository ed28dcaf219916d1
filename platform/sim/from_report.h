// velmora-sim --from-report FILE: prints the scenario that makes the tracker write a user's
// detection report again.
#pragma once

#include <iosfwd>
#include <string>

namespace velmora::sim {

// Reads the report in `file` ("-": standard input). Writes the scenario (JSON) to `out` and
// returns 0; or writes one line to `err` naming the file, the report's line and what is wrong
// (report text shown with its controls visible), nothing to `out`, and returns 2. When `out`
// cannot be written, says so on `err` and returns 1.
[[nodiscard]] int printScenarioOfReport(const std::string& file, std::ostream& out,
                                        std::ostream& err);

}  // namespace velmora::sim
