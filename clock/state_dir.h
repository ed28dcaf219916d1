// The tracker's state directory, created on demand.
#pragma once

#include "app/config.h"

namespace velmora {

// Creates `paths.kStateDir` (mode 0700: its files name hosts and sessions) together with any
// missing parents (default mode). Does nothing when anything at all exists at that path, a
// regular file or a dangling link included. Failures are dropped: the next write simply fails
// and is tried again at a later refresh.
void ensureStateDir(const StatePaths& paths);

}  // namespace velmora
