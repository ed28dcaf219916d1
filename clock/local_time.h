// Moments as local wall-clock times, in the time zone of the process (TZ, or the system's).
#pragma once

#include <string>

namespace velmora {

// "HH:MM" on the 24-hour clock, `moment` in seconds since 1970; "--:--" for a moment the C
// library cannot convert.
[[nodiscard]] std::string hourMinute(double moment);

}  // namespace velmora
