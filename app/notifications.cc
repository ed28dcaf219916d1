#include "app/notifications.h"

namespace velmora {

std::string_view requestName(NotificationsChange::Request request) {
  return request == NotificationsChange::Request::kAsk ? "ask" : "open-settings";
}

std::optional<NotificationsChange::Request> notificationsRequest(NotificationStatus shown) {
  switch (shown) {
    case NotificationStatus::kNotAsked:
      return NotificationsChange::Request::kAsk;
    case NotificationStatus::kAllowed:
    case NotificationStatus::kDenied:
      return NotificationsChange::Request::kOpenSettings;
    case NotificationStatus::kUnavailable:
      break;
  }
  return std::nullopt;
}

bool mayPostNotes(NotificationStatus status) {
  return status == NotificationStatus::kAllowed;
}

}  // namespace velmora
