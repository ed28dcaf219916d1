#include "app/single_instance.h"

#include <algorithm>

namespace velmora {

bool givesWayToAnotherTracker(int32_t own, const std::vector<RunningInstance>& trackers) {
  return std::any_of(trackers.begin(), trackers.end(), [own](RunningInstance t) {
    return t.processIdentifier > 0 && t.processIdentifier < own;
  });
}

}  // namespace velmora
