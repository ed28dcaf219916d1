#include "platform/macos/cf_string.h"

#include <cstddef>
#include <vector>

#include "text/text.h"
#include "text/utf8.h"

namespace velmora::mac {

using text::appendUtf8;
namespace {

bool isHighSurrogate(UniChar u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(UniChar u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Unit by unit, so that a lone surrogate costs one U+FFFD instead of the whole string, as a
// CFStringGetBytes conversion would.
std::string encodeUtf8(const UniChar* units, std::size_t count) {
  std::string out;
  out.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const UniChar u = units[i];
    if (isHighSurrogate(u) && i + 1 < count && isLowSurrogate(units[i + 1])) {
      appendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
                          (static_cast<char32_t>(units[i + 1]) - 0xDC00));
      ++i;
    } else if (isHighSurrogate(u) || isLowSurrogate(u)) {
      appendUtf8(out, 0xFFFD);
    } else {
      appendUtf8(out, u);
    }
  }
  return out;
}

}  // namespace

std::string utf8(CFStringRef string) {
  if (string == nullptr) return std::string();
  const CFIndex length = CFStringGetLength(string);
  if (length <= 0) return std::string();
  if (const UniChar* direct = CFStringGetCharactersPtr(string)) {
    return encodeUtf8(direct, static_cast<std::size_t>(length));
  }
  std::vector<UniChar> units(static_cast<std::size_t>(length));
  CFStringGetCharacters(string, CFRangeMake(0, length), units.data());
  return encodeUtf8(units.data(), units.size());
}

std::string utf8(NSString* string) { return utf8((__bridge CFStringRef)string); }

NSString* nsString(std::string_view s) {
  const std::string valid = text::sanitizeUtf8(s);
  NSString* string = [[NSString alloc] initWithBytes:valid.data()
                                              length:valid.size()
                                            encoding:NSUTF8StringEncoding];
  return string != nil ? string : @"";
}

CFRef<CFStringRef> cfString(std::string_view s) {
  const std::string valid = text::sanitizeUtf8(s);
  return CFRef<CFStringRef>::adopt(
      CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(valid.data()),
                              static_cast<CFIndex>(valid.size()), kCFStringEncodingUTF8, false));
}

}  // namespace velmora::mac
