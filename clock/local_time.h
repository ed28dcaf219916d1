// Moments as local wall-clock times, in the time zone of the process (TZ, or the system's).
#pragma once

#include <optional>
#include <string>

namespace velmora {

// "HH:MM" on the 24-hour clock, `moment` in seconds since 1970; "--:--" for a moment the C
// library cannot convert.
[[nodiscard]] std::string hourMinute(double moment);

// The local midnight that begins `moment`'s day, and the one that begins its week (Monday);
// nothing for a moment the C library cannot convert.
[[nodiscard]] std::optional<double> localDayStart(double moment);
[[nodiscard]] std::optional<double> localWeekStart(double moment);

// ISO 8601 local time with the zone's offset, whole seconds: "2026-12-08T19:23:13+01:00"; empty
// for a moment the C library cannot convert.
[[nodiscard]] std::string isoLocalTime(double moment);

}  // namespace velmora
