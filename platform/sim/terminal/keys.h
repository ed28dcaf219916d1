// Keys from a terminal in raw mode: plain bytes, and escape sequences (CSI and SS3, as the
// arrow keys send them) read whole up to their final byte, so that a sequence the program
// does not know is dropped whole and never mistaken for the keys after it.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace velmora::sim {

struct KeyPress {
  // kNone: bytes that mean nothing here (an unknown sequence, Alt with a key, a control).
  enum class Kind { kNone, kUp, kDown, kPageUp, kPageDown, kEnter, kSpace, kEscape, kCharacter };
  Kind kind = Kind::kNone;
  char character = 0;      // kCharacter: the printable ASCII character
  std::size_t length = 0;  // the bytes of input it takes, at least 1
};

// The key at the start of `input`; nothing when `input` is empty or is only the start of an
// escape sequence that more bytes may complete.
[[nodiscard]] std::optional<KeyPress> nextKey(std::string_view input);

// What the start of an escape sequence that never completed is taken as, once no more bytes
// came: a lone ESC is the Escape key; anything longer (Alt-[ sends "ESC [") means nothing. It
// takes the whole of `input`.
[[nodiscard]] KeyPress unfinishedKey(std::string_view input);

}  // namespace velmora::sim
