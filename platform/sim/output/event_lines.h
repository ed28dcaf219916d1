// What happens on the simulated desktop, one line of text per event, for the terminal's event
// log and the plain output: scripts run, windows raised, activations, quits, pasteboard
// writes, start-file changes and failed writes, URLs opened, requests for Accessibility access, the
// story's own choices, the simulation's notices and an end at launch because another tracker
// runs. Every line is visible text (visible_text.h).
#pragma once

#include <functional>
#include <string>

#include "platform/sim/desktop/sim_observer.h"

namespace velmora::sim {

// Why the tracker ended at launch, in the event line and the summary.
inline constexpr const char* kGaveWayWords = "another tracker is already running";

class EventLines final : public SimObserver {
 public:
  using Sink = std::function<void(const std::string& line)>;
  explicit EventLines(Sink sink) : sink_(std::move(sink)) {}

  void onScript(const std::string& source) override;
  void onRaise(const std::string& name) override;
  void onActivate(int32_t pid, unsigned options) override;
  void onTerminate(int32_t pid) override;
  void onPasteboard(const std::string& text) override;
  void onOpenUrl(const std::string& url) override;
  void onTrustPrompt() override;
  void onChoice(const std::string& kind, const std::string& choice,
                const std::string& error) override;
  void onStartFile(std::optional<double> written) override;
  void onLoginItem(const LoginItemChange& change) override;
  void onNotifications(const NotificationsChange& change) override;
  void onNotification(const std::string& title, const std::string& body) override;
  void onExport(const std::string& path, std::size_t rows) override;
  void onReveal(const std::string& path) override;
  void onWriteFailure(StateFile file, int error) override;
  void onNotice(const std::string& text) override;
  void onMenuClosed(const std::string& why) override;
  void onExit(const std::string& reason) override;

 private:
  void say(const std::string& line) const;

  Sink sink_;
};

}  // namespace velmora::sim
