#include "platform/macos/mac_event_loop.h"

#import <AppKit/AppKit.h>

#include <utility>

namespace velmora::mac {
namespace {

// The run loop keeps a scheduled timer until it is invalidated: the handle's end does that.
class MacTimer final : public Timer {
 public:
  explicit MacTimer(NSTimer* timer) : timer_(timer) {}
  ~MacTimer() override { [timer_ invalidate]; }
  MacTimer(const MacTimer&) = delete;
  MacTimer& operator=(const MacTimer&) = delete;

 private:
  NSTimer* timer_;
};

// A timer on the main run loop in the common modes, so that it fires also while a menu is
// tracked.
NSTimer* inCommonModes(double interval, double tolerance, BOOL repeats,
                       std::function<void()> fire) {
  NSTimer* timer = [NSTimer timerWithTimeInterval:interval
                                          repeats:repeats
                                            block:^(NSTimer*) {
                                              fire();
                                            }];
  timer.tolerance = tolerance;
  [[NSRunLoop mainRunLoop] addTimer:timer forMode:NSRunLoopCommonModes];
  return timer;
}

}  // namespace

std::unique_ptr<Timer> MacEventLoop::scheduleRepeating(double interval, double tolerance,
                                                       std::function<void()> fire) {
  NSTimer* timer = [NSTimer scheduledTimerWithTimeInterval:interval
                                                   repeats:YES
                                                     block:^(NSTimer*) {
                                                       fire();
                                                     }];
  timer.tolerance = tolerance;
  return std::make_unique<MacTimer>(timer);
}

std::unique_ptr<Timer> MacEventLoop::scheduleMenuTimer(double interval, double tolerance,
                                                       std::function<void()> fire) {
  return std::make_unique<MacTimer>(inCommonModes(interval, tolerance, YES, std::move(fire)));
}

// A one-shot timer, so that it carries the tolerance (dispatch_after takes none); in the common
// modes, so that it runs while a menu is tracked, as the main queue's tasks do. The run loop
// releases it after its one firing.
void MacEventLoop::runAfter(double delay, double tolerance, std::function<void()> task) {
  (void)inCommonModes(delay, tolerance, NO, std::move(task));
}

void MacEventLoop::terminate() { [NSApp terminate:nil]; }

}  // namespace velmora::mac
