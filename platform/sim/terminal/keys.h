// Keys from a terminal in raw mode: plain bytes, and escape sequences (CSI and SS3, as the
// arrow keys send them) read whole up to their final byte, so that a sequence the program
// does not know is dropped whole and never mistaken for the keys after it. The strings a
// terminal sends (replies to queries: OSC, DCS, APC, PM, SOS) never reach the keys at all.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
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

// The most bytes of one string dropped: past them a string that never ends is over, and what
// follows is read as keys again.
inline constexpr std::size_t kMaxControlString = 65536;

// Drops the strings a terminal sends from its input as it is read: OSC, DCS, APC, PM and SOS
// (ESC followed by "]", "P", "_", "^" or "X"), from their introducer to their terminator (ST,
// that is ESC "\\", or BEL; CAN and SUB cancel one), however the reads split them, as long as
// the introducer's ESC has not been taken as the Escape key (the wait for the rest of an escape
// sequence). An ESC followed by anything else ends the string and begins the next sequence (so
// Escape pressed inside one ends it too). One object per input, fed every byte read, in order.
class ControlStrings {
 public:
  // Appends `bytes` to `input` without the strings in them. `input` is the one buffer of keys
  // not handled yet, from which only whole keys are taken at its start (or all of it).
  void append(std::string& input, std::string_view bytes);

 private:
  void key(std::string& input, char c);

  enum class State { kKeys, kString, kStringEscape };
  State state_ = State::kKeys;
  bool escapeLast_ = false;  // the last byte appended to the input was an ESC
  std::size_t dropped_ = 0;  // of the string being dropped
};

}  // namespace velmora::sim
