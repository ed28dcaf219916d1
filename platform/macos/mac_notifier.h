// The notifications port on UNUserNotificationCenter. It is never touched without a bundle
// identifier (outside an app bundle the framework raises); there the status is kUnavailable.
// The framework answers asynchronously: the status is its last answer, read at creation, at
// every readStatus and after every request, whatever the request's outcome; nothing sticks.
#pragma once

#include <functional>
#include <memory>

#include "ui/notifier.h"

namespace velmora::mac {

class MacNotifier final : public Notifier {
 public:
  // Makes itself the center's delegate, which lets a note show while the tracker is active; so
  // it must be made before launching finishes.
  MacNotifier();
  ~MacNotifier() override;
  MacNotifier(const MacNotifier&) = delete;
  MacNotifier& operator=(const MacNotifier&) = delete;

  NotificationStatus status() override;
  void readStatus() override;
  void setChangeHandler(std::function<void()> changed) override;
  void requestPermission(std::function<void()> answered) override;
  void post(const std::string& title, const std::string& body) override;
  void openSettings() override;

  // What the completion handlers update on the main queue; shared with them.
  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace velmora::mac
