// A test double of the running-application list: instances in a fixed order, and a record of
// every activation and termination request. Only the tests, fuzz targets and benchmarks use
// it; velmora-sim's desktop answers for its own client (sim_desktop.h).
#pragma once

#include <vector>

#include "app/config.h"
#include "detect/running_apps.h"

namespace velmora {

class SimRunningApps final : public RunningApps {
 public:
  struct Activation {
    RunningInstance instance;
    unsigned options = 0;
  };

  std::vector<RunningInstance> instances;  // what runningInstances() returns for kBundleID
  std::vector<Activation> activations;
  std::vector<RunningInstance> terminations;

  std::vector<RunningInstance> runningInstances(std::string_view bundleId) override {
    return bundleId == kBundleID ? instances : std::vector<RunningInstance>{};
  }
  void activate(RunningInstance instance, unsigned options) override {
    activations.push_back({instance, options});
  }
  void terminate(RunningInstance instance) override { terminations.push_back(instance); }
  int32_t ownProcessIdentifier() override { return 1; }
};

}  // namespace velmora
