#include "clock/local_time.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace velmora {
namespace {

constexpr double kLimit = 1e15;  // far past any date; keeps the casts defined

// The local broken-down time of `moment`, or nothing.
std::optional<std::tm> localTm(double moment) {
  if (!(std::fabs(moment) < kLimit)) return std::nullopt;  // also NaN
  std::tm local{};
  const auto seconds = static_cast<std::time_t>(std::floor(moment));
  if (::localtime_r(&seconds, &local) == nullptr) return std::nullopt;
  return local;
}

// Midnight of `local`'s day moved by `days`, as a moment; mktime works out the calendar and the
// daylight-saving time of that day.
std::optional<double> midnight(std::tm local, int days) {
  local.tm_hour = 0;
  local.tm_min = 0;
  local.tm_sec = 0;
  local.tm_mday -= days;
  local.tm_isdst = -1;
  const std::time_t t = std::mktime(&local);
  if (t == static_cast<std::time_t>(-1)) return std::nullopt;
  return static_cast<double>(t);
}

}  // namespace

std::string hourMinute(double moment) {
  const std::optional<std::tm> local = localTm(moment);
  if (!local) return "--:--";
  const char text[] = {static_cast<char>('0' + local->tm_hour / 10),
                       static_cast<char>('0' + local->tm_hour % 10), ':',
                       static_cast<char>('0' + local->tm_min / 10),
                       static_cast<char>('0' + local->tm_min % 10)};
  return {text, sizeof text};
}

std::optional<double> localDayStart(double moment) {
  const std::optional<std::tm> local = localTm(moment);
  return local ? midnight(*local, 0) : std::nullopt;
}

std::optional<double> localWeekStart(double moment) {
  const std::optional<std::tm> local = localTm(moment);
  // tm_wday counts from Sunday (0); Monday begins the week.
  return local ? midnight(*local, (local->tm_wday + 6) % 7) : std::nullopt;
}

std::string isoLocalTime(double moment) {
  const std::optional<std::tm> local = localTm(moment);
  if (!local) return "";
  const long offset = local->tm_gmtoff;
  const long minutes = (offset < 0 ? -offset : offset) / 60;
  char text[64];
  const int n = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                              local->tm_year + 1900, local->tm_mon + 1, local->tm_mday,
                              local->tm_hour, local->tm_min, local->tm_sec, offset < 0 ? '-' : '+',
                              minutes / 60, minutes % 60);
  return n > 0 ? std::string(text, static_cast<std::size_t>(n)) : std::string();
}

}  // namespace velmora
