// Control characters shown visibly, as "\u{1B}": the one form the detection report and
// velmora-sim's terminal output share, so that a title reads the same in both.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace velmora::text {

// A C0 control (U+0000..U+001F) or DEL.
inline bool isC0ControlOrDelete(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x20 || b == 0x7F;
}

// Whether a C1 control (U+0080..U+009F, the UTF-8 sequences C2 80..C2 9F) starts at `s[i]`.
inline bool isC1ControlAt(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]) == 0xC2 && i + 1 < s.size() &&
         static_cast<unsigned char>(s[i + 1]) >= 0x80 &&
         static_cast<unsigned char>(s[i + 1]) <= 0x9F;
}

// Appends "\u{X}" with `codePoint` in upper-case hexadecimal.
inline void appendControlEscape(unsigned codePoint, std::string& out) {
  char buffer[16];
  const int n = std::snprintf(buffer, sizeof buffer, "\\u{%X}", codePoint);
  out.append(buffer, static_cast<std::size_t>(n));
}

// Appends `ascii` (bytes below 0x80) with its C0 controls and DEL shown: the part of
// showControls that needs no Unicode data.
inline void appendAsciiShowingControls(std::string_view ascii, std::string& out) {
  for (const char c : ascii) {
    if (isC0ControlOrDelete(c)) {
      appendControlEscape(static_cast<unsigned char>(c), out);
    } else {
      out += c;
    }
  }
}

}  // namespace velmora::text
