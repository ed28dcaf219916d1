// The elapsed-time text of the menu.
#pragma once

#include <string>

namespace velmora {

// The time from `since` to `now`, both seconds since 1970, truncated to whole seconds:
// "59s", "1m 0s", "25h 1m 1s" (hours are not folded into days). A `since` in the future (clock
// set back, a file from another machine) or a NaN on either side reads as "0s"; an elapsed time
// beyond the signed 64-bit range is clamped to its largest value.
[[nodiscard]] std::string fmtUptime(double since, double now);
// The same text appended to `out`, without a string of its own (a menu has one per session).
void appendUptime(std::string& out, double since, double now);

}  // namespace velmora
