#include "platform/sim/terminal/keys.h"

namespace velmora::sim {
namespace {

using Kind = KeyPress::Kind;

bool inRange(char c, unsigned char low, unsigned char high) {
  const auto b = static_cast<unsigned char>(c);
  return b >= low && b <= high;
}

bool isFinal(char c) {
  return inRange(c, 0x40, 0x7E);
}

Kind arrow(char final) {
  return final == 'A' ? Kind::kUp : final == 'B' ? Kind::kDown : Kind::kNone;
}

// CSI: parameter bytes, then intermediate bytes, then one final byte. A byte that fits none
// ends a malformed sequence before it.
std::optional<KeyPress> controlSequence(std::string_view input) {
  std::size_t i = 2;
  while (i < input.size() && inRange(input[i], 0x30, 0x3F)) ++i;
  while (i < input.size() && inRange(input[i], 0x20, 0x2F)) ++i;
  if (i == input.size()) return std::nullopt;
  if (!isFinal(input[i])) return KeyPress{Kind::kNone, 0, i};
  if (input[i] == '~') {  // keys numbered in the parameter: 5 Page Up, 6 Page Down
    const std::string_view number = input.substr(2, i - 2);
    const Kind kind = number == "5" ? Kind::kPageUp : number == "6" ? Kind::kPageDown : Kind::kNone;
    return KeyPress{kind, 0, i + 1};
  }
  return KeyPress{arrow(input[i]), 0, i + 1};
}

std::optional<KeyPress> escapeSequence(std::string_view input) {
  if (input.size() < 2) return std::nullopt;
  switch (input[1]) {
    case '[':
      return controlSequence(input);
    case 'O':  // SS3: one final byte (arrows in application cursor mode)
      if (input.size() < 3) return std::nullopt;
      if (!isFinal(input[2])) return KeyPress{Kind::kNone, 0, 2};
      return KeyPress{arrow(input[2]), 0, 3};
    case '\x1b':  // Escape pressed, then another sequence or Escape
      return KeyPress{Kind::kEscape, 0, 1};
    default:  // Alt with a key
      return KeyPress{Kind::kNone, 0, 2};
  }
}

// ESC followed by one of these begins a string: OSC, DCS, APC, PM, SOS.
bool introducesString(char c) {
  return c == ']' || c == 'P' || c == '_' || c == '^' || c == 'X';
}

}  // namespace

std::optional<KeyPress> nextKey(std::string_view input) {
  if (input.empty()) return std::nullopt;
  const char c = input[0];
  if (c == '\x1b') return escapeSequence(input);
  if (c == '\r' || c == '\n') return KeyPress{Kind::kEnter, 0, 1};
  if (c == ' ') return KeyPress{Kind::kSpace, 0, 1};
  if (inRange(c, 0x21, 0x7E)) return KeyPress{Kind::kCharacter, c, 1};
  return KeyPress{Kind::kNone, 0, 1};
}

KeyPress unfinishedKey(std::string_view input) {
  return KeyPress{input == "\x1b" ? Kind::kEscape : Kind::kNone, 0, input.size()};
}

void ControlStrings::append(std::string& input, std::string_view bytes) {
  for (const char c : bytes) {
    if (state_ == State::kString) {
      if (dropped_ < kMaxControlString) {
        ++dropped_;
        if (c == '\x1b') state_ = State::kStringEscape;
        if (c == '\a' || c == '\x18' || c == '\x1a') state_ = State::kKeys;  // BEL, CAN, SUB
        continue;
      }
      state_ = State::kKeys;  // never ended: this byte is a key again
    } else if (state_ == State::kStringEscape) {
      state_ = State::kKeys;
      if (c == '\\') continue;  // ST
      key(input, '\x1b');
    }
    key(input, c);
  }
}

void ControlStrings::key(std::string& input, char c) {
  // The ESC is still the input's last byte unless a key has taken it: an Escape pressed, as no
  // more came in time, before which this byte is a key.
  if (escapeLast_ && introducesString(c) && !input.empty()) {
    input.pop_back();
    escapeLast_ = false;
    state_ = State::kString;
    dropped_ = 0;
    return;
  }
  escapeLast_ = c == '\x1b';
  input += c;
}

}  // namespace velmora::sim
