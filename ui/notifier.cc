#include "ui/notifier.h"

namespace velmora {

std::string_view notificationStatusName(NotificationStatus status) {
  switch (status) {
    case NotificationStatus::kNotAsked:
      return "not-asked";
    case NotificationStatus::kAllowed:
      return "allowed";
    case NotificationStatus::kDenied:
      return "denied";
    case NotificationStatus::kUnavailable:
      break;
  }
  return "unavailable";
}

}  // namespace velmora
