// The event-loop port on the main run loop and the main dispatch queue.
#pragma once

#include "app/event_loop.h"

namespace velmora::mac {

// Timers run in the run loop's default mode, so they do not fire while the status menu is
// open; the refresh that fell due runs once it closes. Delayed tasks go to the main dispatch
// queue, which the run loop also serves while a menu is open. The menu's timer is added for the
// common modes, so that it fires while the menu is tracked. Every timer is invalidated with its
// handle.
class MacEventLoop final : public EventLoop {
 public:
  std::unique_ptr<Timer> scheduleRepeating(double interval, std::function<void()> fire) override;
  std::unique_ptr<Timer> scheduleMenuTimer(double interval, std::function<void()> fire) override;
  void runAfter(double delay, std::function<void()> task) override;
  void terminate() override;
};

}  // namespace velmora::mac
