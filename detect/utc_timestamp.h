// The moment stamp of the detection report's heading line.
#pragma once

#include <string>

namespace velmora {

// `moment` (seconds since 1970-01-01 00:00:00 UTC, fraction dropped toward the past) as
// "2026-12-05 06:27:49 +0000" in the proleptic Gregorian calendar. The year has at least four
// digits and a leading "-" before year 0 (1 BC is year 0). A moment that is not finite, or
// lies outside what a signed 64-bit count of seconds holds, is written as it is instead of the
// date ("nan", "inf", "-inf" or its whole digits), followed by " +0000".
[[nodiscard]] std::string utcTimestamp(double moment);

// The same text, appended to `out`.
void appendUtcTimestamp(std::string& out, double moment);

}  // namespace velmora
