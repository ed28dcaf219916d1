#include "platform/macos/cf_string.h"

#include <cstddef>
#include <vector>

#include "text/text.h"
#include "text/utf8.h"

namespace velmora::mac {

std::string utf8(CFStringRef string) {
  if (string == nullptr) return std::string();
  const CFIndex length = CFStringGetLength(string);
  if (length <= 0) return std::string();
  if (const UniChar* direct = CFStringGetCharactersPtr(string)) {
    return text::utf8FromUtf16(direct, static_cast<std::size_t>(length));
  }
  std::vector<UniChar> units(static_cast<std::size_t>(length));
  CFStringGetCharacters(string, CFRangeMake(0, length), units.data());
  return text::utf8FromUtf16(units.data(), units.size());
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
