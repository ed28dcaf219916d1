#include "platform/sim/scenario/report_reader.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "detect/report_format.h"
#include "detect/utc_timestamp.h"

namespace velmora::sim {
namespace {

bool allDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::optional<int64_t> digitsValue(std::string_view s) {
  int64_t value = 0;
  if (!allDigits(s)) return std::nullopt;
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (error != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return value;
}

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
int64_t daysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto yearOfEra = static_cast<uint64_t>(year - era * 400);  // 0..399
  const uint64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const uint64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<int64_t>(dayOfEra) - 719468;
}

// "[-]YYYY-MM-DD HH:MM:SS" as seconds since 1970; the fields are not range-checked here (the
// caller compares with what utcTimestamp() writes for the result).
std::optional<double> dateMoment(std::string_view s) {
  const bool beforeYearZero = s.starts_with('-');
  if (beforeYearZero) s.remove_prefix(1);
  const std::size_t dash = s.find('-');
  // Twelve digits reach past the years of a signed 64-bit count of seconds.
  constexpr std::string_view kShape = "-MM-DD HH:MM:SS";
  if (dash == std::string_view::npos || dash < 4 || dash > 12) return std::nullopt;
  if (s.size() - dash != kShape.size()) return std::nullopt;
  const std::string_view rest = s.substr(dash);
  for (std::size_t i = 0; i < kShape.size(); ++i) {
    const bool digit = kShape[i] == 'M' || kShape[i] == 'D' || kShape[i] == 'H' || kShape[i] == 'S';
    if (digit ? !allDigits(rest.substr(i, 1)) : rest[i] != kShape[i]) return std::nullopt;
  }
  const auto field = [&](std::size_t at) { return *digitsValue(rest.substr(at, 2)); };
  const std::optional<int64_t> year = digitsValue(s.substr(0, dash));
  const int64_t month = field(1);
  const int64_t day = field(4);
  if (!year || month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
  const int64_t days = daysFromCivil(beforeYearZero ? -*year : *year, static_cast<unsigned>(month),
                                     static_cast<unsigned>(day));
  int64_t seconds = 0;
  if (__builtin_mul_overflow(days, int64_t{86400}, &seconds) ||
      __builtin_add_overflow(seconds, field(7) * 3600 + field(10) * 60 + field(13), &seconds)) {
    return std::nullopt;
  }
  return static_cast<double>(seconds);
}

// The character of a named escape (report::kNamedEscapes); nothing for another name.
std::optional<char> namedCharacter(char name) {
  for (const report::NamedEscape& e : report::kNamedEscapes) {
    if (e.name == name) return e.character;
  }
  return std::nullopt;
}

// Whether renderList() writes `codePoint` with a named escape.
bool hasNamedEscape(unsigned codePoint) {
  for (const report::NamedEscape& e : report::kNamedEscapes) {
    if (static_cast<unsigned char>(e.character) == codePoint) return true;
  }
  return false;
}

// The code point of a "\u{XX}" escape that renderList() writes: a C0 control without a named
// escape, DEL or a C1 control, in upper-case hexadecimal without leading zeros.
std::optional<unsigned> escapedCodePoint(std::string_view hex) {
  if (hex.empty() || hex.size() > 2) return std::nullopt;
  unsigned value = 0;
  const auto [end, error] = std::from_chars(hex.data(), hex.data() + hex.size(), value, 16);
  if (error != std::errc() || end != hex.data() + hex.size()) return std::nullopt;
  char canonical[8];
  std::snprintf(canonical, sizeof canonical, "%X", value);
  if (hex != canonical) return std::nullopt;
  if ((value < 0x20 && !hasNamedEscape(value)) || value == 0x7F ||
      (value >= 0x80 && value <= 0x9F)) {
    return value;
  }
  return std::nullopt;
}

// One element between double quotes; `text` is advanced past it.
std::optional<std::string> readQuoted(std::string_view& text) {
  if (!text.starts_with(report::kQuote)) return std::nullopt;
  std::string out;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == report::kQuote) {
      text.remove_prefix(i + 1);
      return out;
    }
    if (c != report::kEscape) {
      out += c;
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    if (const std::optional<char> named = namedCharacter(text[i])) {
      out += *named;
      continue;
    }
    // "\u{XX}" (text/control_escape.h).
    const std::size_t close = text.find('}', i);
    if (text.substr(i, 2) != "u{" || close == std::string_view::npos) return std::nullopt;
    const auto code = escapedCodePoint(text.substr(i + 2, close - i - 2));
    if (!code) return std::nullopt;
    if (*code >= 0x80) out += static_cast<char>(0xC2);
    out += static_cast<char>(*code);
    i = close;
  }
  return std::nullopt;
}

// Reads "[" item (", " item)* "]" or `empty`, each item by `readItem`.
template <typename Item, typename ReadItem>
std::optional<std::vector<Item>> readBracketed(std::string_view& text, std::string_view empty,
                                               ReadItem readItem) {
  std::string_view rest = text;
  std::vector<Item> items;
  if (rest.starts_with(empty)) {
    text.remove_prefix(empty.size());
    return items;
  }
  if (!rest.starts_with(report::kListOpen)) return std::nullopt;
  rest.remove_prefix(1);
  while (true) {
    std::optional<Item> item = readItem(rest);
    if (!item) return std::nullopt;
    items.push_back(std::move(*item));
    if (rest.starts_with(report::kListClose)) break;
    if (!rest.starts_with(report::kElementSeparator)) return std::nullopt;
    rest.remove_prefix(report::kElementSeparator.size());
  }
  rest.remove_prefix(1);
  text = rest;
  return items;
}

}  // namespace

std::optional<double> readUtcTimestamp(std::string_view text) {
  constexpr std::string_view kOffset = " +0000";
  if (!text.ends_with(kOffset)) return std::nullopt;
  const std::string_view stamp = text.substr(0, text.size() - kOffset.size());
  // Moments without a date (not finite, or past a signed 64-bit count) are written whole.
  const std::optional<double> moment =
      stamp.find(' ') == std::string_view::npos ? readWholeNumber(stamp) : dateMoment(stamp);
  if (!moment || utcTimestamp(*moment) != text) return std::nullopt;
  return moment;
}

std::optional<double> readWholeNumber(std::string_view text) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  if (text == "nan") return std::numeric_limits<double>::quiet_NaN();
  if (text == "inf") return kInfinity;
  if (text == "-inf") return -kInfinity;
  if (!allDigits(text.starts_with('-') ? text.substr(1) : text)) return std::nullopt;
  // Digits alone read the same in every locale; from_chars for doubles is missing from older
  // C++ libraries.
  const std::string digits(text);
  return std::strtod(digits.c_str(), nullptr);
}

std::optional<std::vector<std::string>> readRenderedList(std::string_view& text) {
  return readBracketed<std::string>(text, report::kEmptyList, readQuoted);
}

std::optional<std::vector<std::pair<std::string, std::string>>> readRenderedMap(
    std::string_view& text) {
  using Entry = std::pair<std::string, std::string>;
  return readBracketed<Entry>(text, report::kEmptyMap,
                              [](std::string_view& rest) -> std::optional<Entry> {
                                std::optional<std::string> key = readQuoted(rest);
                                if (!key || !rest.starts_with(report::kKeySeparator))
                                  return std::nullopt;
                                rest.remove_prefix(report::kKeySeparator.size());
                                std::optional<std::string> value = readQuoted(rest);
                                if (!value) return std::nullopt;
                                return Entry{std::move(*key), std::move(*value)};
                              });
}

}  // namespace velmora::sim
