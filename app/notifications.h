// "Notify When a Session Ends": every decision about the tracker's notes, from the status the
// system last answered. The switch is the system's; the tracker keeps no flag of its own.
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

// What choosing the row drawn with `shown` asks for. The row acts on what the user saw, whatever
// the status became since: never asked, the system's prompt (which answers at once, without a
// prompt, once the user decided); allowed (checked, to turn off) or denied ("allow in System
// Settings…"), System Settings at the tracker's notifications. Nothing for the disabled row of
// a build without notifications. Every request is reported with the status after it.
[[nodiscard]] std::optional<NotificationsChange::Request> notificationsRequest(
    NotificationStatus shown);

// Whether a note may be posted while the system's last answer is `status`: only when allowed.
// The one place that decides it.
[[nodiscard]] bool mayPostNotes(NotificationStatus status);

}  // namespace velmora
