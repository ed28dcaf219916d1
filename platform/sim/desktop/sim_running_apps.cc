#include "platform/sim/desktop/sim_running_apps.h"

#include "app/config.h"

namespace velmora {

std::vector<RunningInstance> SimRunningApps::runningInstances(std::string_view bundleId) {
  if (bundleId != kBundleID) return {};
  return instances;
}

}  // namespace velmora
