// ICU implementation of the text layer, used on every platform but Apple's.
#include "text/text.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

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
  if (it == nullptr) return toUtf8(icu::UnicodeString(u, 0, u.moveIndex32(0, static_cast<int32_t>(n))));
  it->setText(u);
  int32_t end = 0;
  for (std::size_t taken = 0; taken < n; ++taken) {
    const int32_t next = it->next();
    if (next == icu::BreakIterator::DONE) break;
    end = next;
  }
  return toUtf8(icu::UnicodeString(u, 0, end));
}

}  // namespace velmora::text
