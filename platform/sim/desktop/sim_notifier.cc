#include "platform/sim/desktop/sim_notifier.h"

#include <utility>

namespace velmora::sim {

std::optional<NotificationStatus> notificationStatusNamed(std::string_view name) {
  for (const NotificationStatus s :
       {NotificationStatus::kNotAsked, NotificationStatus::kAllowed, NotificationStatus::kDenied,
        NotificationStatus::kUnavailable}) {
    if (notificationStatusName(s) == name) return s;
  }
  return std::nullopt;
}

std::string notificationStatusWords(NotificationStatus status) {
  return status == NotificationStatus::kNotAsked ? "not asked"
                                                 : std::string(notificationStatusName(status));
}

NotificationStatus nextNotificationStatus(NotificationStatus status) {
  switch (status) {
    case NotificationStatus::kNotAsked:
      return NotificationStatus::kAllowed;
    case NotificationStatus::kAllowed:
      return NotificationStatus::kDenied;
    case NotificationStatus::kDenied:
      return NotificationStatus::kUnavailable;
    case NotificationStatus::kUnavailable:
      break;
  }
  return NotificationStatus::kNotAsked;
}

void SimNotifier::requestPermission(std::function<void()> answered) {
  if (status_ == NotificationStatus::kNotAsked) {
    status_ = allow_ ? NotificationStatus::kAllowed : NotificationStatus::kDenied;
  }
  loop_.runAfter(0.0, 0.0, std::move(answered));
}

void SimNotifier::post(const std::string& title, const std::string& body) {
  if (status_ == NotificationStatus::kAllowed) observer_.onNotification(title, body);
}

}  // namespace velmora::sim
