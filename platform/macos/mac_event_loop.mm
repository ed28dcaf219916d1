#include "platform/macos/mac_event_loop.h"

#import <AppKit/AppKit.h>
#include <dispatch/dispatch.h>

#include <cstdint>

namespace velmora::mac {
namespace {

// The run loop keeps a scheduled timer until it is invalidated, and nothing invalidates it, so
// the handle needs to hold nothing.
class MacRepeatingTimer final : public RepeatingTimer {};

class MacMenuTimer final : public MenuTimer {
 public:
  explicit MacMenuTimer(NSTimer* timer) : timer_(timer) {}
  ~MacMenuTimer() override { [timer_ invalidate]; }
  MacMenuTimer(const MacMenuTimer&) = delete;
  MacMenuTimer& operator=(const MacMenuTimer&) = delete;

 private:
  NSTimer* timer_;
};

}  // namespace

std::unique_ptr<RepeatingTimer> MacEventLoop::scheduleRepeating(double interval,
                                                                std::function<void()> fire) {
  [NSTimer scheduledTimerWithTimeInterval:interval
                                  repeats:YES
                                    block:^(NSTimer*) {
                                      fire();
                                    }];
  return std::make_unique<MacRepeatingTimer>();
}

std::unique_ptr<MenuTimer> MacEventLoop::scheduleMenuTimer(double interval,
                                                           std::function<void()> fire) {
  NSTimer* timer = [NSTimer timerWithTimeInterval:interval
                                          repeats:YES
                                            block:^(NSTimer*) {
                                              fire();
                                            }];
  [[NSRunLoop mainRunLoop] addTimer:timer forMode:NSRunLoopCommonModes];
  return std::make_unique<MacMenuTimer>(timer);
}

void MacEventLoop::runAfter(double delay, std::function<void()> task) {
  const auto nanoseconds = static_cast<int64_t>(delay * static_cast<double>(NSEC_PER_SEC));
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, nanoseconds), dispatch_get_main_queue(), ^{
    task();
  });
}

void MacEventLoop::terminate() { [NSApp terminate:nil]; }

}  // namespace velmora::mac
