#include "platform/macos/mac_event_loop.h"

#import <AppKit/AppKit.h>
#include <dispatch/dispatch.h>

#include <cstdint>

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

}  // namespace

std::unique_ptr<Timer> MacEventLoop::scheduleRepeating(double interval,
                                                       std::function<void()> fire) {
  NSTimer* timer = [NSTimer scheduledTimerWithTimeInterval:interval
                                                   repeats:YES
                                                     block:^(NSTimer*) {
                                                       fire();
                                                     }];
  return std::make_unique<MacTimer>(timer);
}

std::unique_ptr<Timer> MacEventLoop::scheduleMenuTimer(double interval,
                                                       std::function<void()> fire) {
  NSTimer* timer = [NSTimer timerWithTimeInterval:interval
                                          repeats:YES
                                            block:^(NSTimer*) {
                                              fire();
                                            }];
  [[NSRunLoop mainRunLoop] addTimer:timer forMode:NSRunLoopCommonModes];
  return std::make_unique<MacTimer>(timer);
}

void MacEventLoop::runAfter(double delay, std::function<void()> task) {
  const auto nanoseconds = static_cast<int64_t>(delay * static_cast<double>(NSEC_PER_SEC));
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, nanoseconds), dispatch_get_main_queue(), ^{
    task();
  });
}

void MacEventLoop::terminate() { [NSApp terminate:nil]; }

}  // namespace velmora::mac
