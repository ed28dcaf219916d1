// Port to the platform's notifications about the client: what its process says about its
// windows, and the workspace's word of applications launching and quitting.
//
// The macOS adapter observes the process through Accessibility (windows created and
// destroyed, titles changed, windows minimised and restored, the focused window changed) and
// the workspace through its notification centre; every decision about what a notification
// means stays in the core, which hears only that something changed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace velmora {

// A watch in force. It ends when the handle goes: no callback comes after that.
class Watching {
 public:
  virtual ~Watching() = default;
};

// How starting a watch of the client's process went.
enum class WatchStart {
  kStarted,  // notifications will come
  kNotYet,   // the process cannot answer yet (still launching, or hung): try again shortly
  kFailed,   // refused (no Accessibility grant) or impossible (no such process)
};

struct WatchResult {
  WatchStart start = WatchStart::kFailed;
  std::unique_ptr<Watching> watching;  // set exactly when `start` is kStarted
};

// Main thread only. Callbacks come on the main thread, one at a time; they may come while the
// tracker is inside another port's call, so they must only take note and schedule. Watching
// never asks the user for a grant and never waits for the client to finish launching.
class ClientWatch {
 public:
  virtual ~ClientWatch() = default;

  // Calls `changed` whenever the process with this id reports a change of its windows.
  [[nodiscard]] virtual WatchResult watchProcess(int32_t processIdentifier,
                                                 std::function<void()> changed) = 0;

  // Calls `changed` whenever an application with this bundle identifier launches or quits.
  // Null when the platform cannot watch launches at all.
  [[nodiscard]] virtual std::unique_ptr<Watching> watchLaunches(std::string_view bundleId,
                                                                std::function<void()> changed) = 0;
};

}  // namespace velmora
