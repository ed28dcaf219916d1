// Colours as terminal escape sequences (SGR): 256 colours unless the terminal says, through
// COLORTERM, that it takes 24-bit colour.
#pragma once

#include <string>

#include "app/config.h"

namespace velmora::sim {

enum class ColorDepth { k256, kTrue };

// kTrue when COLORTERM is "truecolor" or "24bit", else k256.
[[nodiscard]] ColorDepth colorDepthFromEnvironment();

// The sequence that sets `color` as the foreground or the background, in `depth`; in 256
// colours the nearest entry of the colour cube or the grey ramp.
[[nodiscard]] std::string foregroundSgr(const Color& color, ColorDepth depth);
[[nodiscard]] std::string backgroundSgr(const Color& color, ColorDepth depth);

}  // namespace velmora::sim
