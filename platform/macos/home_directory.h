// The current user's home directory, for the state paths.
#pragma once

#include <string>

namespace velmora::mac {

// NSHomeDirectory(): the home of the user the process runs as, as "~" expands.
[[nodiscard]] std::string homeDirectory();

}  // namespace velmora::mac
