// The text layer on every platform: utf8proc (Unicode 15.0) for categories, case mappings,
// normalisation and grapheme breaks; the generated tables beside this file for what utf8proc
// lacks (full upper-casing, the break classes of unassigned code points) and for terminal
// widths. Text stays UTF-8 throughout and ASCII takes the fast paths of text/ascii.h;
// ill-formed sequences read as U+FFFD wherever they are met.
#include "text/text.h"

#include <utf8proc.h>

#include <cstdint>
#include <vector>

#include "text/ascii.h"
#include "text/control_escape.h"
#include "text/special_casing.h"
#include "text/unassigned_breaks.h"
#include "text/utf8.h"
#include "text/width_table.h"

namespace velmora::text {
namespace {

utf8proc_category_t categoryOf(char32_t c) {
  return utf8proc_category(static_cast<utf8proc_int32_t>(c));
}

const utf8proc_property_t& propertiesOf(char32_t c) {
  return *utf8proc_get_property(static_cast<utf8proc_int32_t>(c));
}

// `s` with each ill-formed sequence replaced, appended to `out`.
void appendSanitized(std::string_view s, std::string& out) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t start = i;
    char32_t c = 0;
    if (nextCodePoint(s, i, c)) {
      out.append(s.substr(start, i - start));
    } else {
      appendUtf8(out, kReplacementCharacter);
    }
  }
}

// Where the last code point of non-empty `s` would start: before its trailing continuation
// bytes, at most three of them.
std::size_t startOfLast(std::string_view s) {
  std::size_t start = s.size() - 1;
  const std::size_t limit = s.size() >= 4 ? s.size() - 4 : 0;
  while (start > limit && (static_cast<unsigned char>(s[start]) & 0xC0) == 0x80) --start;
  return start;
}

bool isTrimmed(char32_t c) {
  if (c == 0x09 || (c >= 0x0A && c <= 0x0D) || c == 0x85) return true;
  const utf8proc_category_t category = categoryOf(c);
  return category == UTF8PROC_CATEGORY_ZS || category == UTF8PROC_CATEGORY_ZL ||
         category == UTF8PROC_CATEGORY_ZP;
}

// `c`, or for an unassigned code point that Unicode already gives a grapheme break class of its
// own, an assigned one of that class, which utf8proc's rules then treat alike.
utf8proc_int32_t breakingAs(char32_t c) {
  if (c < 0x80 || categoryOf(c) != UTF8PROC_CATEGORY_CN) {
    return static_cast<utf8proc_int32_t>(c);
  }
  switch (unassignedBreak(c)) {
    case UnassignedBreak::kExtendedPictographic:
      return 0x00A9;  // the copyright sign
    case UnassignedBreak::kControl:
      return 0x0001;
    case UnassignedBreak::kOther:
      break;
  }
  return static_cast<utf8proc_int32_t>(c);
}

// Walks a text one user-perceived character (extended grapheme cluster) at a time, by
// utf8proc's rules over the code points; an ill-formed sequence is one U+FFFD.
class Graphemes {
 public:
  explicit Graphemes(std::string_view s) : s_(s) {}

  // Moves past the next user-perceived character; false at the end.
  bool next() {
    if (end_ == s_.size()) return false;
    char32_t c = 0;
    nextCodePoint(s_, end_, c);
    base_ = c;
    emojiSelector_ = false;
    while (end_ < s_.size()) {
      std::size_t after = end_;
      char32_t following = 0;
      nextCodePoint(s_, after, following);
      if (utf8proc_grapheme_break_stateful(breakingAs(c), breakingAs(following), &state_)) {
        break;
      }
      emojiSelector_ |= following == kEmojiPresentationSelector;
      c = following;
      end_ = after;
    }
    return true;
  }
  // The byte offset after the character last passed.
  [[nodiscard]] std::size_t end() const { return end_; }
  // The columns that character takes (width_table.h).
  [[nodiscard]] std::size_t columns() const { return columnsOf(base_, emojiSelector_); }

 private:
  static constexpr char32_t kEmojiPresentationSelector = 0xFE0F;

  std::string_view s_;
  std::size_t end_ = 0;
  utf8proc_int32_t state_ = 0;  // utf8proc's memory of the emoji and regional-indicator rules
  char32_t base_ = 0;
  bool emojiSelector_ = false;
};

// ASCII text splits into one user-perceived character per byte, but for CR LF.
bool isAsciiOneBytePerCharacter(std::string_view s) {
  return ascii::isAscii(s) && s.find('\r') == std::string_view::npos;
}

bool isPrintableAscii(unsigned char c) {
  return c >= 0x20 && c < 0x7F;
}

struct ColumnCut {
  std::size_t bytes = 0;    // the kept start of the text
  std::size_t columns = 0;  // what it takes
};

