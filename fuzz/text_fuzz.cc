// The fast paths against the plain way, on arbitrary bytes. The text layer (utf8proc, its fast
// paths and quick checks) gives what ICU, a second implementation of Unicode, gives through
// UTF-16 (trimming, upper-casing, NFC keys and checks, grapheme counts and cuts, controls
// shown), and the title rules' ASCII path decides as the general definition does. ICU is the
// reference, so this target is built where ICU is installed (not on a Mac).
#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/config.h"
#include "detect/title_rules.h"
#include "fuzz/fuzz_check.h"
#include "text/text.h"

namespace {

namespace text = velmora::text;

icu::UnicodeString utf16(std::string_view s) {
  return icu::UnicodeString::fromUTF8(icu::StringPiece(s.data(), static_cast<int32_t>(s.size())));
}

std::string utf8(const icu::UnicodeString& u) {
  std::string out;
  u.toUTF8String(out);
  return out;
}

bool isTrimmed(UChar32 c) {
  if (c == 0x09 || (c >= 0x0A && c <= 0x0D) || c == 0x85) return true;
  const int8_t type = u_charType(c);
  return type == U_SPACE_SEPARATOR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR;
}

std::string plainTrim(std::string_view s) {
  const icu::UnicodeString u = utf16(s);
  int32_t begin = 0;
  int32_t end = u.length();
  while (begin < end && isTrimmed(u.char32At(begin))) begin = u.moveIndex32(begin, 1);
  while (end > begin && isTrimmed(u.char32At(u.moveIndex32(end, -1)))) end = u.moveIndex32(end, -1);
  return utf8(icu::UnicodeString(u, begin, end - begin));
}

std::string plainUpper(std::string_view s) {
  icu::UnicodeString u = utf16(s);
  u.toUpper(icu::Locale::getRoot());
  return utf8(u);
}

std::string plainKey(std::string_view s) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfc = icu::Normalizer2::getNFCInstance(status);
  const icu::UnicodeString normalized = nfc->normalize(utf16(s), status);
  FUZZ_CHECK(U_SUCCESS(status));
  return utf8(normalized);
}

// The user-perceived characters of `s` as ICU finds them in UTF-16, each as UTF-8.
std::vector<std::string> plainGraphemes(std::string_view s) {
  UErrorCode status = U_ZERO_ERROR;
  static const std::unique_ptr<icu::BreakIterator> breaks(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  const icu::UnicodeString u = utf16(s);
  breaks->setText(u);
  std::vector<std::string> graphemes;
  for (int32_t from = 0, to = breaks->next(); to != icu::BreakIterator::DONE;
       from = to, to = breaks->next()) {
    graphemes.push_back(utf8(icu::UnicodeString(u, from, to - from)));
  }
  return graphemes;
}

// ICU 72 keeps an Indic consonant, virama and consonant together (CLDR's rule, Unicode's own
// only from 15.1 on); the text layer follows Unicode 15.0, which breaks after the virama. Texts
// with a virama (combining class 9) are left out of the grapheme comparison.
bool hasVirama(std::string_view s) {
  const icu::UnicodeString u = utf16(s);
  for (int32_t i = 0; i < u.length(); i = u.moveIndex32(i, 1)) {
    if (u_getCombiningClass(u.char32At(i)) == 9) return true;
  }
  return false;
}

// Every control and format character as "\u{X}", one code point at a time through UTF-16.
std::string plainShowControls(std::string_view s) {
  const icu::UnicodeString u = utf16(s);
  std::string out;
  for (int32_t i = 0; i < u.length(); i = u.moveIndex32(i, 1)) {
    const UChar32 c = u.char32At(i);
    const int8_t type = u_charType(c);
    if (type == U_CONTROL_CHAR || type == U_FORMAT_CHAR || type == U_LINE_SEPARATOR ||
        type == U_PARAGRAPH_SEPARATOR || type == U_UNASSIGNED) {
      char escape[16];
      std::snprintf(escape, sizeof escape, "\\u{%X}", static_cast<unsigned>(c));
      out += escape;
    } else {
      out += utf8(icu::UnicodeString(c));
    }
  }
  return out;
}

// titleExclusion by its definition: the trimmed title's key among kExcludedNames, or an
// upper-cased fragment in its upper-cased key.
velmora::TitleExclusion plainExclusion(std::string_view title) {
  const std::string key = plainKey(plainTrim(title));
  for (std::string_view name : velmora::kExcludedNames) {
    if (key == name) return velmora::TitleExclusion::kName;
  }
  const std::string upper = plainKey(plainUpper(key));
  for (std::string_view fragment : velmora::kExcludedSubstrings) {
    if (upper.find(plainKey(plainUpper(fragment))) != std::string::npos) {
      return velmora::TitleExclusion::kFragment;
    }
  }
  return velmora::TitleExclusion::kNone;
}

std::optional<std::string_view> plainPlaceholder(std::string_view title) {
  for (std::string_view p : velmora::kDesktopPlaceholderNames) {
    if (plainKey(title) == plainKey(p)) return p;
  }
  return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view s(reinterpret_cast<const char*>(data), size);
  FUZZ_CHECK(text::trim(s) == plainTrim(s));
  FUZZ_CHECK(text::sanitizeUtf8(text::trimmedView(s)) == plainTrim(s));
  FUZZ_CHECK(text::upper(s) == plainUpper(s));
  FUZZ_CHECK(text::comparisonKey(s) == plainKey(s));
  FUZZ_CHECK(text::isNfc(s) == (text::isValidUtf8(s) && plainKey(s) == s));
  FUZZ_CHECK(text::showControls(s) == plainShowControls(s));

  if (!hasVirama(s)) {
    const std::vector<std::string> graphemes = plainGraphemes(s);
    FUZZ_CHECK(text::graphemeCount(s) == graphemes.size());
    // The cuts the title and the menu make, and either side of the end.
    for (const std::size_t n : {std::size_t{1}, std::size_t{18}, std::size_t{43}, graphemes.size(),
                                graphemes.size() - 1, graphemes.size() + 1}) {
      std::string start;
      for (std::size_t i = 0; i < n && i < graphemes.size(); ++i) start += graphemes[i];
      FUZZ_CHECK(text::takeGraphemes(s, n) == start);
    }
  }

  const velmora::TitleFacts facts = velmora::titleFacts(s);
  FUZZ_CHECK(facts.exclusion == plainExclusion(s));
  FUZZ_CHECK(facts.key.placeholder == plainPlaceholder(s));
  FUZZ_CHECK((facts.key.separate.empty() ? std::string(s) : facts.key.separate) == plainKey(s));
  return 0;
}
