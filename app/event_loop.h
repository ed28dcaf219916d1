// Port to the main thread's event loop: one repeating timer, one-shot delayed tasks and the
// application's termination. Every callback runs on the main thread, never two at once.
#pragma once

#include <functional>
#include <memory>

namespace velmora {

// A scheduled repeating timer, owned by its handle: releasing the handle stops it (no firing
// comes after), as invalidating a platform timer does.
class Timer {
 public:
  virtual ~Timer() = default;
};

class EventLoop {
 public:
  virtual ~EventLoop() = default;

  // Every schedule takes a `tolerance`: how much later than due the platform may fire, so that
  // it can wake the processor once for several timers (Apple's energy guide asks for at least
  // 10 % of a repeating timer's interval). Never earlier than due.

  // Calls `fire` every `interval` seconds, the first time one interval from now. Firings that
  // fall due while the loop is busy are not queued up. It does not fire while a menu is open.
  [[nodiscard]] virtual std::unique_ptr<Timer> scheduleRepeating(double interval, double tolerance,
                                                                 std::function<void()> fire) = 0;

  // Calls `fire` every `interval` seconds, the first time one interval from now, also while a
  // menu is being tracked (the platform's common run-loop modes), until the handle goes.
  [[nodiscard]] virtual std::unique_ptr<Timer> scheduleMenuTimer(double interval, double tolerance,
                                                                 std::function<void()> fire) = 0;

  // Runs `task` once, not before `delay` seconds from now.
  virtual void runAfter(double delay, double tolerance, std::function<void()> task) = 0;

  // Ends the application through the platform's normal termination.
  virtual void terminate() = 0;
};

}  // namespace velmora
