#include "detect/report_rendering.h"

#include <array>
#include <charconv>

#include "detect/report_format.h"
#include "text/control_escape.h"

namespace velmora {
namespace {

// The name of each byte's escape after the backslash (report::kNamedEscapes), 0 for none.
constexpr std::array<char, 256> kEscapeName = [] {
  std::array<char, 256> table{};
  for (const report::NamedEscape& e : report::kNamedEscapes) {
    table[static_cast<unsigned char>(e.character)] = e.name;
  }
  return table;
}();

// The bytes that may start an escape: a named one, a C0 control, DEL, or the first byte of a
// C1 control. A table, as every byte of every name is looked up.
constexpr std::array<bool, 256> kMayStartEscape = [] {
  std::array<bool, 256> table{};
  for (std::size_t b = 0; b < 0x20; ++b) table[b] = true;
  for (std::size_t b = 0; b < table.size(); ++b) table[b] = table[b] || kEscapeName[b] != 0;
  table[0x7F] = true;
  table[0xC2] = true;
  return table;
}();

bool mayStartEscape(char c) {
  return kMayStartEscape[static_cast<unsigned char>(c)];
}

// Copies runs of plain bytes whole; most names need no escape at all.
void appendQuoted(std::string_view s, std::string& out) {
  out += report::kQuote;
  std::size_t plainFrom = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (!mayStartEscape(s[i])) continue;
    const char named = kEscapeName[static_cast<unsigned char>(s[i])];
    const bool c0 = text::isC0ControlOrDelete(s[i]);
    const bool c1 = text::isC1ControlAt(s, i);
    if (named == 0 && !c0 && !c1) continue;
    out.append(s, plainFrom, i - plainFrom);
    if (named != 0) {
      out += report::kEscape;
      out += named;
    } else if (c0) {
      text::appendControlEscape(static_cast<unsigned char>(s[i]), out);
    } else {
      text::appendControlEscape(static_cast<unsigned char>(s[++i]), out);
    }
    plainFrom = i + 1;
  }
  out.append(s, plainFrom);
  out += report::kQuote;
}

template <typename Item>
void appendItems(std::string& out, std::span<const Item> items) {
  out += report::kListOpen;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i != 0) out += report::kElementSeparator;
    appendQuoted(items[i], out);
  }
  out += report::kListClose;
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
    out += report::kEmptyMap;
    return;
  }
  out += report::kListOpen;
  bool first = true;
  for (const auto& [key, value] : map) {
    if (!first) out += report::kElementSeparator;
    first = false;
    appendQuoted(key, out);
    out += report::kKeySeparator;
    appendQuoted(value, out);
  }
  out += report::kListClose;
}

std::string renderMap(const SessionNameCache& map) {
  std::string out;
  appendMap(out, map);
  return out;
}

}  // namespace velmora
