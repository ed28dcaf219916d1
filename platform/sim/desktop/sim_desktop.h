// The simulated desktop around the tracker: the Windows App client (its instances, process id
// and windows), "System Events" (which answers the listing script from the client's windows and
// recognises the raise script), the running-application list, and the notifications of both:
// the client's own about its windows, the workspace's about its launches and quits.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "detect/client_watch.h"
#include "detect/running_apps.h"
#include "platform/sim/desktop/sim_accessibility.h"
#include "platform/sim/desktop/sim_client.h"
#include "platform/sim/desktop/sim_observer.h"
#include "platform/sim/desktop/sim_script_runner.h"

namespace velmora::sim {

// What "System Events" answers a script about a client that does not answer, once the script's
// time-out has passed (errAETimeout).
inline constexpr std::string_view kTimedOutError =
    "System Events got an error: AppleEvent timed out. (-1712)";

// The simulated tracker's own process identifier, and that of a tracker already running.
inline constexpr int32_t kSimTrackerPid = 700;
inline constexpr int32_t kSimOtherTrackerPid = 650;

class SimDesktop final : public RunningApps, public ClientWatch {
 public:
  explicit SimDesktop(SimObserver& observer);

  // Sets the client's whole state (a shared one is taken as it is, never copied), and announces
  // what changed, at once, to the watches: a launch or quit (an instance more or fewer, or
  // another first process id) to the watches of launches; any other change of a running client
  // that `notifies` to the watches of its process.
  void setClient(SimClientState client);
  void setClient(std::shared_ptr<const SimClientState> client);
  [[nodiscard]] const SimClientState& client() const { return *client_; }
  // The state the client is in now, to keep: a change replaces it, never alters it.
  [[nodiscard]] const std::shared_ptr<const SimClientState>& sharedClient() const {
    return client_;
  }

  [[nodiscard]] RunningApps& apps() { return *this; }
  [[nodiscard]] SimAccessibility& accessibility() { return accessibility_; }
  [[nodiscard]] SimScriptRunner& scripts() { return scripts_; }
  [[nodiscard]] ClientWatch& watch() { return *this; }

  // From now on every Accessibility round trip and every script costs `loop`'s running task its
  // time, as on a Mac (mac_costs.h), and is counted there.
  void chargeTo(SimEventLoop& loop);

  // A desktop that announces nothing and lets nothing be watched: the tracker hears of changes
  // from its timer only, as before it listened.
  bool silent = false;

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

  // ClientWatch: a watch of the client's first process starts unless the client runs no such
  // process or refuses the tracker Accessibility (-25211); while its window list answers
  // -25204 (launching, or hung) it cannot start yet.
  WatchResult watchProcess(int32_t processIdentifier, std::function<void()> changed) override;
  std::unique_ptr<Watching> watchLaunches(std::string_view bundleId,
                                          std::function<void()> changed) override;

  // The watches in force, shared with their handles, which may outlive the desktop.
  struct Watches;

 private:
  void announce(const SimClientState& before) const;
  [[nodiscard]] ScriptResult answer(std::string_view source);
  // Charges compiling `source` (unless compiled before) and sending its Apple event; false when
  // the event timed out on a client that does not answer.
  bool charge(std::string_view source);
  [[nodiscard]] ScriptResult answerListing() const;
  [[nodiscard]] bool isRunning(int32_t pid) const;

  SimObserver& observer_;
  std::shared_ptr<const SimClientState> client_;
  SimAccessibility accessibility_;
  SimScriptRunner scripts_;
  std::optional<std::string> lastRaised_;
  std::shared_ptr<Watches> watches_;
  std::optional<int32_t> otherTracker_;
  SimEventLoop* loop_ = nullptr;
  // The sources compiled and kept, as the Mac's script runner keeps its last few.
  std::vector<std::string> compiled_;
};

// The seconds of a script's "with timeout of N seconds", or kAppleEventDefaultTimeout.
[[nodiscard]] double scriptTimeout(std::string_view source);

// The name inside a raise script for `appName`, un-escaped; empty when `source` is not one.
[[nodiscard]] std::optional<std::string> raisedName(std::string_view source,
                                                    std::string_view appName);

}  // namespace velmora::sim
