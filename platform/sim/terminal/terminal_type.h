// Whether the terminal named by TERM is one that velmora-sim can draw its screen on: a type
// the system has a terminfo description of. No type, "dumb", or a type the system does not
// know gets the plain lines instead of escape sequences it may not understand.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora::sim {

// The directories terminfo descriptions are looked up in, in order: TERMINFO, ~/.terminfo,
// TERMINFO_DIRS (an empty entry stands for the system's directories), the system's.
[[nodiscard]] std::vector<std::string> terminfoDirectories();

// True when `term` is neither empty nor "dumb" and one of `directories` holds a description
// of it, as D/x/NAME or D/78/NAME (x the first character, 78 its code in hexadecimal).
[[nodiscard]] bool knowsTerminal(std::string_view term,
                                 const std::vector<std::string>& directories);

}  // namespace velmora::sim
