// How the detection report writes whole numbers, lists of names and the name cache. The
// append functions write straight into the report; the render functions return the text.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "detect/tracker_state.h"

namespace velmora {

// `value` in decimal, with a leading minus sign when negative and no grouping.
void appendDecimal(std::string& out, int64_t value);

// ["a", "b"]; [] when empty. Inside the quotes a backslash, double quote or single quote gets
// a backslash before it; line feed, carriage return, tab and NUL are written \n, \r, \t, \0;
// other control characters as \u{XX} (hexadecimal); everything else as it is (the table is
// report::kNamedEscapes, report_format.h).
void appendList(std::string& out, std::span<const std::string> items);
void appendList(std::string& out, std::span<const std::string_view> items);
[[nodiscard]] std::string renderList(const std::vector<std::string>& items);

// ["key": "value", ...] in the map's order, keys and values quoted as list elements; [:] when
// empty.
void appendMap(std::string& out, const SessionNameCache& map);
[[nodiscard]] std::string renderMap(const SessionNameCache& map);

}  // namespace velmora
