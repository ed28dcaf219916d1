// ICU implementation of the text layer, used on every platform but Apple's.
#include "text/text.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace velmora::text {
namespace {

icu::UnicodeString fromUtf8(std::string_view s) {
  // fromUTF8 maps each ill-formed sequence to U+FFFD.
  return icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<int32_t>(s.size())));
}

std::string toUtf8(const icu::UnicodeString& u) {
  std::string out;
  u.toUTF8String(out);
  return out;
}

bool isTrimmed(UChar32 c) {
  if (c == 0x09 || (c >= 0x0A && c <= 0x0D) || c == 0x85) return true;
  const int8_t type = u_charType(c);
  return type == U_SPACE_SEPARATOR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR;
}

const icu::Normalizer2* nfc() {
  static const icu::Normalizer2* instance = [] {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* n = icu::Normalizer2::getNFCInstance(status);
    return U_SUCCESS(status) ? n : nullptr;
  }();
  return instance;
}

// One character break iterator for the process; the core runs on one thread.
icu::BreakIterator* characterBreaks() {
  static std::unique_ptr<icu::BreakIterator> instance = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(
        icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) it.reset();
    return it;
  }();
  return instance.get();
}

bool isAscii(std::string_view s) {
  for (unsigned char c : s) {
    if (c >= 0x80) return false;
  }
  return true;
}

constexpr UChar32 kEmojiPresentationSelector = 0xFE0F;

bool isPrintableAscii(unsigned char c) {
  return c >= 0x20 && c < 0x7F;
}

// Columns of a user-perceived character that starts with `base`.
std::size_t columnsOf(UChar32 base, bool emojiSelector) {
  if (u_hasBinaryProperty(base, UCHAR_DEFAULT_IGNORABLE_CODE_POINT)) return 0;
  const int8_t type = u_charType(base);
  if (type == U_CONTROL_CHAR || type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK) return 0;
  if (emojiSelector && u_hasBinaryProperty(base, UCHAR_EMOJI)) return 2;
  if (u_hasBinaryProperty(base, UCHAR_EMOJI_PRESENTATION)) return 2;
  const auto width = u_getIntPropertyValue(base, UCHAR_EAST_ASIAN_WIDTH);
  return width == U_EA_WIDE || width == U_EA_FULLWIDTH ? 2 : 1;
}

// Columns of the user-perceived character at native indexes [from, to) of `text`.
std::size_t clusterColumns(UText* text, int64_t from, int64_t to) {
  const UChar32 base = utext_char32At(text, from);
  bool selector = false;
  utext_setNativeIndex(text, from);
  while (utext_getNativeIndex(text) < to) {
    selector |= utext_next32(text) == kEmojiPresentationSelector;
  }
  return columnsOf(base, selector);
}

struct ColumnCut {
  std::size_t bytes = 0;    // the kept start of the text
  std::size_t columns = 0;  // what it takes
};

// The longest start of `s` in whole user-perceived characters within `limit` columns. The
// break iterator walks the UTF-8 in place, so a cut of a huge text only reads what it keeps.
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
  const auto length = static_cast<int64_t>(std::min<std::size_t>(s.size() - start, INT32_MAX));
  UErrorCode status = U_ZERO_ERROR;
  UText* text = utext_openUTF8(nullptr, s.data() + start, length, &status);
  icu::BreakIterator* it = characterBreaks();
  if (U_SUCCESS(status) && it != nullptr) it->setText(text, status);
  if (U_FAILURE(status) || it == nullptr) {
    utext_close(text);
    return cut;  // cannot happen short of running out of memory
  }
  int64_t from = 0;
  for (int32_t to = it->next(); to != icu::BreakIterator::DONE; from = to, to = it->next()) {
    const std::size_t width = clusterColumns(text, from, to);
    if (cut.columns + width > limit) break;
    cut.columns += width;
    cut.bytes = start + static_cast<std::size_t>(to);
  }
  static const icu::UnicodeString kNothing;
  it->setText(kNothing);  // the iterator must not keep a view of `s`
  utext_close(text);
  return cut;
}

}  // namespace

