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

std::string_view promptAnswerName(PromptAnswer answer) {
  switch (answer) {
    case PromptAnswer::kAllow:
      return "allow";
    case PromptAnswer::kDeny:
      return "deny";
    case PromptAnswer::kIgnore:
      break;
  }
  return "ignore";
}

std::optional<PromptAnswer> promptAnswerNamed(std::string_view name) {
  for (const PromptAnswer a : {PromptAnswer::kAllow, PromptAnswer::kDeny, PromptAnswer::kIgnore}) {
    if (promptAnswerName(a) == name) return a;
  }
  return std::nullopt;
}

void SimNotifier::readStatus() {
  loop_.at(loop_.now() + kSettingsAnswerDelay, TaskKind::kRefresh, [this] {
    if (std::exchange(answered_, status_) != status_ && changed_) changed_();
  });
}

void SimNotifier::answerAfterReading(std::function<void()> then) {
  loop_.at(loop_.now() + kSettingsAnswerDelay, TaskKind::kRefresh, [this, then = std::move(then)] {
    answered_ = status_;
    then();
  });
}

void SimNotifier::requestPermission(std::function<void()> answered) {
  if (status_ != NotificationStatus::kNotAsked) return answerAfterReading(std::move(answered));
  // A refusal and a lapse both end with the "not allowed" error, recorded as denied.
  const double waits = answer_ == PromptAnswer::kIgnore ? kPromptLapse : 0.0;
  loop_.at(loop_.now() + waits, TaskKind::kRefresh,
           [this, answered = std::move(answered)]() mutable {
             if (status_ == NotificationStatus::kNotAsked) {
               status_ = answer_ == PromptAnswer::kAllow ? NotificationStatus::kAllowed
                                                         : NotificationStatus::kDenied;
             }
             answerAfterReading(std::move(answered));
           });
}

// The system's own rule: it delivers only what the user allows.
void SimNotifier::post(const std::string& title, const std::string& body) {
  if (status_ == NotificationStatus::kAllowed) observer_.onNotification(title, body);
}

}  // namespace velmora::sim
