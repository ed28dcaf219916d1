// The text layer against ICU, a second implementation of Unicode 15.0, for every code point:
// full upper-casing (utf8proc's simple mappings and the generated table of SpecialCasing.txt)
// against u_strToUpper in the root locale, and the grapheme break class of every code point,
// assigned or not (utf8proc's and the generated table of unassigned ones), against ICU's
// character breaks. A table generated from other data than the library's, or a mapping or
// class it misses, shows here.
#include <gtest/gtest.h>
#include <unicode/brkiter.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <functional>
#include <memory>
#include <string>

#include "text/text.h"
#include "text/utf8.h"

namespace velmora::text {
namespace {

std::string utf8(const icu::UnicodeString& u) {
  std::string out;
  u.toUTF8String(out);
  return out;
}

std::string icuUpper(const std::string& s) {
  const icu::UnicodeString in = icu::UnicodeString::fromUTF8(s);
  UChar out[8];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = u_strToUpper(out, 8, in.getBuffer(), in.length(), "", &status);
  return U_SUCCESS(status) ? utf8(icu::UnicodeString(out, length)) : "(ICU failed)";
}

std::string icuGraphemeCount(const std::string& s) {
  UErrorCode status = U_ZERO_ERROR;
  static const std::unique_ptr<icu::BreakIterator> breaks(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  const icu::UnicodeString u = icu::UnicodeString::fromUTF8(s);
  breaks->setText(u);
  int count = 0;
  while (breaks->next() != icu::BreakIterator::DONE) ++count;
  return std::to_string(count);
}

// Fails for the first ten code points whose probe text the layer and ICU answer differently.
void expectIcuOnEveryCodePoint(const std::function<std::string(char32_t)>& probe,
                               const std::function<std::string(const std::string&)>& ours,
                               const std::function<std::string(const std::string&)>& icu) {
  int differences = 0;
  for (char32_t c = 0; c <= 0x10FFFF && differences < 10; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;  // no text holds a surrogate
    const std::string s = probe(c);
    if (ours(s) == icu(s)) continue;
    ++differences;
    ADD_FAILURE() << "U+" << std::hex << std::uppercase << static_cast<unsigned>(c) << ": "
                  << showControls(ours(s)) << ", ICU " << U_ICU_VERSION << ": "
                  << showControls(icu(s));
  }
}

TEST(TextIcuTest, UpperCasesEveryCodePointAsIcu) {
  expectIcuOnEveryCodePoint(
      [](char32_t c) {
        std::string s;
        appendUtf8(s, c);
        return s;
      },
      [](const std::string& s) { return upper(s); }, icuUpper);
}

// "c ZWJ © U+0308" is one character when c is Extended_Pictographic, three when a control,
// two otherwise, and shows the other classes as well.
TEST(TextIcuTest, BreaksAroundEveryCodePointAsIcu) {
  expectIcuOnEveryCodePoint(
      [](char32_t c) {
        std::string s;
        appendUtf8(s, c);
        return s + "\u200D\u00A9\u0308";
      },
      [](const std::string& s) { return std::to_string(graphemeCount(s)); }, icuGraphemeCount);
}

}  // namespace
}  // namespace velmora::text
