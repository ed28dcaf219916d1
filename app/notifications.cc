#include "app/notifications.h"

namespace velmora {
namespace {

bool settled(NotificationStatus s) {
  return s == NotificationStatus::kAllowed || s == NotificationStatus::kDenied;
}

}  // namespace

std::string_view requestName(NotificationsChange::Request request) {
  return request == NotificationsChange::Request::kAsk ? "ask" : "open-settings";
}

std::optional<NotificationsChange::Request> notificationsRequest(NotificationStatus shown,
                                                                 NotificationStatus now) {
  if (shown == NotificationStatus::kNotAsked && now == NotificationStatus::kNotAsked) {
    return NotificationsChange::Request::kAsk;
  }
  if (settled(shown) && settled(now)) return NotificationsChange::Request::kOpenSettings;
  return std::nullopt;
}

}  // namespace velmora
