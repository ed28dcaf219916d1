#include "platform/macos/mac_running_apps.h"

#import <AppKit/AppKit.h>

#include "platform/macos/cf_string.h"

namespace velmora::mac {
namespace {

NSRunningApplication* applicationOf(RunningInstance instance) {
  return [NSRunningApplication runningApplicationWithProcessIdentifier:instance.processIdentifier];
}

}  // namespace

std::vector<RunningInstance> MacRunningApps::runningInstances(std::string_view bundleId) {
  std::vector<RunningInstance> instances;
  @autoreleasepool {
    NSArray<NSRunningApplication*>* running =
        [NSRunningApplication runningApplicationsWithBundleIdentifier:nsString(bundleId)];
    for (NSRunningApplication* application in running) {
      instances.push_back(RunningInstance{application.processIdentifier});
    }
  }
  return instances;
}

void MacRunningApps::activate(RunningInstance instance, unsigned options) {
  // The option bits are passed as they are. From macOS 14 on, IgnoringOtherApps (2) is
  // deprecated and may be ignored; the client then comes forward only when the system lets it.
  [applicationOf(instance)
      activateWithOptions:static_cast<NSApplicationActivationOptions>(options)];
}

void MacRunningApps::terminate(RunningInstance instance) { [applicationOf(instance) terminate]; }

int32_t MacRunningApps::ownProcessIdentifier() {
  return NSRunningApplication.currentApplication.processIdentifier;
}

}  // namespace velmora::mac
