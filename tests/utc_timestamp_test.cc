#include "detect/utc_timestamp.h"

#include <gtest/gtest.h>

#include <limits>

namespace velmora {
namespace {

TEST(UtcTimestampTest, WritesTheMomentInUtc) {
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const struct {
    double moment;
    const char* text;
  } cases[] = {
      {0.0, "1970-01-01 00:00:00 +0000"},
      {1796452069.0, "2026-12-05 06:27:49 +0000"},
      {1796452069.999, "2026-12-05 06:27:49 +0000"},  // the fraction is dropped
      {951782400.0, "2000-02-29 00:00:00 +0000"},
      {4107542400.0, "2100-03-01 00:00:00 +0000"},  // 2100 is no leap year
      {-0.5, "1969-12-31 23:59:59 +0000"},          // toward the past
      {-62135596800.0, "0001-01-01 00:00:00 +0000"},
      {-62167219200.0, "0000-01-01 00:00:00 +0000"},
      {-62167219201.0, "-0001-12-31 23:59:59 +0000"},
      {253402300799.0, "9999-12-31 23:59:59 +0000"},
      {253402300800.0, "10000-01-01 00:00:00 +0000"},
      {-9223372036854775808.0, "-292277022657-01-27 08:29:52 +0000"},
      {9223372036854775808.0, "9223372036854775808 +0000"},
      {kNan, "nan +0000"},
      {kInf, "inf +0000"},
      {-kInf, "-inf +0000"},
  };
  for (const auto& c : cases) EXPECT_EQ(utcTimestamp(c.moment), c.text) << c.text;
}

}  // namespace
}  // namespace velmora
