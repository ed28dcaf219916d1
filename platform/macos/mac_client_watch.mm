#include "platform/macos/mac_client_watch.h"

#import <AppKit/AppKit.h>
#import <ApplicationServices/ApplicationServices.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "detect/accessibility.h"
#include "platform/macos/cf_ref.h"
#include "platform/macos/cf_string.h"

namespace velmora::mac {
namespace {

// Registered on the application element, which the client sends them for any of its windows.
std::array<CFStringRef, 4> applicationNotifications() {
  return {kAXWindowCreatedNotification, kAXWindowMiniaturizedNotification,
          kAXWindowDeminiaturizedNotification, kAXFocusedWindowChangedNotification};
}

// Registered on each window: its closing is announced on the window itself, and a title change
// on the application element would also come for every label of the client's own panels.
std::array<CFStringRef, 2> windowNotifications() {
  return {kAXUIElementDestroyedNotification, kAXTitleChangedNotification};
}

// One AXObserver for one process and the elements it is registered on. The run-loop source is
// removed before anything is released: a callback can still be queued for an element that is
// gone, and none may reach a watch that is gone.
class ProcessWatch final : public Watching {
 public:
  explicit ProcessWatch(std::function<void()> changed) : changed_(std::move(changed)) {}
  ~ProcessWatch() override {
    if (observer_) {
      CFRunLoopRemoveSource(CFRunLoopGetMain(), AXObserverGetRunLoopSource(observer_.get()),
                            kCFRunLoopDefaultMode);
    }
  }
  ProcessWatch(const ProcessWatch&) = delete;
  ProcessWatch& operator=(const ProcessWatch&) = delete;

  // Registers everything and only then adds the source to the run loop; any failure leaves
  // nothing on the run loop.
  AXError start(pid_t pid) {
    CFRef<AXObserverRef> observer;
    AXError error = AXObserverCreate(pid, &ProcessWatch::callback, observer.out());
    if (error != kAXErrorSuccess) return error;
    application_ = CFRef<AXUIElementRef>::adopt(AXUIElementCreateApplication(pid));
    for (CFStringRef name : applicationNotifications()) {
      error = AXObserverAddNotification(observer.get(), application_.get(), name, this);
      // A notification the client does not send costs nothing; the others still come.
      if (error != kAXErrorSuccess && error != kAXErrorNotificationUnsupported) return error;
    }
    observer_ = std::move(observer);
    error = watchPresentWindows();
    if (error != kAXErrorSuccess) {
      observer_.reset();
      return error;
    }
    CFRunLoopAddSource(CFRunLoopGetMain(), AXObserverGetRunLoopSource(observer_.get()),
                       kCFRunLoopDefaultMode);
    return kAXErrorSuccess;
  }

 private:
  static void callback(AXObserverRef /*observer*/, AXUIElementRef element, CFStringRef notification,
                       void* refcon) {
    static_cast<ProcessWatch*>(refcon)->notified(element, notification);
  }

  AXError watchPresentWindows() {
    const CFRef<CFStringRef> attribute = cfString(kAxWindows);
    CFRef<CFTypeRef> value;
    const AXError error =
        AXUIElementCopyAttributeValue(application_.get(), attribute.get(), value.out());
    // No window list yet is no window to watch; windows created later are announced.
    if (error == kAXErrorNoValue) return kAXErrorSuccess;
    if (error != kAXErrorSuccess) return error;
    if (!value || CFGetTypeID(value.get()) != CFArrayGetTypeID()) return kAXErrorSuccess;
    const auto windows = static_cast<CFArrayRef>(value.get());
    for (CFIndex i = 0; i < CFArrayGetCount(windows); ++i) {
      const CFTypeRef window = CFArrayGetValueAtIndex(windows, i);
      if (window != nullptr && CFGetTypeID(window) == AXUIElementGetTypeID()) {
        watchWindow(static_cast<AXUIElementRef>(window));
      }
    }
    return kAXErrorSuccess;
  }

  // The element is held while its registrations last.
  void watchWindow(AXUIElementRef window) {
    bool registered = false;
    for (CFStringRef name : windowNotifications()) {
      if (AXObserverAddNotification(observer_.get(), window, name, this) == kAXErrorSuccess) {
        registered = true;
      }
    }
    if (registered) windows_.push_back(CFRef<AXUIElementRef>::retain(window));
  }

  void notified(AXUIElementRef element, CFStringRef notification) {
    if (CFEqual(notification, kAXWindowCreatedNotification)) {
      watchWindow(element);
    } else if (CFEqual(notification, kAXUIElementDestroyedNotification)) {
      std::erase_if(windows_, [element](const CFRef<AXUIElementRef>& w) {
        return CFEqual(w.get(), element);
      });
    }
    changed_();
  }

  std::function<void()> changed_;
  CFRef<AXObserverRef> observer_;
  CFRef<AXUIElementRef> application_;
  std::vector<CFRef<AXUIElementRef>> windows_;
};

WatchStart startOf(AXError error) {
  if (error == kAXErrorSuccess) return WatchStart::kStarted;
  return error == kAXErrorCannotComplete ? WatchStart::kNotYet : WatchStart::kFailed;
}

// The two observer tokens of the workspace's notification centre, removed when the watch goes.
class LaunchWatch final : public Watching {
 public:
  LaunchWatch(id<NSObject> launched, id<NSObject> terminated)
      : launched_(launched), terminated_(terminated) {}
  ~LaunchWatch() override {
    NSNotificationCenter* center = NSWorkspace.sharedWorkspace.notificationCenter;
    [center removeObserver:launched_];
    [center removeObserver:terminated_];
  }
  LaunchWatch(const LaunchWatch&) = delete;
  LaunchWatch& operator=(const LaunchWatch&) = delete;

 private:
  id<NSObject> launched_;
  id<NSObject> terminated_;
};

}  // namespace

WatchResult MacClientWatch::watchProcess(int32_t processIdentifier, std::function<void()> changed) {
  auto watch = std::make_unique<ProcessWatch>(std::move(changed));
  const WatchStart start = startOf(watch->start(static_cast<pid_t>(processIdentifier)));
  if (start != WatchStart::kStarted) return WatchResult{start, nullptr};
  return WatchResult{start, std::move(watch)};
}

std::unique_ptr<Watching> MacClientWatch::watchLaunches(std::string_view bundleId,
                                                        std::function<void()> changed) {
  NSString* wanted = nsString(bundleId);
  void (^notified)(NSNotification*) = ^(NSNotification* notification) {
    id application = notification.userInfo[NSWorkspaceApplicationKey];
    if ([application isKindOfClass:[NSRunningApplication class]] &&
        [((NSRunningApplication*)application).bundleIdentifier isEqualToString:wanted]) {
      changed();
    }
  };
  NSNotificationCenter* center = NSWorkspace.sharedWorkspace.notificationCenter;
  NSOperationQueue* main = NSOperationQueue.mainQueue;
  id<NSObject> launched = [center addObserverForName:NSWorkspaceDidLaunchApplicationNotification
                                              object:nil
                                               queue:main
                                          usingBlock:notified];
  id<NSObject> terminated =
      [center addObserverForName:NSWorkspaceDidTerminateApplicationNotification
                          object:nil
                           queue:main
                      usingBlock:notified];
  return std::make_unique<LaunchWatch>(launched, terminated);
}

}  // namespace velmora::mac
