#include "clock/uptime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace velmora {
namespace {

constexpr double kNow = 1765000000.0;
constexpr double kInf = std::numeric_limits<double>::infinity();

struct UptimeCase {
  double since;
  double now;
  const char* text;
};

void PrintTo(const UptimeCase& c, std::ostream* os) {
  *os << "since " << c.since << ", now " << c.now;
}

class FmtUptimeTest : public ::testing::TestWithParam<UptimeCase> {};

TEST_P(FmtUptimeTest, WritesHoursMinutesAndSeconds) {
  EXPECT_EQ(fmtUptime(GetParam().since, GetParam().now), GetParam().text);
}

UptimeCase ago(double seconds, const char* text) {
  return {kNow - seconds, kNow, text};
}

INSTANTIATE_TEST_SUITE_P(Elapsed, FmtUptimeTest,
                         ::testing::Values(ago(0, "0s"), ago(0.999, "0s"), ago(1, "1s"),
                                           ago(59.9, "59s"), ago(60, "1m 0s"), ago(61, "1m 1s"),
                                           ago(3599, "59m 59s"), ago(3600, "1h 0m 0s"),
                                           ago(3661, "1h 1m 1s"), ago(7200, "2h 0m 0s"),
                                           ago(86399, "23h 59m 59s"), ago(90061, "25h 1m 1s"),
                                           // Fractions of the moments themselves do not round up.
                                           UptimeCase{1700000000.75, 1700000060.5, "59s"}));

INSTANTIATE_TEST_SUITE_P(
    Clamped, FmtUptimeTest,
    ::testing::Values(
        // A start in the future reads as no time at all, not as a negative remainder.
        ago(-65, "0s"), ago(-0.5, "0s"), ago(-4000, "0s"), UptimeCase{kInf, kNow, "0s"},
        UptimeCase{kNow, -kInf, "0s"}, UptimeCase{std::nan(""), kNow, "0s"},
        UptimeCase{kNow, std::nan(""), "0s"}, UptimeCase{kInf, kInf, "0s"},
        // Past the signed 64-bit range: the largest value, 2^63 - 1 seconds.
        UptimeCase{-1e300, kNow, "2562047788015215h 30m 7s"},
        UptimeCase{-kInf, kNow, "2562047788015215h 30m 7s"},
        UptimeCase{0.0, 9223372036854775808.0, "2562047788015215h 30m 7s"},
        // The largest double below 2^63 still converts exactly.
        UptimeCase{0.0, 9223372036854774784.0, "2562047788015215h 13m 4s"}));

}  // namespace
}  // namespace velmora
