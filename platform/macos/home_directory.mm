#include "platform/macos/home_directory.h"

#import <Foundation/Foundation.h>

#include "platform/macos/cf_string.h"

namespace velmora::mac {

std::string homeDirectory() { return utf8(NSHomeDirectory()); }

}  // namespace velmora::mac
