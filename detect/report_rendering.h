// How the detection report writes lists of names and the name cache.
#pragma once

#include <string>
#include <vector>

#include "detect/tracker_state.h"

namespace velmora {

// ["a", "b"]; [] when empty. Inside the quotes a backslash, double quote or single quote gets
// a backslash before it; line feed, carriage return, tab and NUL are written \n, \r, \t, \0;
// other control characters as \u{XX} (hexadecimal); everything else as it is.
[[nodiscard]] std::string renderList(const std::vector<std::string>& items);

// ["key": "value", ...] in the map's order, keys and values quoted as list elements; [:] when
// empty.
[[nodiscard]] std::string renderMap(const SessionNameCache& map);

}  // namespace velmora
