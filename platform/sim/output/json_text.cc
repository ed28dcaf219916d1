#include "platform/sim/output/json_text.h"

#include <nlohmann/json.hpp>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>

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

bool isPlain(unsigned c) {
  return c >= 0x20 && c < 0x80 && c != '"' && c != '\\';
}

// How many bytes from text[i] on are copied as they are: printable ASCII but '"' and '\\'.
// Reports and scripts are long and almost all plain, so eight bytes are looked at at once.
std::size_t plainRun(std::string_view text, std::size_t i) {
  std::size_t j = i;
  if constexpr (std::endian::native == std::endian::little) {
    constexpr uint64_t kOnes = 0x0101010101010101;
    constexpr uint64_t kHigh = 0x8080808080808080;
    for (; j + 8 <= text.size(); j += 8) {
      uint64_t w;
      std::memcpy(&w, text.data() + j, 8);
      const uint64_t quote = w ^ (kOnes * '"');
      const uint64_t backslash = w ^ (kOnes * '\\');
      // The high bit of each byte that is below 0x20, '"', '\\' or from 0x80 up. A borrow may
      // also mark a byte above a marked one, never below: the lowest mark is always right.
      const uint64_t marks = (((w - kOnes * 0x20) & ~w) | ((quote - kOnes) & ~quote) |
                              ((backslash - kOnes) & ~backslash) | w) &
                             kHigh;
      if (marks != 0) return j + static_cast<std::size_t>(std::countr_zero(marks)) / 8 - i;
    }
  }
  while (j < text.size() && isPlain(byteAt(text, j))) ++j;
  return j - i;
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
    i += plainRun(text, i);
    if (i == text.size()) break;
    const unsigned c = byteAt(text, i);
    if (c < 0x80) {
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
