// CoreFoundation implementation of the text layer, used on Apple's platforms. ASCII takes the
// fast paths of text/ascii.h; other text goes through UTF-16 strings of CoreFoundation.
#include "text/text.h"

#include <CoreFoundation/CoreFoundation.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <memory>
#include <type_traits>
#include <vector>

#include "text/ascii.h"
#include "text/control_escape.h"
#include "text/utf8.h"
#include "text/width_table.h"

namespace velmora::text {
namespace {

using Utf16 = std::vector<UniChar>;

constexpr char32_t kReplacement = 0xFFFD;

struct Releaser {
  void operator()(CFTypeRef ref) const { CFRelease(ref); }
};
using MutableString = std::unique_ptr<std::remove_pointer_t<CFMutableStringRef>, Releaser>;

// Decodes the code point at `i` and moves `i` past it. An ill-formed sequence yields U+FFFD
// and false, and `i` moves past its maximal subpart (the longest start of a well-formed
// sequence, at least one byte): the same replacement ICU makes.
bool nextCodePoint(std::string_view s, std::size_t& i, char32_t& c) {
  const auto lead = static_cast<unsigned char>(s[i++]);
  if (lead < 0x80) {
    c = lead;
    return true;
  }
  int trail = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    trail = 1;
    c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trail = 2;
    c = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlongs
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trail = 3;
    c = lead & 0x07;
    if (lead == 0xF0) low = 0x90;   // no overlongs
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    c = kReplacement;
    return false;
  }
  // Only the first trail byte has a narrower range; the others are all 0x80..0xBF.
  for (; trail > 0; --trail, low = 0x80, high = 0xBF) {
    const bool inRange = i < s.size() && static_cast<unsigned char>(s[i]) >= low &&
                         static_cast<unsigned char>(s[i]) <= high;
    if (!inRange) {
      c = kReplacement;
      return false;
    }
    c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  return true;
}

Utf16 toUtf16(std::string_view s) {
  Utf16 units;
  units.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    char32_t c = 0;
    nextCodePoint(s, i, c);
    if (c < 0x10000) {
      units.push_back(static_cast<UniChar>(c));
    } else {
      units.push_back(static_cast<UniChar>(0xD800 + ((c - 0x10000) >> 10)));
      units.push_back(static_cast<UniChar>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  return units;
}

bool isHighSurrogate(UniChar u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
bool isLowSurrogate(UniChar u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// Our strings are built from whole code points; a lone surrogate could only come from a bug,
// and still becomes U+FFFD rather than ill-formed UTF-8.
std::string toUtf8(const UniChar* units, std::size_t count) {
  return utf8FromUtf16(units, count);
}

std::string toUtf8(const Utf16& units) {
  return toUtf8(units.data(), units.size());
}

std::string toUtf8(CFStringRef string) {
  const CFIndex length = CFStringGetLength(string);
  if (length <= 0) return std::string();
  Utf16 units(static_cast<std::size_t>(length));
  CFStringGetCharacters(string, CFRangeMake(0, length), units.data());
  return toUtf8(units);
}

// A new string holding `units`; null only if the allocation fails.
MutableString makeString(const Utf16& units) {
  MutableString string(CFStringCreateMutable(kCFAllocatorDefault, 0));
  if (string && !units.empty()) {
    CFStringAppendCharacters(string.get(), units.data(), static_cast<CFIndex>(units.size()));
  }
  return string;
}

// Where the first `n` code points of `units` end; the stand-in for graphemes should
// CoreFoundation fail to make a string.
std::size_t codePointsEnd(const Utf16& units, std::size_t n) {
  std::size_t end = 0;
  for (std::size_t taken = 0; taken < n && end < units.size(); ++taken) {
    end += isHighSurrogate(units[end]) && end + 1 < units.size() ? 2 : 1;
  }
  return end;
}

std::size_t codePointCount(const Utf16& units) {
  std::size_t count = 0;
  for (UniChar u : units) count += isLowSurrogate(u) ? 0 : 1;
  return count;
}

// How many user-perceived characters the first `limit` of them span, and where they end, as a
// UTF-16 index.
struct GraphemeSpan {
  std::size_t count = 0;
  CFIndex end = 0;
};

GraphemeSpan graphemeSpan(CFStringRef string, std::size_t limit) {
  const CFIndex length = CFStringGetLength(string);
  GraphemeSpan span;
  while (span.end < length && span.count < limit) {
    const CFRange range = CFStringGetRangeOfComposedCharactersAtIndex(string, span.end);
    const CFIndex next = range.location + range.length;
    span.end = next > span.end ? next : span.end + 1;  // always moves on
    ++span.count;
  }
  return span;
}

// ASCII text splits into one user-perceived character per byte, but for CR LF.
bool isAsciiOneBytePerCharacter(std::string_view s) {
  return ascii::isAscii(s) && s.find('\r') == std::string_view::npos;
}

constexpr UniChar kEmojiPresentationSelector = 0xFE0F;

// Columns of the user-perceived character made of units [from, to).
std::size_t clusterColumns(const Utf16& units, std::size_t from, std::size_t to) {
  char32_t base = units[from];
  if (isHighSurrogate(units[from]) && from + 1 < to && isLowSurrogate(units[from + 1])) {
    base = 0x10000 + ((base - 0xD800) << 10) + (static_cast<char32_t>(units[from + 1]) - 0xDC00);
  }
  bool selector = false;
  for (std::size_t i = from; i < to; ++i) selector |= units[i] == kEmojiPresentationSelector;
  return columnsOf(base, selector);
}

struct ColumnCut {
  std::size_t units = 0;    // the kept start of the text, in UTF-16 units
  std::size_t columns = 0;  // what it takes
};

ColumnCut cutByColumns(const Utf16& units, std::size_t limit) {
  ColumnCut cut;
  const MutableString string = makeString(units);
  while (cut.units < units.size()) {
    std::size_t next = cut.units + 1;
    if (string) {
      const CFRange range = CFStringGetRangeOfComposedCharactersAtIndex(
          string.get(), static_cast<CFIndex>(cut.units));
      next = std::max(next, static_cast<std::size_t>(range.location + range.length));
    } else if (isHighSurrogate(units[cut.units]) && next < units.size()) {
      ++next;  // without a string, one code point at a time
    }
    const std::size_t width = clusterColumns(units, cut.units, next);
    if (cut.columns + width > limit) break;
    cut.columns += width;
    cut.units = next;
  }
  return cut;
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
  return toUtf8(toUtf16(s));
}

std::string_view trimmedView(std::string_view s) {
  if (ascii::isAscii(s)) return ascii::trimmed(s);
  // Z*, U+0009..U+000D and U+0085: all in the BMP. A Get function: the set is not ours to
  // release.
  const CFCharacterSetRef trimmed =
      CFCharacterSetGetPredefined(kCFCharacterSetWhitespaceAndNewline);
  // One walk forward: where the first kept code point starts and the last one ends.
  std::size_t begin = s.size();
  std::size_t end = 0;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t start = i;
    char32_t c = 0;
    const bool wellFormed = nextCodePoint(s, i, c);
    if (wellFormed && c < 0x10000 &&
        CFCharacterSetIsCharacterMember(trimmed, static_cast<UniChar>(c))) {
      continue;
    }
    begin = std::min(begin, start);
    end = i;
  }
  return begin < end ? s.substr(begin, end - begin) : std::string_view();
}

std::string upper(std::string_view s) {
  if (ascii::isAscii(s)) {
    std::string out(s);
    for (char& c : out) c = ascii::upper(c);
    return out;
  }
  const Utf16 units = toUtf16(s);
  const MutableString string = makeString(units);
  if (!string) return toUtf8(units);
  CFStringUppercase(string.get(), nullptr);  // no locale: the language-independent mapping
  return toUtf8(string.get());
}

std::string comparisonKey(std::string_view s) {
  if (ascii::isAscii(s)) return std::string(s);
  const Utf16 units = toUtf16(s);
  const MutableString string = makeString(units);
  if (!string) return toUtf8(units);
  CFStringNormalize(string.get(), kCFStringNormalizationFormC);
  return toUtf8(string.get());
}

bool isNfc(std::string_view s) {
  // CoreFoundation has no quick check: text beyond ASCII is compared with its key.
  if (ascii::isAscii(s)) return true;
  return isValidUtf8(s) && comparisonKey(s) == s;
}

std::size_t graphemeCount(std::string_view s) {
  if (isAsciiOneBytePerCharacter(s)) return s.size();
  const Utf16 units = toUtf16(s);
  const MutableString string = makeString(units);
  if (!string) return codePointCount(units);
  return graphemeSpan(string.get(), units.size()).count;
}

std::string takeGraphemes(std::string_view s, std::size_t n) {
  if (isAsciiOneBytePerCharacter(s)) return std::string(s.substr(0, n));
  const Utf16 units = toUtf16(s);
  const MutableString string = makeString(units);
  if (!string) return toUtf8(units.data(), codePointsEnd(units, n));
  const GraphemeSpan span = graphemeSpan(string.get(), n);
  return toUtf8(units.data(), static_cast<std::size_t>(span.end));
}

std::size_t displayWidth(std::string_view s) {
  return cutByColumns(toUtf16(s), SIZE_MAX).columns;
}

std::string cutToWidth(std::string_view s, std::size_t columns) {
  const Utf16 units = toUtf16(s);
  return toUtf8(units.data(), cutByColumns(units, columns).units);
}

std::string showControls(std::string_view s) {
  // General categories Cc and Cf, in every plane; the newlines, Zl and Zp among them (the
  // others are controls); unassigned code points and noncharacters. Get functions: the sets
  // are not ours to release.
  const CFCharacterSetRef shown[] = {CFCharacterSetGetPredefined(kCFCharacterSetControl),
                                     CFCharacterSetGetPredefined(kCFCharacterSetNewline),
                                     CFCharacterSetGetPredefined(kCFCharacterSetIllegal)};
  const auto isShownEscaped = [&shown](char32_t c) {
    for (const CFCharacterSetRef set : shown) {
      if (CFCharacterSetIsLongCharacterMember(set, static_cast<UTF32Char>(c))) return true;
    }
    return false;
  };
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
      appendUtf8(out, kReplacement);
    } else if (isShownEscaped(c)) {
      appendControlEscape(static_cast<unsigned>(c), out);
    } else {
      out.append(s.substr(start, i - start));
    }
  }
  return out;
}

}  // namespace velmora::text
