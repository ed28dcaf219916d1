// The wall-clock port on NSDate.
#pragma once

#include "clock/wall_clock.h"

namespace velmora::mac {

class MacWallClock final : public WallClock {
 public:
  double now() override;
};

}  // namespace velmora::mac
