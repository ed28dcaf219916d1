// Text from the simulated client (window titles, names, scenario keys) on its way to a terminal.
// A title is written by the remote side; raw, its escape sequences would drive the user's
// terminal (retitle the window, fill the clipboard).
#pragma once

#include <string>
#include <string_view>

namespace velmora::sim {

// `s` safe to write to a terminal: every C0 control (line feed and tab included), DEL, C1
// control and so ESC is shown as \u{XX} in hexadecimal, and every ill-formed UTF-8 sequence as
// U+FFFD. Everything else is kept as it is.
[[nodiscard]] std::string visibleText(std::string_view s);

}  // namespace velmora::sim
