// The simulated user notifications: the system's side of "Notify When a Session Ends", which
// the user changes in System Settings and answers when the tracker asks. As on a Mac, every
// answer comes a little later, never within the call; a refused or lapsed prompt ends with the
// "not allowed" error, after which the tracker reads the settings again. A note posted while
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

// What the user does with the system's prompt. A prompt left alone lapses after a minute and
// counts as "Don't Allow".
enum class PromptAnswer { kAllow, kDeny, kIgnore };
// "allow", "deny", "ignore".
[[nodiscard]] std::string_view promptAnswerName(PromptAnswer answer);
[[nodiscard]] std::optional<PromptAnswer> promptAnswerNamed(std::string_view name);

// How long the system takes to answer a read of the settings.
inline constexpr double kSettingsAnswerDelay = 0.1;
// How long the prompt waits for the user before it lapses.
inline constexpr double kPromptLapse = 60.0;

class SimNotifier final : public Notifier {
 public:
  // The system's answers come on `loop`, after the calls.
  SimNotifier(SimObserver& observer, SimEventLoop& loop) : observer_(observer), loop_(loop) {}

  // The system's side changes (System Settings).
  void setStatus(NotificationStatus status) { status_ = status; }
  [[nodiscard]] NotificationStatus current() const { return status_; }
  // What the user does when asked.
  void setAnswer(PromptAnswer answer) { answer_ = answer; }
  // How often the tracker opened System Settings at its notifications.
  [[nodiscard]] int settingsOpened() const { return settingsOpened_; }

  NotificationStatus status() override { return answered_; }
  void readStatus() override;
  void setChangeHandler(std::function<void()> changed) override { changed_ = std::move(changed); }
  // The system asks only while the user has not been asked; otherwise it answers at once.
  void requestPermission(std::function<void()> answered) override;
  void post(const std::string& title, const std::string& body) override;
  void openSettings() override { ++settingsOpened_; }

 private:
  SimObserver& observer_;
  SimEventLoop& loop_;
  // Reads the settings, as the tracker does after the request, then `then`.
  void answerAfterReading(std::function<void()> then);

  NotificationStatus status_ = NotificationStatus::kNotAsked;
  NotificationStatus answered_ = NotificationStatus::kNotAsked;  // what the tracker was told
  PromptAnswer answer_ = PromptAnswer::kAllow;
  std::function<void()> changed_;
  int settingsOpened_ = 0;
};

}  // namespace velmora::sim
