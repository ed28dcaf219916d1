#include "detect/report_rendering.h"

#include <array>
#include <charconv>

#include "text/control_escape.h"

namespace velmora {
namespace {

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

// The bytes that may start an escape: a quote, a backslash, a C0 control, DEL, or the first
// byte of a C1 control. A table, as every byte of every name is looked up.
constexpr std::array<bool, 256> kMayStartEscape = [] {
  std::array<bool, 256> table{};
  for (std::size_t b = 0; b < 0x20; ++b) table[b] = true;
  for (const char c : {'\\', '"', '\'', '\x7F', '\xC2'})
    table[static_cast<unsigned char>(c)] = true;
  return table;
}();

bool mayStartEscape(char c) {
  return kMayStartEscape[static_cast<unsigned char>(c)];
}

// Copies runs of plain bytes whole; most names need no escape at all.
void appendQuoted(std::string_view s, std::string& out) {
  out += '"';
  std::size_t plainFrom = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (!mayStartEscape(s[i])) continue;
    const std::string_view named = namedEscape(s[i]);
    const bool c0 = text::isC0ControlOrDelete(s[i]);
    const bool c1 = text::isC1ControlAt(s, i);
    if (named.empty() && !c0 && !c1) continue;
    out.append(s, plainFrom, i - plainFrom);
    if (!named.empty()) {
      out += named;
    } else if (c0) {
      text::appendControlEscape(static_cast<unsigned char>(s[i]), out);
    } else {
      text::appendControlEscape(static_cast<unsigned char>(s[++i]), out);
    }
    plainFrom = i + 1;
  }
  out.append(s, plainFrom);
  out += '"';
}

template <typename Item>
void appendItems(std::string& out, std::span<const Item> items) {
  out += '[';
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i != 0) out += ", ";
    appendQuoted(items[i], out);
  }
  out += ']';
}

}  // namespace

void appendDecimal(std::string& out, int64_t value) {
  char digits[24];  // 19 digits and a sign
  const auto [end, error] = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, end);
}

void appendList(std::string& out, std::span<const std::string> items) {
  appendItems(out, items);
}

void appendList(std::string& out, std::span<const std::string_view> items) {
  appendItems(out, items);
}

std::string renderList(const std::vector<std::string>& items) {
  std::string out;
  appendList(out, items);
  return out;
}

void appendMap(std::string& out, const SessionNameCache& map) {
  if (map.empty()) {
    out += "[:]";
    return;
  }
  out += '[';
  bool first = true;
  for (const auto& [key, value] : map) {
    if (!first) out += ", ";
    first = false;
    appendQuoted(key, out);
    out += ": ";
    appendQuoted(value, out);
  }
  out += ']';
}

std::string renderMap(const SessionNameCache& map) {
  std::string out;
  appendMap(out, map);
  return out;
}

}  // namespace velmora
