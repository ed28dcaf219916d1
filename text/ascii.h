// The text layer's fast paths for text made only of ASCII, for the layer itself and for
// callers that can skip the Unicode work. For ASCII input each function
// gives exactly what its Unicode counterpart in text.h gives: ASCII is in every normalisation
// form, upper-cases only a-z (one to one), and its only white space and line breaks are tab,
// the four line breaks and space.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace velmora::text::ascii {

// The number of bytes at the start of `s` that are below 0x80. Eight bytes at a time: titles
// are mostly ASCII, and every pass looks at each of them.
[[nodiscard]] constexpr std::size_t prefixLength(std::string_view s) {
  std::size_t i = 0;
  if (!std::is_constant_evaluated()) {
    constexpr uint64_t kHighBits = 0x8080808080808080u;
    for (; i + sizeof(uint64_t) <= s.size(); i += sizeof(uint64_t)) {
      uint64_t word = 0;
      std::memcpy(&word, s.data() + i, sizeof word);
      if ((word & kHighBits) != 0) break;
    }
  }
  while (i < s.size() && static_cast<unsigned char>(s[i]) < 0x80) ++i;
  return i;
}

// True when every byte of `s` is below 0x80 (so `s` is also valid UTF-8).
[[nodiscard]] constexpr bool isAscii(std::string_view s) {
  return prefixLength(s) == s.size();
}

inline constexpr std::string_view kWhiteSpace = "\t\n\v\f\r ";

// `s` without leading and trailing kWhiteSpace, as a view into `s`.
[[nodiscard]] constexpr std::string_view trimmed(std::string_view s) {
  const std::size_t begin = s.find_first_not_of(kWhiteSpace);
  if (begin == std::string_view::npos) return {};
  return s.substr(begin, s.find_last_not_of(kWhiteSpace) - begin + 1);
}

[[nodiscard]] constexpr char upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace velmora::text::ascii
