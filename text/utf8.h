// UTF-8 encoding for code that has its text as UTF-16 units or code points: the CoreFoundation
// text layer, the Mac's string conversion, and the tests that read Unicode's data files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace velmora::text {

// Appends `c` to `out` as UTF-8. `c` must be a scalar value (no surrogate, at most U+10FFFF).
inline void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// `count` UTF-16 units as UTF-8, unit by unit, so that a lone surrogate costs one U+FFFD
// instead of the whole string, as a CFStringGetBytes conversion would.
inline std::string utf8FromUtf16(const std::uint16_t* units, std::size_t count) {
  const auto isHigh = [](std::uint16_t u) { return u >= 0xD800 && u <= 0xDBFF; };
  const auto isLow = [](std::uint16_t u) { return u >= 0xDC00 && u <= 0xDFFF; };
  std::string out;
  out.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint16_t u = units[i];
    if (isHigh(u) && i + 1 < count && isLow(units[i + 1])) {
      appendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                          (static_cast<char32_t>(units[i + 1]) - 0xDC00));
      ++i;
    } else {
      appendUtf8(out, isHigh(u) || isLow(u) ? char32_t{0xFFFD} : char32_t{u});
    }
  }
  return out;
}

}  // namespace velmora::text
