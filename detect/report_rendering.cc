#include "detect/report_rendering.h"

#include <cstdio>

namespace velmora {
namespace {

void appendCodePointEscape(unsigned codePoint, std::string& out) {
  char buffer[16];
  const int n = std::snprintf(buffer, sizeof buffer, "\\u{%X}", codePoint);
  out.append(buffer, static_cast<std::size_t>(n));
}

// C1 controls (U+0080..U+009F) are the two-byte sequences C2 80..C2 9F.
bool isC1Control(const std::string& s, std::size_t i) {
  return static_cast<unsigned char>(s[i]) == 0xC2 && i + 1 < s.size() &&
         static_cast<unsigned char>(s[i + 1]) >= 0x80 &&
         static_cast<unsigned char>(s[i + 1]) <= 0x9F;
}

void appendQuoted(const std::string& s, std::string& out) {
  out += '"';
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    switch (c) {
      case '\\':
        out += "\\\\";
        continue;
      case '"':
        out += "\\\"";
        continue;
      case '\'':
        out += "\\'";
        continue;
      case '\n':
        out += "\\n";
        continue;
      case '\r':
        out += "\\r";
        continue;
      case '\t':
        out += "\\t";
        continue;
      case '\0':
        out += "\\0";
        continue;
      default:
        break;
    }
    if (c < 0x20 || c == 0x7F) {
      appendCodePointEscape(c, out);
    } else if (isC1Control(s, i)) {
      appendCodePointEscape(static_cast<unsigned char>(s[++i]), out);
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

}  // namespace

std::string renderList(const std::vector<std::string>& items) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i != 0) out += ", ";
    appendQuoted(items[i], out);
  }
  out += ']';
  return out;
}

std::string renderMap(const SessionNameCache& map) {
  if (map.empty()) return "[:]";
  std::string out = "[";
  bool first = true;
  for (const auto& [key, value] : map) {
    if (!first) out += ", ";
    first = false;
    appendQuoted(key, out);
    out += ": ";
    appendQuoted(value, out);
  }
  out += ']';
  return out;
}

}  // namespace velmora
