// Conversions between the core's UTF-8 strings and the platform's strings. Objective-C++ only.
#pragma once

#import <Foundation/Foundation.h>

#include <string>
#include <string_view>

#include "platform/macos/cf_ref.h"

namespace velmora::mac {

// The string as UTF-8. Never fails: a lone UTF-16 surrogate, which strings from other processes
// may hold, becomes U+FFFD. A null string gives "".
[[nodiscard]] std::string utf8(CFStringRef string);
[[nodiscard]] std::string utf8(NSString* string);

// `s` as a platform string; ill-formed UTF-8 reads as U+FFFD. Never nil, so it can go wherever
// AppKit raises on a nil string.
[[nodiscard]] NSString* nsString(std::string_view s);

// `s` as an owned CFString; null only if the allocation fails.
[[nodiscard]] CFRef<CFStringRef> cfString(std::string_view s);

}  // namespace velmora::mac
