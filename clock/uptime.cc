#include "clock/uptime.h"

#include <charconv>
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

void appendNumber(std::string& out, int64_t value, char unit) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
  out += unit;
}

}  // namespace

void appendUptime(std::string& out, double since, double now) {
  const int64_t s = wholeSeconds(now - since);
  const int64_t h = s / 3600;
  const int64_t m = s % 3600 / 60;
  if (h > 0) {
    appendNumber(out, h, 'h');
    out += ' ';
  }
  if (h > 0 || m > 0) {
    appendNumber(out, m, 'm');
    out += ' ';
  }
  appendNumber(out, s % 60, 's');
}

std::string fmtUptime(double since, double now) {
  std::string text;
  appendUptime(text, since, now);
  return text;
}

}  // namespace velmora
