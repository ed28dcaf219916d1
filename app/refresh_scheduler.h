// The client's notifications as refreshes. A notification marks the tracker's view stale and
// asks for one refresh kChangeDelay later, unless one is already asked for: a burst of
// notifications gives one pass. A pass that redraws the title and the menu before then (the
// timer's, Refresh, the refresh after Quit Windows App) covers every change before it, and the
// refresh asked for is dropped. So at most one extra pass per kChangeDelay, and none while the
// client is quiet. The repeating timer is not touched.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "app/event_loop.h"

namespace velmora {

class RefreshScheduler {
 public:
  static constexpr double kChangeDelay = 0.25;
  // A change shows within 0.3 s at the latest, still at once to the eye.
  static constexpr double kChangeTolerance = 0.05;

  // `refresh` runs one refresh; it is called from the event loop only, while this scheduler
  // exists. Main thread only.
  RefreshScheduler(EventLoop& loop, std::function<void()> refresh);
  // Its tasks refer to it: it stays where it was made.
  RefreshScheduler(const RefreshScheduler&) = delete;
  RefreshScheduler& operator=(const RefreshScheduler&) = delete;

  // The client said that something changed.
  void changed();
  // A pass that redraws the title and the menu is about to look at the client.
  void covered();

 private:
  // Shared with the scheduled tasks, which the event loop cannot cancel: a task runs its
  // refresh only while the scheduler exists and nothing has covered its change.
  struct State {
    bool stale = false;
    uint64_t generation = 0;
  };

  EventLoop& loop_;
  std::function<void()> refresh_;
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace velmora
