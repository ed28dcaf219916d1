#include "clock/uptime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace velmora {
namespace {

constexpr double kNow = 1765000000.0;
constexpr double kInf = std::numeric_limits<double>::infinity();

// Both sides of each unit's boundary; fractions of the moments do not round up; a start in the
// future, or moments that are not finite, read as no time at all; past the signed 64-bit range,
// the largest value (2^63 - 1 seconds); the largest double below 2^63 converts exactly.
TEST(FmtUptimeTest, WritesHoursMinutesAndSeconds) {
  const struct {
    double since, now;
    const char* text;
  } cases[] = {{kNow, kNow, "0s"},
               {kNow - 0.999, kNow, "0s"},
               {kNow - 1, kNow, "1s"},
               {kNow - 60, kNow, "1m 0s"},
               {kNow - 3599, kNow, "59m 59s"},
               {kNow - 3600, kNow, "1h 0m 0s"},
               {kNow - 3661, kNow, "1h 1m 1s"},
               {kNow - 90061, kNow, "25h 1m 1s"},
               {1700000000.75, 1700000060.5, "59s"},
               {kNow + 0.5, kNow, "0s"},
               {kInf, kNow, "0s"},
               {std::nan(""), kNow, "0s"},
               {kNow, std::nan(""), "0s"},
               {-1e300, kNow, "2562047788015215h 30m 7s"},
               {-kInf, kNow, "2562047788015215h 30m 7s"},
               {0.0, 9223372036854775808.0, "2562047788015215h 30m 7s"},
               {0.0, 9223372036854774784.0, "2562047788015215h 13m 4s"}};
  for (const auto& c : cases) {
    EXPECT_EQ(fmtUptime(c.since, c.now), c.text) << "since " << c.since << ", now " << c.now;
  }
}

}  // namespace
}  // namespace velmora
