// Port to the system's user notifications (UNUserNotificationCenter on macOS): whether the user
// lets the tracker post them, the system's request for that permission, posting one, and the
// place in System Settings where the user switches them. The switch is the system's; the
// tracker keeps none of its own.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace velmora {

enum class NotificationStatus {
  kNotAsked,     // the user has not been asked yet
  kAllowed,      // notes are delivered
  kDenied,       // the user said no, or turned them off in System Settings
  kUnavailable,  // the system delivers none to this build (no bundle, ad-hoc signature)
};

// "not-asked", "allowed", "denied", "unavailable".
[[nodiscard]] std::string_view notificationStatusName(NotificationStatus status);

// Main thread only; nothing throws. Platform failures read as kUnavailable or are dropped.
class Notifier {
 public:
  virtual ~Notifier() = default;
  // The status as the system last told it (a platform that answers asynchronously asks again
  // at every call; the answer counts from the next).
  [[nodiscard]] virtual NotificationStatus status() = 0;
  // Asks the user with the system's prompt; `answered` runs later on the main thread, once the
  // user answered or the system declined to ask.
  virtual void requestPermission(std::function<void()> answered) = 0;
  // Posts one note now; dropped unless the status is kAllowed.
  virtual void post(const std::string& title, const std::string& body) = 0;
  // Opens System Settings at the tracker's notifications.
  virtual void openSettings() = 0;
};

}  // namespace velmora
