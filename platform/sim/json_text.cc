#include "platform/sim/json_text.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>

namespace velmora::sim {
namespace {

unsigned byteAt(std::string_view text, std::size_t i) {
  return static_cast<unsigned char>(text[i]);
}

void appendEscape(std::string& out, unsigned c) {
  switch (c) {
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    case '\b':
      out += "\\b";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\f':
      out += "\\f";
      return;
    case '\r':
      out += "\\r";
      return;
    default:
      break;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\u00";
  out += kHex[c >> 4];
  out += kHex[c & 0xF];
}

// The UTF-8 sequence that starts at text[i] (a byte from 0x80 up): whether it is whole and
// well formed, and how many of its bytes are. An ill-formed part ends before the first byte that
// cannot continue it, which is then read afresh; a byte that starts no sequence is a part alone.
struct Sequence {
  bool whole;
  std::size_t length;
};

Sequence sequenceAt(std::string_view text, std::size_t i) {
  const unsigned lead = byteAt(text, i);
  std::size_t need = 0;
  // The second byte's range is narrower after these leads: no overlong forms, no surrogates,
  // nothing above U+10FFFF.
  unsigned low = 0x80;
  unsigned high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {false, 1};
  }
  std::size_t k = 1;
  for (; k < need && i + k < text.size(); ++k) {
    const unsigned c = byteAt(text, i + k);
    if (c < low || c > high) return {false, k};
    low = 0x80;
    high = 0xBF;
  }
  return {k == need, k};
}

void appendDigits(std::string& out, uint64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
  out += '"';
  std::size_t copied = 0;  // text before this is in `out`
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned c = byteAt(text, i);
    if (c < 0x80) {
      if (c >= 0x20 && c != '"' && c != '\\') {
        ++i;
        continue;
      }
      out.append(text.data() + copied, i - copied);
      appendEscape(out, c);
      copied = ++i;
      continue;
    }
    const Sequence sequence = sequenceAt(text, i);
    if (!sequence.whole) {
      out.append(text.data() + copied, i - copied);
      out += "\xEF\xBF\xBD";
      copied = i + sequence.length;
    }
    i += sequence.length;
  }
  out.append(text.data() + copied, text.size() - copied);
  out += '"';
}

void appendJsonNumber(std::string& out, double value) {
  // Whole numbers, every time stamp of a run on whole seconds, directly; they print as their
  // digits and ".0" up to 1e15.
  if (std::fabs(value) < 1e15 && value == std::trunc(value)) {
    if (std::signbit(value)) out += '-';
    appendDigits(out, static_cast<uint64_t>(std::fabs(value)));
    out += ".0";
    return;
  }
  // The rest as nlohmann prints them (its shortest digits, its exponent form), which the lines
  // have always held.
  out += nlohmann::json(value).dump();
}

void appendJsonInteger(std::string& out, int64_t value) {
  if (value < 0) out += '-';
  // The magnitude of INT64_MIN does not fit an int64_t.
  appendDigits(out, value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value));
}

}  // namespace velmora::sim
