#include "platform/macos/mac_wall_clock.h"

#import <Foundation/Foundation.h>

namespace velmora::mac {

double MacWallClock::now() { return [[NSDate date] timeIntervalSince1970]; }

}  // namespace velmora::mac
