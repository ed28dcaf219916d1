// The event-loop port on the main run loop and the main dispatch queue.
#pragma once

#include "app/event_loop.h"

namespace velmora::mac {

// Timers run in the run loop's default mode, so they do not fire while the status menu is
// open; the refresh that fell due runs once it closes. Delayed tasks are one-shot timers in the
// common modes, which the run loop also serves while a menu is open, as is the menu's timer, so
// that it fires while the menu is tracked. Each timer's tolerance is NSTimer.tolerance. Every
// repeating timer is invalidated with its handle.
class MacEventLoop final : public EventLoop {
 public:
  std::unique_ptr<Timer> scheduleRepeating(double interval, double tolerance,
                                           std::function<void()> fire) override;
  std::unique_ptr<Timer> scheduleMenuTimer(double interval, double tolerance,
                                           std::function<void()> fire) override;
  void runAfter(double delay, double tolerance, std::function<void()> task) override;
  void terminate() override;
};

}  // namespace velmora::mac
