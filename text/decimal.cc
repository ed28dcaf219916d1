#include "text/decimal.h"

#include <locale.h>
#include <stdlib.h>
#if __has_include(<xlocale.h>)
#include <xlocale.h>  // strtod_l and newlocale where <stdlib.h> alone lacks them
#endif

#include <cmath>
#include <cstddef>
#include <cstdio>

namespace velmora::text {
namespace {

// 17 significant digits tell every double apart.
constexpr int kMaxScientificPrecision = 16;
// From 2^53 on every double is a whole number, and every fixed text of it is equally long.
constexpr double kTwoTo53 = 9007199254740992.0;

std::string nonNumber(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  return value < 0 ? "-inf" : "inf";
}

locale_t cLocale() {
  static const locale_t c = ::newlocale(LC_ALL_MASK, "C", nullptr);
  return c;
}

// A decimal as printf's %e gives it: the value is 0.`digits` times 10 to (`exponent` + 1).
struct Scientific {
  bool negative = false;
  std::string digits;
  int exponent = 0;
};

// `value` rounded to `precision` + 1 significant digits. The point is whatever the process
// locale says, so only the digits are taken.
Scientific scientific(double value, int precision) {
  char buffer[40];  // "-d." and 16 digits, "e-308"
  std::snprintf(buffer, sizeof buffer, "%.*e", precision, value);
  Scientific s;
  const char* p = buffer;
  if (*p == '-') {
    s.negative = true;
    ++p;
  }
  for (; *p != 'e' && *p != '\0'; ++p) {
    if (*p >= '0' && *p <= '9') s.digits += *p;
  }
  if (*p == 'e') s.exponent = static_cast<int>(std::strtol(p + 1, nullptr, 10));
  return s;
}

bool readsBackAs(const Scientific& s, double value) {
  // "17e8" for 1.7e9: digits and a power of ten, no point, so no locale is involved.
  const std::string text = (s.negative ? "-" : "") + s.digits + "e" +
                           std::to_string(s.exponent - static_cast<int>(s.digits.size()) + 1);
  return ::strtod_l(text.c_str(), nullptr, cLocale()) == value;
}

// The digits moved past or before the point as the exponent says: 1.25e2 gives "125".
std::string fixedText(const Scientific& s) {
  const auto last = static_cast<int>(s.digits.size()) - 1;  // places after the first digit
  std::string fixed;
  if (s.exponent >= last) {
    const int zeros = s.exponent - last;
    fixed = s.digits + std::string(static_cast<std::size_t>(zeros), '0');
  } else if (s.exponent >= 0) {
    const int digitsBeforePoint = s.exponent + 1;
    const auto point = static_cast<std::size_t>(digitsBeforePoint);
    fixed = s.digits.substr(0, point) + "." + s.digits.substr(point);
  } else {
    const int zerosAfterPoint = -s.exponent - 1;
    fixed = "0." + std::string(static_cast<std::size_t>(zerosAfterPoint), '0') + s.digits;
  }
  return s.negative ? "-" + fixed : fixed;
}

}  // namespace

std::string wholeDecimal(double value) {
  if (!std::isfinite(value)) return nonNumber(value);
  // Without a fraction %f prints no point, and it never groups digits.
  char buffer[320];  // a sign and at most 309 digits
  std::snprintf(buffer, sizeof buffer, "%.0f", value);
  return buffer;
}

std::string shortestDecimal(double value) {
  if (!std::isfinite(value)) return nonNumber(value);
  if (std::fabs(value) >= kTwoTo53) return wholeDecimal(value);  // the exact text is the nearest
  // The fewest significant digits whose nearest decimal reads back exactly. Past that number
  // every count reads back (but now and then at an exact power of two, where the text then
  // gets a digit more than it needs), so the search may halve the range.
  int fewest = 0;
  int most = kMaxScientificPrecision;
  while (fewest < most) {
    const int middle = (fewest + most) / 2;
    if (readsBackAs(scientific(value, middle), value)) {
      most = middle;
    } else {
      fewest = middle + 1;
    }
  }
  return fixedText(scientific(value, most));
}

}  // namespace velmora::text
