// A user's detection report ("Copy Debug Info", debug.log) turned back into the scenario that
// makes the tracker write it again: the client's windows, the listing's answer, the name cache
// before the pass and the moment. Plain logic; nothing is read or written here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "platform/sim/scenario/scenario.h"
#include "platform/sim/scenario/sim_error.h"

namespace velmora::sim {

// The largest report reproduced. A client's report holds a few dozen windows and lines, a few
// KB; the memory that reading one and replaying it take grows with them, some six times the
// report's size, and stays within 8 MB and four times its size up to this many bytes.
inline constexpr std::size_t kMaxReportBytes = std::size_t{512} << 10;
inline constexpr std::size_t kMaxReportWindows = 1000;
inline constexpr std::size_t kMaxReportLines = 10000;

// A scenario, or why the report gives none: the error's `where` is "line L" and its message
// quotes report text raw (shorten it and show it visibly). Refused: a report not in the tracker's
// shape (cut off, a line missing, out of order, not UTF-8); one in shape that no client state
// makes the tracker write; one where the client quit during the pass ("  App not running" inside
// the scan); a moment or window size of nan or infinity, which JSON cannot carry; raw titles
// that mimic the report's own lines in too many ways to try all; a moment outside the years 1970
// to 9999, where a scenario cannot start; more windows or lines than are reproduced.
using ReportScenarioResult = std::variant<Scenario, SimError>;

// The scenario whose last pass writes exactly `report`, byte for byte, when velmora-sim plays
// it headless. Its last client event is the reported client; when the report shows a title
// the tracker remembered (the cache printed after the pass, or "(cached)" lines before an idle
// panel cleared it), a first pass 5 s earlier shows one 1440 x 900 window of it. `start` is chosen
// so that the last pass carries the report's moment, and `until` ends the run right after it (0 or
// 5). Every scenario returned has been replayed here and found to reproduce the report; everything
// else is refused.
[[nodiscard]] ReportScenarioResult scenarioFromReport(std::string_view report);

// The report of the last detection pass of `scenario` (client events and the timer's passes
// only; clicks and keys are not played). This is what scenarioFromReport() checks against.
[[nodiscard]] std::string lastPassReport(const Scenario& scenario);

}  // namespace velmora::sim
