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
  NotificationStatus status = NotificationStatus::kNotAsked;  // until the first answer
  std::function<void()> changed;
  uint64_t posted = 0;
  VLNotificationPresenter* presenter = nil;
};

namespace {

bool hasBundle() { return NSBundle.mainBundle.bundleIdentifier != nil; }

NotificationStatus statusOf(UNAuthorizationStatus status) {
  switch (status) {
    case UNAuthorizationStatusNotDetermined:
      return NotificationStatus::kNotAsked;
    case UNAuthorizationStatusAuthorized:
    case UNAuthorizationStatusProvisional:
      return NotificationStatus::kAllowed;
    default:
      break;
  }
  // Denied, and whatever a later system adds: the way to System Settings stays open.
  return NotificationStatus::kDenied;
}

// Reads the settings; `read` runs on the main queue with the status while the state lives.
void readSettings(std::weak_ptr<MacNotifier::State> weak,
                  std::function<void(MacNotifier::State&, NotificationStatus)> read) {
  [UNUserNotificationCenter.currentNotificationCenter
      getNotificationSettingsWithCompletionHandler:^(UNNotificationSettings* settings) {
        const NotificationStatus status = statusOf(settings.authorizationStatus);
        dispatch_async(dispatch_get_main_queue(), ^{
          if (const auto state = weak.lock()) read(*state, status);
        });
      }];
}

}  // namespace

MacNotifier::MacNotifier() : state_(std::make_shared<State>()) {
  if (!hasBundle()) return;
  state_->presenter = [[VLNotificationPresenter alloc] init];
  UNUserNotificationCenter.currentNotificationCenter.delegate = state_->presenter;
  readStatus();
}

MacNotifier::~MacNotifier() {
  if (hasBundle()) UNUserNotificationCenter.currentNotificationCenter.delegate = nil;
}

NotificationStatus MacNotifier::status() {
  return hasBundle() ? state_->status : NotificationStatus::kUnavailable;
}

void MacNotifier::readStatus() {
  if (!hasBundle()) return;
  readSettings(state_, [](State& state, NotificationStatus status) {
    if (std::exchange(state.status, status) != status && state.changed) state.changed();
  });
}

void MacNotifier::setChangeHandler(std::function<void()> changed) {
  state_->changed = std::move(changed);
}

void MacNotifier::requestPermission(std::function<void()> answered) {
  if (!hasBundle()) {
    dispatch_async(dispatch_get_main_queue(), ^{
      answered();
    });
    return;
  }
  // However the request ends (granted, "Don't Allow", a lapsed prompt, or the "not allowed"
  // error, which means the user has them off), the settings say where the user stands.
  std::weak_ptr<State> weak = state_;
  [UNUserNotificationCenter.currentNotificationCenter
      requestAuthorizationWithOptions:(UNAuthorizationOptionAlert | UNAuthorizationOptionSound)
                    completionHandler:^(BOOL granted, NSError* error) {
                      (void)granted;
                      (void)error;
                      readSettings(weak, [answered](State& state, NotificationStatus status) {
                        state.status = status;
                        answered();
                      });
                    }];
}

void MacNotifier::post(const std::string& title, const std::string& body) {
  if (!hasBundle()) return;  // the framework raises outside an app bundle
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

// macOS 13 and later open the tracker's own page; the older pane URL opens only its list.
void MacNotifier::openSettings() {
  NSString* bundle = NSBundle.mainBundle.bundleIdentifier;
  if (bundle == nil) return;
  NSString* prefix = @"x-apple.systempreferences:com.apple.preference.notifications?id=";
  if (@available(macOS 13, *)) {
    prefix = @"x-apple.systempreferences:com.apple.Notifications-Settings.extension?id=";
  }
  NSURL* pane = [NSURL URLWithString:[prefix stringByAppendingString:bundle]];
  if (pane != nil) (void)[[NSWorkspace sharedWorkspace] openURL:pane];
}

}  // namespace velmora::mac
