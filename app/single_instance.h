// Only ever one tracker. LaunchServices brings a running copy of the app forward instead of
// starting another, but launchd starts a LaunchAgent's executable directly, a shell can start it
// too, and a user may have both a LaunchAgent and a login item.
#pragma once

#include <cstdint>
#include <vector>

#include "detect/running_apps.h"

namespace velmora {

// Whether this process (`own`) gives way to another running tracker of `trackers` (the running
// instances of the tracker's bundle identifier, this one among them or not). Of several, the one
// with the lowest process identifier stays: two started at the same moment, each seeing the
// other, then never both end. The others end, at launch or at their next refresh.
[[nodiscard]] bool givesWayToAnotherTracker(int32_t own,
                                            const std::vector<RunningInstance>& trackers);

}  // namespace velmora
