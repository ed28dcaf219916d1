#include "clock/uptime.h"

#include <cstdint>
#include <limits>

namespace velmora {
namespace {

// Whole seconds of `elapsed`, truncated toward zero and clamped to [0, INT64_MAX]; a plain cast
// of a double past that range would be undefined.
int64_t wholeSeconds(double elapsed) {
  if (!(elapsed > 0.0)) return 0;  // also NaN
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (elapsed >= kTwoTo63) return std::numeric_limits<int64_t>::max();
  return static_cast<int64_t>(elapsed);
}

}  // namespace

std::string fmtUptime(double since, double now) {
  int64_t s = wholeSeconds(now - since);
  int64_t h = s / 3600;
  int64_t m = s % 3600 / 60;
  int64_t r = s % 60;
  std::string seconds = std::to_string(r) + "s";
  if (h > 0) return std::to_string(h) + "h " + std::to_string(m) + "m " + seconds;
  if (m > 0) return std::to_string(m) + "m " + seconds;
  return seconds;
}

}  // namespace velmora
