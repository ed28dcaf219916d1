#include "platform/macos/mac_file_revealer.h"

#import <AppKit/AppKit.h>

#include "platform/macos/cf_string.h"

namespace velmora::mac {

void MacFileRevealer::reveal(const std::string& path) {
  NSString* text = nsString(path);
  if (text == nil) return;  // not UTF-8: no URL to show
  [[NSWorkspace sharedWorkspace] activateFileViewerSelectingURLs:@[ [NSURL fileURLWithPath:text] ]];
}

}  // namespace velmora::mac
