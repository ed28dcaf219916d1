#include "detect/utc_timestamp.h"

#include <gtest/gtest.h>

#include <limits>

namespace velmora {
namespace {

struct MomentCase {
  double moment;
  const char* text;
};

class UtcTimestampTest : public ::testing::TestWithParam<MomentCase> {};

TEST_P(UtcTimestampTest, WritesTheMomentInUtc) {
  EXPECT_EQ(utcTimestamp(GetParam().moment), GetParam().text);
}

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, UtcTimestampTest,
    ::testing::Values(
        MomentCase{0.0, "1970-01-01 00:00:00 +0000"},
        MomentCase{1796452069.0, "2026-12-05 06:27:49 +0000"},
        MomentCase{1796452069.999, "2026-12-05 06:27:49 +0000"},  // the fraction is dropped
        MomentCase{951782400.0, "2000-02-29 00:00:00 +0000"},
        MomentCase{951868799.0, "2000-02-29 23:59:59 +0000"},
        MomentCase{4107542400.0, "2100-03-01 00:00:00 +0000"},  // 2100 is no leap year
        MomentCase{-0.5, "1969-12-31 23:59:59 +0000"},          // toward the past
        MomentCase{-86400.0, "1969-12-31 00:00:00 +0000"},
        MomentCase{-62135596800.0, "0001-01-01 00:00:00 +0000"},
        MomentCase{-62167219200.0, "0000-01-01 00:00:00 +0000"},
        MomentCase{-62167219201.0, "-0001-12-31 23:59:59 +0000"},
        MomentCase{253402300799.0, "9999-12-31 23:59:59 +0000"},
        MomentCase{253402300800.0, "10000-01-01 00:00:00 +0000"},
        MomentCase{-9223372036854775808.0, "-292277022657-01-27 08:29:52 +0000"},
        MomentCase{9223372036854775808.0, "9223372036854775808 +0000"},
        MomentCase{kNan, "nan +0000"}, MomentCase{kInf, "inf +0000"},
        MomentCase{-kInf, "-inf +0000"}));

}  // namespace
}  // namespace velmora
