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
  kUnavailable,  // the system has no notifications for this build (not an app bundle)
};

// "not-asked", "allowed", "denied", "unavailable".
[[nodiscard]] std::string_view notificationStatusName(NotificationStatus status);

// Main thread only; nothing throws. The system answers asynchronously, never within a call.
class Notifier {
 public:
  virtual ~Notifier() = default;
  // The status as the system last answered; kNotAsked before its first answer.
  [[nodiscard]] virtual NotificationStatus status() = 0;
  // Asks the system for the status again (the user may have changed it in System Settings).
  // Its answer comes later; when it differs from the last, `changed` runs on the main thread.
  virtual void readStatus() = 0;
  virtual void setChangeHandler(std::function<void()> changed) = 0;
  // Asks the user with the system's prompt. `answered` runs later on the main thread, once the
  // request ended and the status was read again: however it ended (allowed, refused, a prompt
  // left to lapse, or the system's "not allowed" error, which means the user has them off),
  // status() then says where the user stands. No outcome is kept beyond that reading.
  virtual void requestPermission(std::function<void()> answered) = 0;
  // Posts one note now; the caller decides whether it may (mayPostNotes).
  virtual void post(const std::string& title, const std::string& body) = 0;
  // Opens System Settings at the tracker's notifications.
  virtual void openSettings() = 0;
};

}  // namespace velmora
