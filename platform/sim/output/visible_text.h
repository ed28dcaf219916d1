// Text from the simulated client (window titles, names, scenario keys) on its way to a terminal.
// A title is written by the remote side; raw, its escape sequences would drive the user's
// terminal (retitle the window, fill the clipboard) and its bidirectional controls would reorder
// what the terminal shows.
#pragma once

#include <string>
#include <string_view>

namespace velmora::sim {

// `s` safe to write to a terminal: every control (C0 with line feed and tab, DEL, C1, and so
// ESC) and every invisible format character (bidirectional controls, zero-width characters) is
// shown as \u{XX} in hexadecimal, and every ill-formed UTF-8 sequence as U+FFFD
// (text::showControls). Everything else is kept as it is.
[[nodiscard]] std::string visibleText(std::string_view s);

}  // namespace velmora::sim
