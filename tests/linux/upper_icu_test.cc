// Full upper-casing (utf8proc's simple mappings and the generated table of SpecialCasing.txt)
// against ICU's u_strToUpper in the root locale, for every code point: a table generated from
// other Unicode data than utf8proc's, or a mapping the table misses, shows here.
#include <gtest/gtest.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <string>

#include "text/text.h"
#include "text/utf8.h"

namespace velmora::text {
namespace {

std::string icuUpper(UChar32 c) {
  const icu::UnicodeString in(c);
  UChar out[8];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t length = u_strToUpper(out, 8, in.getBuffer(), in.length(), "", &status);
  std::string utf8;
  icu::UnicodeString(out, length).toUTF8String(utf8);
  return U_SUCCESS(status) ? utf8 : "(ICU failed)";
}

TEST(UpperIcuTest, AgreesWithIcuOnEveryCodePoint) {
  int differences = 0;
  for (UChar32 c = 0; c <= 0x10FFFF && differences < 10; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;  // no text holds a surrogate
    std::string s;
    appendUtf8(s, static_cast<char32_t>(c));
    if (upper(s) == icuUpper(c)) continue;
    ++differences;
    ADD_FAILURE() << "U+" << std::hex << std::uppercase << c << ": " << showControls(upper(s))
                  << ", ICU " << U_ICU_VERSION << ": " << showControls(icuUpper(c));
  }
}

}  // namespace
}  // namespace velmora::text
