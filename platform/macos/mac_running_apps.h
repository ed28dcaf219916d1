// The running-applications port on NSRunningApplication.
#pragma once

#include "detect/running_apps.h"

namespace velmora::mac {

// An instance is named by its process identifier; `activate` and `terminate` look the
// application object up again by that identifier, and do nothing when it has gone meanwhile.
class MacRunningApps final : public RunningApps {
 public:
  std::vector<RunningInstance> runningInstances(std::string_view bundleId) override;
  void activate(RunningInstance instance, unsigned options) override;
  void terminate(RunningInstance instance) override;
  int32_t ownProcessIdentifier() override;
};

}  // namespace velmora::mac