// The longest start of `s` in whole user-perceived characters within `limit` columns. The walk
// reads the text in place, so a cut of a huge text only reads what it keeps.
ColumnCut cutByColumns(std::string_view s, std::size_t limit) {
  ColumnCut cut;
  // ASCII needs no tables: one column per printable character, none per control.
  for (; cut.bytes < s.size() && static_cast<unsigned char>(s[cut.bytes]) < 0x80; ++cut.bytes) {
    const std::size_t width = isPrintableAscii(static_cast<unsigned char>(s[cut.bytes])) ? 1 : 0;
    if (cut.columns + width > limit) return cut;
    cut.columns += width;
  }
  if (cut.bytes == s.size()) return cut;
  // A printable ASCII character may carry the combining marks that follow it: start there.
  if (cut.bytes > 0 && isPrintableAscii(static_cast<unsigned char>(s[cut.bytes - 1]))) {
    --cut.bytes;
    --cut.columns;
  }
  const std::size_t start = cut.bytes;
  Graphemes graphemes(s.substr(start));
  while (graphemes.next()) {
    if (cut.columns + graphemes.columns() > limit) break;
    cut.columns += graphemes.columns();
    cut.bytes = start + graphemes.end();
  }
  return cut;
}

// Where the first `n` user-perceived characters of `s` end.
std::size_t graphemesEnd(std::string_view s, std::size_t n) {
  Graphemes graphemes(s);
  std::size_t taken = 0;
  while (taken < n && graphemes.next()) ++taken;
  return graphemes.end();
}

// The NFC quick check of Unicode's normalisation annex, answering yes, no or maybe.
enum class NfcCheck { kYes, kNo, kMaybe };

bool isHangulVowelOrTrailingJamo(char32_t c) {
  return (c >= 0x1161 && c <= 0x1175) || (c >= 0x11A8 && c <= 0x11C2);
}

// NFC_Quick_Check of one code point, from utf8proc's data: maybe when it may compose with what
// precedes it, no when its canonical decomposition never comes back (a composition exclusion, a
// singleton, a decomposition that starts with a combining mark).
NfcCheck nfcQuickCheck(char32_t c, const utf8proc_property_t& p) {
  const bool composesWithPrevious = p.comb_index != UINT16_MAX && p.comb_index >= 0x8000;
  if (composesWithPrevious || isHangulVowelOrTrailingJamo(c)) return NfcCheck::kMaybe;
  if (p.decomp_seqindex == UINT16_MAX || p.decomp_type != 0) return NfcCheck::kYes;
  // utf8proc keeps the length of the one-level decomposition in the top bits of its index.
  const bool singleton = (p.decomp_seqindex >> 14) == 0;
  if (p.comp_exclusion || singleton) return NfcCheck::kNo;
  utf8proc_int32_t parts[4];
  utf8proc_int32_t boundclass = 0;
  const utf8proc_ssize_t length = utf8proc_decompose_char(static_cast<utf8proc_int32_t>(c), parts,
                                                          4, UTF8PROC_DECOMPOSE, &boundclass);
  const bool startsWithStarter =
      length > 0 && propertiesOf(static_cast<char32_t>(parts[0])).combining_class == 0;
  return startsWithStarter ? NfcCheck::kYes : NfcCheck::kNo;
}

// The quick check of valid UTF-8 `s`: no when a combining mark is out of canonical order.
NfcCheck nfcQuickCheck(std::string_view s) {
  NfcCheck result = NfcCheck::kYes;
  utf8proc_propval_t lastClass = 0;
  for (std::size_t i = 0; i < s.size();) {
    char32_t c = 0;
    nextCodePoint(s, i, c);
    if (c < 0x300) {  // nothing below U+0300 combines with what precedes it
      lastClass = 0;
      continue;
    }
    const utf8proc_property_t& p = propertiesOf(c);
    if (p.combining_class != 0 && p.combining_class < lastClass) return NfcCheck::kNo;
    lastClass = p.combining_class;
    const NfcCheck check = nfcQuickCheck(c, p);
    if (check == NfcCheck::kNo) return check;
    if (check == NfcCheck::kMaybe) result = check;
  }
  return result;
}

// The Normalization Form C of valid UTF-8 `s`.
std::string nfcOf(std::string_view s) {
  constexpr auto kOptions = static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE);
  const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(s.data());
  const auto size = static_cast<utf8proc_ssize_t>(s.size());
  std::vector<utf8proc_int32_t> points(s.size() + 4);
  auto length = utf8proc_decompose(bytes, size, points.data(),
                                   static_cast<utf8proc_ssize_t>(points.size()), kOptions);
  if (length > static_cast<utf8proc_ssize_t>(points.size())) {
    points.resize(static_cast<std::size_t>(length));
    length = utf8proc_decompose(bytes, size, points.data(), length, kOptions);
  }
  if (length < 0) return std::string(s);  // cannot happen with valid input short of memory
  length = utf8proc_normalize_utf32(points.data(), length, kOptions);
  std::string out;
  out.reserve(s.size());
  for (utf8proc_ssize_t i = 0; i < length; ++i) {
    appendUtf8(out, static_cast<char32_t>(points[static_cast<std::size_t>(i)]));
  }
  return out;
}

