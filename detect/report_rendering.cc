#include "detect/report_rendering.h"

#include <cstdio>
#include <string_view>

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

// The two-character escape of a byte, or "" when the byte has none.
std::string_view namedEscape(char c) {
  switch (c) {
    case '\\':
      return "\\\\";
    case '"':
      return "\\\"";
    case '\'':
      return "\\'";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    case '\t':
      return "\\t";
    case '\0':
      return "\\0";
    default:
      return {};
  }
}

bool isC0ControlOrDelete(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x20 || b == 0x7F;
}

// Copies runs of plain bytes whole; most names need no escape at all.
void appendQuoted(const std::string& s, std::string& out) {
  out += '"';
  std::size_t plainFrom = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const std::string_view named = namedEscape(s[i]);
    const bool c0 = isC0ControlOrDelete(s[i]);
    const bool c1 = isC1Control(s, i);
    if (named.empty() && !c0 && !c1) continue;
    out.append(s, plainFrom, i - plainFrom);
    if (!named.empty()) {
      out += named;
    } else if (c0) {
      appendCodePointEscape(static_cast<unsigned char>(s[i]), out);
    } else {
      appendCodePointEscape(static_cast<unsigned char>(s[++i]), out);
    }
    plainFrom = i + 1;
  }
  out.append(s, plainFrom);
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
