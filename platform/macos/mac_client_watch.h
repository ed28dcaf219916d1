// The watch port on Accessibility observers and the workspace's notification centre.
#pragma once

#include "detect/client_watch.h"

namespace velmora::mac {

// A process is watched by one AXObserver: window created, window minimised and restored, and
// focused window changed on its application element; element destroyed and title changed on
// each of its windows, those present when the watch starts and those created later. The observer's
// run-loop source is on the main run loop in its default mode, so callbacks come on the main
// thread (not while the status menu is open; what changed meanwhile comes once it closes).
// Launches and quits come from the workspace's notification centre, filtered by bundle
// identifier. No call asks the user for a grant: a refusal is the kAXErrorAPIDisabled of the
// first registration, which gives kFailed; kAXErrorCannotComplete (a process still launching)
// gives kNotYet.
class MacClientWatch final : public ClientWatch {
 public:
  WatchResult watchProcess(int32_t processIdentifier, std::function<void()> changed) override;
  std::unique_ptr<Watching> watchLaunches(std::string_view bundleId,
                                          std::function<void()> changed) override;
};

}  // namespace velmora::mac
