#include "platform/sim/output/event_lines.h"

#include <algorithm>
#include <cstring>

#include "detect/utc_timestamp.h"
#include "platform/sim/output/visible_text.h"

namespace velmora::sim {

void EventLines::say(const std::string& line) const {
  sink_(visibleText(line));
}

// Both scripts the tracker runs begin alike; the raise that follows names the window.
void EventLines::onScript(const std::string& source) {
  const std::size_t end = source.find('\n');
  say("ran a script: " + source.substr(0, end) + (end == std::string::npos ? "" : " \u2026"));
}

void EventLines::onRaise(const std::string& name) {
  say("raised the windows named \"" + name + "\"");
}

void EventLines::onActivate(int32_t pid, unsigned options) {
  say("activated Windows App (pid " + std::to_string(pid) + ", options " + std::to_string(options) +
      ")");
}

void EventLines::onTerminate(int32_t pid) {
  say("asked Windows App (pid " + std::to_string(pid) + ") to quit");
}

void EventLines::onPasteboard(const std::string& text) {
  say("copied the debug report (" + std::to_string(text.size()) + " bytes) to the pasteboard");
}

void EventLines::onOpenUrl(const std::string& url) {
  say("asked the system to open " + url);
}

void EventLines::onTrustPrompt() {
  say("asked for Accessibility access (the system's prompt)");
}

void EventLines::onChoice(const std::string& kind, const std::string& choice,
                          const std::string& error) {
  const std::string what = kind == "key" ? "pressed " + choice : "chose \"" + choice + "\"";
  say("the story " + what + (error.empty() ? "" : ": " + error));
}

void EventLines::onStartFile(std::optional<double> written) {
  say(written ? "wrote the start file: " + utcTimestamp(*written) : "removed the start file");
}

void EventLines::onLoginItem(const LoginItemChange& change) {
  std::string now(stateName(change.after.state));
  std::replace(now.begin(), now.end(), '-', ' ');
  if (change.request == LoginItemRequest::kOpenSettings) {
    say("opened System Settings at Login Items (Open at Login: " + now + ")");
    return;
  }
  const int error = change.outcome.error;
  const std::string why = error != 0 ? ": " + std::string(std::strerror(error)) : "";
  say(std::string(change.outcome ? "turned" : "could not turn") + " Open at Login " +
      std::string(requestName(change.request)) + why + " (now " + now + ")");
}

void EventLines::onNotifications(const NotificationsChange& change) {
  const std::string now(notificationStatusName(change.after));
  say(change.request == NotificationsChange::Request::kAsk
          ? "asked to post notes (the system's prompt; now " + now + ")"
          : "opened System Settings at Notifications (now " + now + ")");
}

void EventLines::onNotification(const std::string& title, const std::string& body) {
  say("posted a note: \"" + title + "\": " + body);
}

void EventLines::onExport(const std::string& path, std::size_t rows) {
  say("exported " + std::to_string(rows) + (rows == 1 ? " session to " : " sessions to ") + path);
}

void EventLines::onReveal(const std::string& path) {
  say("asked Finder to show " + path);
}

void EventLines::onWriteFailure(StateFile file, int error) {
  say(file == StateFile::kSessionStart
          ? "could not write the start file: " + std::string(std::strerror(error)) +
                " (the next refresh tries again)"
          : "could not write the debug report: " + std::string(std::strerror(error)) +
                " (the pasteboard has it)");
}

void EventLines::onNotice(const std::string& text) {
  say(text);
}

void EventLines::onMenuClosed(const std::string& why) {
  say("the menu closed under the pointer (" + why + " while open)");
}

void EventLines::onExit(const std::string& reason) {
  if (reason == kGaveWay) say(kGaveWayWords);
}

}  // namespace velmora::sim