bool isValidUtf8(std::string_view s) {
  int32_t i = 0;
  const auto length = static_cast<int32_t>(s.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(s.data());
  while (i < length) {
    UChar32 c = 0;
    U8_NEXT(bytes, i, length, c);
    if (c < 0) return false;
  }
  return true;
}

std::string sanitizeUtf8(std::string_view s) {
  if (isValidUtf8(s)) return std::string(s);
  return toUtf8(fromUtf8(s));
}

std::string trim(std::string_view s) {
  // In ASCII the trimmed set is only tab, the four line breaks and space.
  if (isAscii(s)) {
    constexpr std::string_view kAsciiTrimmed = "\t\n\v\f\r ";
    const std::size_t begin = s.find_first_not_of(kAsciiTrimmed);
    if (begin == std::string_view::npos) return std::string();
    return std::string(s.substr(begin, s.find_last_not_of(kAsciiTrimmed) - begin + 1));
  }
  const icu::UnicodeString u = fromUtf8(s);
  int32_t begin = 0;
  int32_t end = u.length();
  while (begin < end && isTrimmed(u.char32At(begin))) begin = u.moveIndex32(begin, 1);
  while (end > begin) {
    const int32_t previous = u.moveIndex32(end, -1);
    if (!isTrimmed(u.char32At(previous))) break;
    end = previous;
  }
  return toUtf8(icu::UnicodeString(u, begin, end - begin));
}

std::string upper(std::string_view s) {
  // Full upper-casing maps no ASCII character beyond a-z, and those one to one.
  if (isAscii(s)) {
    std::string out(s);
    for (char& c : out) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
  }
  icu::UnicodeString u = fromUtf8(s);
  u.toUpper(icu::Locale::getRoot());
  return toUtf8(u);
}

std::string comparisonKey(std::string_view s) {
  // ASCII is always in NFC; most titles are ASCII, so skip ICU for them.
  if (isAscii(s)) return std::string(s);
  const icu::UnicodeString u = fromUtf8(s);
  const icu::Normalizer2* n = nfc();
  if (n == nullptr) return toUtf8(u);
  UErrorCode status = U_ZERO_ERROR;
  icu::UnicodeString normalized = n->normalize(u, status);
  return U_SUCCESS(status) ? toUtf8(normalized) : toUtf8(u);
}

bool equivalent(std::string_view a, std::string_view b) {
  if (a == b) return true;
  return comparisonKey(a) == comparisonKey(b);
}

bool contains(std::string_view haystack, std::string_view needle) {
  return comparisonKey(haystack).find(comparisonKey(needle)) != std::string::npos;
}

std::size_t graphemeCount(std::string_view s) {
  if (isAscii(s) && s.find('\r') == std::string_view::npos) return s.size();
  const icu::UnicodeString u = fromUtf8(s);
  icu::BreakIterator* it = characterBreaks();
  if (it == nullptr) return static_cast<std::size_t>(u.countChar32());
  it->setText(u);
  std::size_t count = 0;
  for (int32_t pos = it->next(); pos != icu::BreakIterator::DONE; pos = it->next()) ++count;
  return count;
}

std::string takeGraphemes(std::string_view s, std::size_t n) {
  const icu::UnicodeString u = fromUtf8(s);
  icu::BreakIterator* it = characterBreaks();
  if (it == nullptr)
    return toUtf8(icu::UnicodeString(u, 0, u.moveIndex32(0, static_cast<int32_t>(n))));
  it->setText(u);
  int32_t end = 0;
  for (std::size_t taken = 0; taken < n; ++taken) {
    const int32_t next = it->next();
    if (next == icu::BreakIterator::DONE) break;
    end = next;
  }
  return toUtf8(icu::UnicodeString(u, 0, end));
}

std::size_t displayWidth(std::string_view s) {
  return cutByColumns(s, SIZE_MAX).columns;
}

std::string cutToWidth(std::string_view s, std::size_t columns) {
  return sanitizeUtf8(s.substr(0, cutByColumns(s, columns).bytes));
}

}  // namespace velmora::text
