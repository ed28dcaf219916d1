// Port to the platform's list of running applications.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora {

// The option value that brings an application forward even while another one is active
// (NSApplicationActivateIgnoringOtherApps).
inline constexpr unsigned kActivateIgnoringOtherApps = 2;

// One running instance of an application, named by its process identifier.
struct RunningInstance {
  int32_t processIdentifier = 0;

  friend bool operator==(const RunningInstance&, const RunningInstance&) = default;
};

// Main thread only. No call throws; failed requests are not reported (the caller never looks).
class RunningApps {
 public:
  virtual ~RunningApps() = default;

  // The running instances with this bundle identifier, in the platform's order; empty when none.
  [[nodiscard]] virtual std::vector<RunningInstance> runningInstances(
      std::string_view bundleId) = 0;

  // Asks the instance to become the active application with the given option bits.
  virtual void activate(RunningInstance instance, unsigned options) = 0;

  // Asks the instance to quit in the normal way; it may refuse or take its time.
  virtual void terminate(RunningInstance instance) = 0;

  // The process identifier of this process, the tracker itself.
  [[nodiscard]] virtual int32_t ownProcessIdentifier() = 0;
};

}  // namespace velmora
