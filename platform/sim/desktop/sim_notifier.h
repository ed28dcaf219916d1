// The simulated user notifications: the system's side of "Notify When a Session Ends", which
// the user changes in System Settings and answers when the tracker asks. A note posted while
// they are allowed is delivered to the observer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/sim/desktop/sim_event_loop.h"
#include "platform/sim/desktop/sim_observer.h"
#include "ui/notifier.h"

namespace velmora::sim {

// The names of the scenario format, as notificationStatusName gives them.
[[nodiscard]] std::optional<NotificationStatus> notificationStatusNamed(std::string_view name);
// In words for the screen: "not asked", "allowed", "denied", "unavailable".
[[nodiscard]] std::string notificationStatusWords(NotificationStatus status);
// The next status of the play key: not asked, allowed, denied, unavailable, not asked again.
[[nodiscard]] NotificationStatus nextNotificationStatus(NotificationStatus status);

class SimNotifier final : public Notifier {
 public:
  // The user's answer comes on `loop`, after the request.
  SimNotifier(SimObserver& observer, SimEventLoop& loop) : observer_(observer), loop_(loop) {}

  // The system's side changes (System Settings).
  void setStatus(NotificationStatus status) { status_ = status; }
  [[nodiscard]] NotificationStatus current() const { return status_; }
  // What the user answers when asked: allow or not.
  void setAnswer(bool allow) { allow_ = allow; }
  // How often the tracker opened System Settings at its notifications.
  [[nodiscard]] int settingsOpened() const { return settingsOpened_; }

  NotificationStatus status() override { return status_; }
  // The system asks only while the user has not been asked.
  void requestPermission(std::function<void()> answered) override;
  void post(const std::string& title, const std::string& body) override;
  void openSettings() override { ++settingsOpened_; }

 private:
  SimObserver& observer_;
  SimEventLoop& loop_;
  NotificationStatus status_ = NotificationStatus::kNotAsked;
  bool allow_ = true;
  int settingsOpened_ = 0;
};

}  // namespace velmora::sim
