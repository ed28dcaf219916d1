// "Notify When a Session Ends": what choosing the row asks of the system, decided from the
// status the row showed and the status now.
#pragma once

#include <optional>
#include <string_view>

#include "ui/notifier.h"

namespace velmora {

// What choosing "Notify When a Session Ends" asked of the system, and the status afterwards.
struct NotificationsChange {
  enum class Request { kAsk, kOpenSettings };
  Request request = Request::kAsk;
  NotificationStatus after = NotificationStatus::kNotAsked;
};
// "ask", "open-settings".
[[nodiscard]] std::string_view requestName(NotificationsChange::Request request);

// The request for a row drawn with `shown` while the status is `now`: never asked (then and
// now), the system's prompt; allowed or denied (then and now), System Settings; nothing when
// the status left what the row showed, which then only needs drawing again.
[[nodiscard]] std::optional<NotificationsChange::Request> notificationsRequest(
    NotificationStatus shown, NotificationStatus now);

}  // namespace velmora
