#include "clock/local_time.h"

#include <cmath>
#include <ctime>

namespace velmora {

std::string hourMinute(double moment) {
  constexpr double kLimit = 1e15;                     // far past any date; keeps the cast defined
  if (!(std::fabs(moment) < kLimit)) return "--:--";  // also NaN
  std::tm local{};
  const auto seconds = static_cast<std::time_t>(std::floor(moment));
  if (::localtime_r(&seconds, &local) == nullptr) return "--:--";
  const char text[] = {
      static_cast<char>('0' + local.tm_hour / 10), static_cast<char>('0' + local.tm_hour % 10), ':',
      static_cast<char>('0' + local.tm_min / 10), static_cast<char>('0' + local.tm_min % 10)};
  return {text, sizeof text};
}

}  // namespace velmora
