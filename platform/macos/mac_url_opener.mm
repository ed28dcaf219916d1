#include "platform/macos/mac_url_opener.h"

#import <AppKit/AppKit.h>

#include "platform/macos/cf_string.h"

namespace velmora::mac {

void MacUrlOpener::openUrl(const std::string& url) {
  NSURL* target = [NSURL URLWithString:nsString(url)];
  if (target == nil) return;  // not a URL; openURL: must not be given nil
  (void)[[NSWorkspace sharedWorkspace] openURL:target];
}

}  // namespace velmora::mac
