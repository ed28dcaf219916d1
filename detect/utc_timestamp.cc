#include "detect/utc_timestamp.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

#include "text/decimal.h"

namespace velmora {
namespace {

struct CivilDate {
  int64_t year;
  unsigned month;  // 1..12
  unsigned day;    // 1..31
};

// Days since 1970-01-01 to a proleptic Gregorian date (H. Hinnant's civil_from_days). Exact
// for every day count of an int64 count of seconds: |days| < 1.1e14, far from overflow.
CivilDate civilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto dayOfEra = static_cast<uint64_t>(days - era * 146097);  // 0..146096
  const uint64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;  // 0..399
  const uint64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const uint64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0..11
  const auto day = static_cast<unsigned>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  const auto month = static_cast<unsigned>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  const int64_t year = static_cast<int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
  return {year, month, day};
}

}  // namespace

std::string utcTimestamp(double moment) {
  std::string out;
  appendUtcTimestamp(out, moment);
  return out;
}

void appendUtcTimestamp(std::string& out, double moment) {
  const double seconds = std::floor(moment);
  // 2^63 is exact as a double; the int64 range is [-2^63, 2^63).
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (!(seconds >= -kTwoTo63 && seconds < kTwoTo63)) {
    out += text::wholeDecimal(seconds);
    out += " +0000";
    return;
  }
  const auto whole = static_cast<int64_t>(seconds);
  int64_t days = whole / 86400;
  int64_t secondOfDay = whole % 86400;
  if (secondOfDay < 0) {
    secondOfDay += 86400;
    --days;
  }
  const CivilDate date = civilFromDays(days);
  const bool beforeYearZero = date.year < 0;
  const unsigned long long absYear = beforeYearZero
                                         ? 0ULL - static_cast<unsigned long long>(date.year)
                                         : static_cast<unsigned long long>(date.year);
  char stamp[64];
  const int n = std::snprintf(
      stamp, sizeof stamp, "%s%04llu-%02u-%02u %02d:%02d:%02d +0000", beforeYearZero ? "-" : "",
      absYear, date.month, date.day, static_cast<int>(secondOfDay / 3600),
      static_cast<int>(secondOfDay / 60 % 60), static_cast<int>(secondOfDay % 60));
  out.append(stamp, static_cast<std::size_t>(n));
}

}  // namespace velmora
