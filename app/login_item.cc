#include "app/login_item.h"

#include <array>
#include <cerrno>
#include <filesystem>
#include <utility>

namespace velmora {
namespace {

using State = LoginItemStatus::State;
using Why = LoginItemStatus::Why;

std::string lowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// `path` without "." and ".." steps or doubled slashes, lower-cased, ending in '/' so that
// prefixes compare whole components.
std::string comparable(std::string_view path) {
  std::string normal = std::filesystem::path(path).lexically_normal().generic_string();
  if (normal.empty() || normal.back() != '/') normal += '/';
  return lowerAscii(normal);
}

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

}  // namespace

LoginItemStatus decideLoginItemStatus(const LoginItemFacts& facts) {
  const bool registered = facts.hasService && facts.service == LoginServiceStatus::kEnabled;
  if (registered || facts.agent == LaunchAgentFile::kOurs) return {State::kOn, Why::kNone};
  if (facts.temporaryLocation) return {State::kUnavailable, Why::kTemporaryLocation};
  if (facts.hasService) {
    switch (facts.service) {
      case LoginServiceStatus::kRequiresApproval:
        return {State::kNeedsApproval, Why::kNone};
      case LoginServiceStatus::kNotFound:
        if (facts.registrationRefused) return {State::kUnavailable, Why::kNotFound};
        break;
      case LoginServiceStatus::kEnabled:
      case LoginServiceStatus::kNotRegistered:
        break;
    }
    return {State::kOff, Why::kNone};
  }
  // The tracker writes its LaunchAgent only where nothing else is.
  if (facts.agent == LaunchAgentFile::kOther) return {State::kUnavailable, Why::kFileInTheWay};
  return {State::kOff, Why::kNone};
}

bool isTemporaryLocation(std::string_view bundlePath, std::string_view temporaryDirectory) {
  if (bundlePath.empty() || bundlePath[0] != '/') return true;
  const std::string path = comparable(bundlePath);
  if (path.find("/apptranslocation/") != std::string::npos) return true;
  constexpr std::array<std::string_view, 5> kVanishing = {"/volumes/", "/tmp/", "/private/tmp/",
                                                          "/var/folders/", "/private/var/folders/"};
  for (const std::string_view prefix : kVanishing) {
    if (startsWith(path, prefix)) return true;
  }
  if (temporaryDirectory.empty() || temporaryDirectory[0] != '/') return false;
  const std::string temporary = comparable(temporaryDirectory);
  return temporary != "/" && startsWith(path, temporary);
}

std::string_view requestName(LoginItemRequest request) {
  switch (request) {
    case LoginItemRequest::kOn:
      return "on";
    case LoginItemRequest::kOff:
      return "off";
    case LoginItemRequest::kOpenSettings:
      break;
  }
  return "open-settings";
}

std::string_view stateName(State state) {
  switch (state) {
    case State::kOff:
      return "off";
    case State::kOn:
      return "on";
    case State::kNeedsApproval:
      return "needs-approval";
    case State::kUnavailable:
      break;
  }
  return "unavailable";
}

LoginItem::LoginItem(LoginItemService& service, std::string agentPath)
    : service_(service), agentPath_(std::move(agentPath)) {}

LoginItemFacts LoginItem::facts() {
  if (!location_) {
    location_ = service_.appLocation();
    temporaryLocation_ = isTemporaryLocation(location_->bundlePath, location_->temporaryDirectory);
  }
  LoginItemFacts facts;
  facts.hasService = service_.hasService();
  if (facts.hasService) facts.service = service_.status();
  // A refusal says something only while the service still does not know the app.
  if (facts.service != LoginServiceStatus::kNotFound) registrationRefused_ = false;
  facts.registrationRefused = registrationRefused_;
  facts.agent = readLaunchAgentFile(agentPath_);
  facts.temporaryLocation = temporaryLocation_;
  return facts;
}

LoginItemStatus LoginItem::status() {
  return decideLoginItemStatus(facts());
}

std::optional<LoginItemChange> LoginItem::choose(const LoginItemStatus& shown) {
  LoginItemChange change;
  switch (shown.state) {
    case State::kNeedsApproval:
      // The row said where to go; it goes there whatever the status is now.
      change.request = LoginItemRequest::kOpenSettings;
      service_.openSettings();
      change.after = status();
      return change;
    case State::kOn:
      change.request = LoginItemRequest::kOff;
      break;
    case State::kOff:
      change.request = LoginItemRequest::kOn;
      break;
    case State::kUnavailable:
      // Only a refused registration leaves a row to choose: it tries again.
      if (shown.why != Why::kNotFound) return std::nullopt;
      change.request = LoginItemRequest::kOn;
      break;
  }
  carryOut(change);
  return change;
}

void LoginItem::carryOut(LoginItemChange& change) {
  const LoginItemFacts before = facts();
  const LoginItemStatus now = decideLoginItemStatus(before);
  Outcome done;
  if (change.request == LoginItemRequest::kOn) {
    if (now.state == State::kOff || now.why == Why::kNotFound) {
      done = turnOn(before);
      if (!done && before.hasService) registrationRefused_ = true;
    } else if (now.state != State::kOn) {
      // Unavailable, or only the user's approval in System Settings can turn it on.
      change.outcome = Outcome{ECANCELED};
      change.after = now;
      return;
    }
  } else if (now.state == State::kOn) {
    done = turnOff(before);
  } else if (now.state == State::kUnavailable) {
    change.outcome = Outcome{ECANCELED};
    change.after = now;
    return;
  }
  // Otherwise already as asked (approval wanted does not open the app at login either).
  change.outcome = done;
  change.after = status();
}

// Both, when both are there: either alone would still open the tracker at login.
Outcome LoginItem::turnOff(const LoginItemFacts& facts) {
  Outcome done;
  const bool registered = facts.service == LoginServiceStatus::kEnabled ||
                          facts.service == LoginServiceStatus::kRequiresApproval;
  if (facts.hasService && registered) done = service_.unregisterApp();
  if (facts.agent == LaunchAgentFile::kOurs) {
    const Outcome removed = removeLaunchAgent(agentPath_);
    if (done) done = removed;
  }
  return done;
}

Outcome LoginItem::turnOn(const LoginItemFacts& facts) {
  if (facts.hasService) return service_.registerApp();
  return writeLaunchAgent(agentPath_, location_->executablePath);
}

}  // namespace velmora
