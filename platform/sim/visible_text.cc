#include "platform/sim/visible_text.h"

#include <cstdio>

#include "text/text.h"

namespace velmora::sim {
namespace {

bool isC0OrDelete(unsigned char b) {
  return b < 0x20 || b == 0x7F;
}

// C1 controls (U+0080..U+009F) are the two-byte sequences C2 80..C2 9F in valid UTF-8.
bool isC1At(std::string_view s, std::size_t i) {
  return static_cast<unsigned char>(s[i]) == 0xC2 && i + 1 < s.size() &&
         static_cast<unsigned char>(s[i + 1]) >= 0x80 &&
         static_cast<unsigned char>(s[i + 1]) <= 0x9F;
}

void appendEscape(unsigned codePoint, std::string& out) {
  char buffer[16];
  const int n = std::snprintf(buffer, sizeof buffer, "\\u{%X}", codePoint);
  out.append(buffer, static_cast<std::size_t>(n));
}

}  // namespace

std::string visibleText(std::string_view s) {
  const std::string valid = text::sanitizeUtf8(s);
  std::string out;
  out.reserve(valid.size());
  for (std::size_t i = 0; i < valid.size(); ++i) {
    const auto b = static_cast<unsigned char>(valid[i]);
    if (isC0OrDelete(b)) {
      appendEscape(b, out);
    } else if (isC1At(valid, i)) {
      appendEscape(static_cast<unsigned char>(valid[++i]), out);
    } else {
      out += valid[i];
    }
  }
  return out;
}

}  // namespace velmora::sim