// Controls and format characters, line and paragraph separators (which terminals draw in no
// column, or as a line break), and code points with no character: unassigned ones and
// noncharacters (general category Cn).
bool isShownEscaped(char32_t c) {
  switch (categoryOf(c)) {
    case UTF8PROC_CATEGORY_CC:
    case UTF8PROC_CATEGORY_CF:
    case UTF8PROC_CATEGORY_ZL:
    case UTF8PROC_CATEGORY_ZP:
    case UTF8PROC_CATEGORY_CN:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool isValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    i += ascii::prefixLength(s.substr(i));
    if (i == s.size()) break;
    char32_t c = 0;
    if (!nextCodePoint(s, i, c)) return false;
  }
  return true;
}

std::string sanitizeUtf8(std::string_view s) {
  if (isValidUtf8(s)) return std::string(s);
  std::string out;
  out.reserve(s.size() + 2);
  appendSanitized(s, out);
  return out;
}

std::string_view trimmedView(std::string_view s) {
  if (ascii::isAscii(s)) return ascii::trimmed(s);
  std::size_t begin = 0;
  while (begin < s.size()) {
    std::size_t next = begin;
    char32_t c = 0;
    if (!nextCodePoint(s, next, c) || !isTrimmed(c)) break;
    begin = next;
  }
  std::size_t end = s.size();
  while (end > begin) {
    const std::size_t start = startOfLast(s.substr(begin, end - begin)) + begin;
    std::size_t next = start;
    char32_t c = 0;
    if (!nextCodePoint(s, next, c) || next != end || !isTrimmed(c)) break;
    end = start;
  }
  return s.substr(begin, end - begin);
}

std::string trim(std::string_view s) {
  return sanitizeUtf8(trimmedView(s));
}

std::string upper(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    if (static_cast<unsigned char>(s[i]) < 0x80) {
      out += ascii::upper(s[i++]);
      continue;
    }
    char32_t c = 0;
    nextCodePoint(s, i, c);
    const std::u32string_view full = fullUpperMapping(c);
    if (full.empty()) {
      appendUtf8(out, static_cast<char32_t>(utf8proc_toupper(static_cast<utf8proc_int32_t>(c))));
    } else {
      for (const char32_t part : full) appendUtf8(out, part);
    }
  }
  return out;
}

std::string comparisonKey(std::string_view s) {
  if (ascii::isAscii(s)) return std::string(s);
  std::string valid = sanitizeUtf8(s);
  if (nfcQuickCheck(valid) == NfcCheck::kYes) return valid;
  return nfcOf(valid);
}

bool isNfc(std::string_view s) {
  if (ascii::isAscii(s)) return true;
  if (!isValidUtf8(s)) return false;
  switch (nfcQuickCheck(s)) {
    case NfcCheck::kYes:
      return true;
    case NfcCheck::kNo:
      return false;
    case NfcCheck::kMaybe:
      break;
  }
  return nfcOf(s) == s;
}

bool equivalent(std::string_view a, std::string_view b) {
  if (a == b) return true;
  return comparisonKey(a) == comparisonKey(b);
}

bool contains(std::string_view haystack, std::string_view needle) {
  return comparisonKey(haystack).find(comparisonKey(needle)) != std::string::npos;
}

std::size_t graphemeCount(std::string_view s) {
  if (isAsciiOneBytePerCharacter(s)) return s.size();
  Graphemes graphemes(s);
  std::size_t count = 0;
  while (graphemes.next()) ++count;
  return count;
}

std::string takeGraphemes(std::string_view s, std::size_t n) {
  if (isAsciiOneBytePerCharacter(s)) return std::string(s.substr(0, n));
  return sanitizeUtf8(s.substr(0, graphemesEnd(s, n)));
}

std::size_t displayWidth(std::string_view s) {
  return cutByColumns(s, SIZE_MAX).columns;
}

std::string cutToWidth(std::string_view s, std::size_t columns) {
  return sanitizeUtf8(s.substr(0, cutByColumns(s, columns).bytes));
}

std::string showControls(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t ascii = ascii::prefixLength(s.substr(i));
    appendAsciiShowingControls(s.substr(i, ascii), out);
    i += ascii;
    if (i == s.size()) break;
    const std::size_t start = i;
    char32_t c = 0;
    if (!nextCodePoint(s, i, c)) {
      appendUtf8(out, kReplacementCharacter);
    } else if (isShownEscaped(c)) {
      appendControlEscape(static_cast<unsigned>(c), out);
    } else {
      out.append(s.substr(start, i - start));
    }
  }
  return out;
}

}  // namespace velmora::text
