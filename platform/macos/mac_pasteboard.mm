#include "platform/macos/mac_pasteboard.h"

#import <AppKit/AppKit.h>

#include "platform/macos/cf_string.h"

namespace velmora::mac {

void MacPasteboard::clearContents() { [[NSPasteboard generalPasteboard] clearContents]; }

void MacPasteboard::setString(const std::string& text) {
  [[NSPasteboard generalPasteboard] setString:nsString(text) forType:NSPasteboardTypeString];
}

}  // namespace velmora::mac
