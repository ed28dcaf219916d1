// The story velmora-sim plays when given no scenario file.
#pragma once

#include <string_view>

namespace velmora::sim {

// Two minutes of a working day: the client starts, sessions open, one goes full-screen under
// a placeholder title, sessions move to the background, the idle panel shows, the client quits.
[[nodiscard]] std::string_view builtInStoryJson();

}  // namespace velmora::sim
