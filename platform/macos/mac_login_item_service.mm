#include "platform/macos/mac_login_item_service.h"

#import <Foundation/Foundation.h>
#import <ServiceManagement/ServiceManagement.h>

#include <cerrno>

#include "platform/macos/cf_string.h"

namespace velmora::mac {
namespace {

API_AVAILABLE(macos(13.0))
LoginServiceStatus statusOf(SMAppServiceStatus status) {
  switch (status) {
    case SMAppServiceStatusEnabled:
      return LoginServiceStatus::kEnabled;
    case SMAppServiceStatusRequiresApproval:
      return LoginServiceStatus::kRequiresApproval;
    case SMAppServiceStatusNotFound:
      return LoginServiceStatus::kNotFound;
    case SMAppServiceStatusNotRegistered:
      break;
  }
  return LoginServiceStatus::kNotRegistered;
}

Outcome refusedUnless(BOOL done) { return done ? Outcome{} : Outcome{EPERM}; }

}  // namespace

// ServiceManagement.framework exists on macOS 11 and 12 too; only the SMAppService class is
// missing there, and its references are weak because the class is marked for macOS 13.
bool MacLoginItemService::hasService() {
  if (@available(macOS 13, *)) return true;
  return false;
}

LoginServiceStatus MacLoginItemService::status() {
  if (@available(macOS 13, *)) return statusOf(SMAppService.mainAppService.status);
  return LoginServiceStatus::kNotRegistered;
}

Outcome MacLoginItemService::registerApp() {
  if (@available(macOS 13, *)) {
    NSError *error = nil;
    return refusedUnless([SMAppService.mainAppService registerAndReturnError:&error]);
  }
  return Outcome{ENOSYS};
}

Outcome MacLoginItemService::unregisterApp() {
  if (@available(macOS 13, *)) {
    NSError *error = nil;
    return refusedUnless([SMAppService.mainAppService unregisterAndReturnError:&error]);
  }
  return Outcome{ENOSYS};
}

void MacLoginItemService::openSettings() {
  if (@available(macOS 13, *)) [SMAppService openSystemSettingsLoginItems];
}

AppLocation MacLoginItemService::appLocation() {
  NSBundle *bundle = NSBundle.mainBundle;
  return AppLocation{utf8(bundle.bundlePath), utf8(bundle.executablePath),
                     utf8(NSTemporaryDirectory())};
}

}  // namespace velmora::mac
