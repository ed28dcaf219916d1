// The simulated desktop around the tracker: the Windows App client (its instances, process id
// and windows), "System Events" (which answers the listing script from the client's windows and
// recognises the raise script), and the running-application list.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "detect/running_apps.h"
#include "platform/sim/desktop/sim_accessibility.h"
#include "platform/sim/desktop/sim_client.h"
#include "platform/sim/desktop/sim_observer.h"
#include "platform/sim/desktop/sim_script_runner.h"

namespace velmora::sim {

// The simulated tracker's own process identifier, and that of a tracker already running.
inline constexpr int32_t kSimTrackerPid = 700;
inline constexpr int32_t kSimOtherTrackerPid = 650;

class SimDesktop final : public RunningApps {
 public:
  explicit SimDesktop(SimObserver& observer);

  // Sets the client's whole state.
  void setClient(SimClientState client);
  [[nodiscard]] const SimClientState& client() const { return client_; }

  [[nodiscard]] RunningApps& apps() { return *this; }
  [[nodiscard]] SimAccessibility& accessibility() { return accessibility_; }
  [[nodiscard]] SimScriptRunner& scripts() { return scripts_; }

  // The session name the last raise script asked for, un-escaped. Only the last is kept: the
  // observer hears of every one, and a history would grow for as long as the desktop runs.
  [[nodiscard]] const std::optional<std::string>& lastRaisedName() const { return lastRaised_; }

  // Another tracker runs with this process id, or none does.
  void setOtherTracker(std::optional<int32_t> pid) { otherTracker_ = pid; }

  // RunningApps: instance i of the client has process id pid + i; the tracker is
  // kSimTrackerPid, with the other tracker after it.
  std::vector<RunningInstance> runningInstances(std::string_view bundleId) override;
  void activate(RunningInstance instance, unsigned options) override;
  // The first instance quits unless the client refuses; the next one becomes the first.
  void terminate(RunningInstance instance) override;
  int32_t ownProcessIdentifier() override { return kSimTrackerPid; }

 private:
  [[nodiscard]] ScriptResult answer(std::string_view source);
  [[nodiscard]] ScriptResult answerListing() const;
  [[nodiscard]] bool isRunning(int32_t pid) const;

  SimObserver& observer_;
  SimClientState client_;
  SimAccessibility accessibility_;
  SimScriptRunner scripts_;
  std::optional<std::string> lastRaised_;
  std::optional<int32_t> otherTracker_;
};

// The name inside a raise script for `appName`, un-escaped; empty when `source` is not one.
[[nodiscard]] std::optional<std::string> raisedName(std::string_view source,
                                                    std::string_view appName);

}  // namespace velmora::sim
