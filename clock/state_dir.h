// The tracker's private folders, created on demand.
#pragma once

#include <string>

#include "app/config.h"

namespace velmora {

// Creates `dir` (mode 0700: its files name hosts and sessions) together with any missing parents
// (default mode). Does nothing when anything at all exists at that path, a regular file or a
// dangling link included. Failures are dropped: the next write simply fails and is tried again
// later.
void ensurePrivateDir(const std::string& dir);

// ensurePrivateDir of `paths.kStateDir`.
void ensureStateDir(const StatePaths& paths);

}  // namespace velmora
