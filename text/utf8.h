// UTF-8 one code point at a time: decoding for the text layer, encoding for code that has its
// text as UTF-16 units or code points (the Mac's string conversion, the tests that read
// Unicode's data files).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora::text {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes the code point at `i` of `s` (i < s.size()) and moves `i` past it. An ill-formed
// sequence yields U+FFFD and false, and `i` moves past its maximal subpart (the longest start
// of a well-formed sequence, at least one byte), as Unicode recommends and ICU does: each
// maximal subpart stands for one U+FFFD.
inline bool nextCodePoint(std::string_view s, std::size_t& i, char32_t& c) {
  const auto lead = static_cast<unsigned char>(s[i++]);
  if (lead < 0x80) {
    c = lead;
    return true;
  }
  int trail = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    trail = 1;
    c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail = 2;
    c = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlongs
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail = 3;
    c = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // no overlongs
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    c = kReplacementCharacter;
    return false;
  }
  // Only the first trail byte has a narrower range; the others are all 0x80..0xBF.
  for (; trail > 0; --trail, low = 0x80, high = 0xBF) {
    const bool inRange = i < s.size() && static_cast<unsigned char>(s[i]) >= low &&
                         static_cast<unsigned char>(s[i]) <= high;
    if (!inRange) {
      c = kReplacementCharacter;
      return false;
    }
    c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  return true;
}

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
