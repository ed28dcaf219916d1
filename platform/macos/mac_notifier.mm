#include "platform/macos/mac_notifier.h"

#import <AppKit/AppKit.h>
#import <UserNotifications/UserNotifications.h>
#include <dispatch/dispatch.h>

#include <ctime>
#include <string>
#include <utility>

#include "platform/macos/cf_string.h"

// Shows the tracker's notes as banners and in Notification Center even while it is the active
// application, which the system otherwise keeps them from.
@interface VLNotificationPresenter : NSObject <UNUserNotificationCenterDelegate>
@end

@implementation VLNotificationPresenter

- (void)userNotificationCenter:(UNUserNotificationCenter*)center
       willPresentNotification:(UNNotification*)notification
         withCompletionHandler:(void (^)(UNNotificationPresentationOptions options))handler {
  (void)center;
  (void)notification;
  handler(UNNotificationPresentationOptionBanner | UNNotificationPresentationOptionList);
}

@end

namespace velmora::mac {

struct MacNotifier::State {
  NotificationStatus status = NotificationStatus::kUnavailable;
  bool refused = false;  // the system refused this build: unavailable for good
  uint64_t posted = 0;
  VLNotificationPresenter* presenter = nil;
};

namespace {

bool hasBundle() { return NSBundle.mainBundle.bundleIdentifier != nil; }

NotificationStatus statusOf(UNAuthorizationStatus status) {
  switch (status) {
    case UNAuthorizationStatusNotDetermined:
      return NotificationStatus::kNotAsked;
    case UNAuthorizationStatusDenied:
      return NotificationStatus::kDenied;
    case UNAuthorizationStatusAuthorized:
    case UNAuthorizationStatusProvisional:
      return NotificationStatus::kAllowed;
    default:
      break;
  }
  return NotificationStatus::kUnavailable;
}

bool isRefusal(NSError* error) {
  return error != nil && [error.domain isEqualToString:UNErrorDomain] &&
         error.code == UNErrorCodeNotificationsNotAllowed;
}

}  // namespace

MacNotifier::MacNotifier() : state_(std::make_shared<State>()) {
  if (!hasBundle()) return;
  state_->presenter = [[VLNotificationPresenter alloc] init];
  UNUserNotificationCenter.currentNotificationCenter.delegate = state_->presenter;
  readSettings();
}

MacNotifier::~MacNotifier() {
  if (hasBundle()) UNUserNotificationCenter.currentNotificationCenter.delegate = nil;
}

void MacNotifier::readSettings() {
  std::weak_ptr<State> weak = state_;
  [UNUserNotificationCenter.currentNotificationCenter
      getNotificationSettingsWithCompletionHandler:^(UNNotificationSettings* settings) {
        const NotificationStatus status = statusOf(settings.authorizationStatus);
        dispatch_async(dispatch_get_main_queue(), ^{
          if (const auto state = weak.lock(); state && !state->refused) state->status = status;
        });
      }];
}

NotificationStatus MacNotifier::status() {
  if (!hasBundle() || state_->refused) return NotificationStatus::kUnavailable;
  readSettings();
  return state_->status;
}

void MacNotifier::requestPermission(std::function<void()> answered) {
  if (!hasBundle()) {
    dispatch_async(dispatch_get_main_queue(), ^{
      answered();
    });
    return;
  }
  std::weak_ptr<State> weak = state_;
  [UNUserNotificationCenter.currentNotificationCenter
      requestAuthorizationWithOptions:(UNAuthorizationOptionAlert | UNAuthorizationOptionSound)
                    completionHandler:^(BOOL granted, NSError* error) {
                      const bool refused = isRefusal(error);
                      dispatch_async(dispatch_get_main_queue(), ^{
                        if (const auto state = weak.lock()) {
                          state->refused = refused;
                          state->status = refused   ? NotificationStatus::kUnavailable
                                          : granted ? NotificationStatus::kAllowed
                                                    : NotificationStatus::kDenied;
                        }
                        answered();
                      });
                    }];
}

void MacNotifier::post(const std::string& title, const std::string& body) {
  if (!hasBundle() || state_->status != NotificationStatus::kAllowed) return;
  UNMutableNotificationContent* content = [[UNMutableNotificationContent alloc] init];
  content.title = nsString(title);
  content.body = nsString(body);
  // Each note stays until the user dismisses it: none replaces another.
  const std::string identifier =
      "session-end-" + std::to_string(std::time(nullptr)) + "-" + std::to_string(++state_->posted);
  UNNotificationRequest* request = [UNNotificationRequest requestWithIdentifier:nsString(identifier)
                                                                        content:content
                                                                        trigger:nil];
  [UNUserNotificationCenter.currentNotificationCenter addNotificationRequest:request
                                                       withCompletionHandler:nil];
}

void MacNotifier::openSettings() {
  NSString* bundle = NSBundle.mainBundle.bundleIdentifier;
  if (bundle == nil) return;
  NSURL* pane =
      [NSURL URLWithString:[@"x-apple.systempreferences:com.apple.preference.notifications?id="
                               stringByAppendingString:bundle]];
  if (pane != nil) (void)[[NSWorkspace sharedWorkspace] openURL:pane];
}

}  // namespace velmora::mac
