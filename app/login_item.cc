#include "app/login_item.h"

#include <array>
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
        return {State::kUnavailable, Why::kNotFound};
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
  facts.agent = readLaunchAgentFile(agentPath_);
  facts.temporaryLocation = temporaryLocation_;
  return facts;
}

LoginItemStatus LoginItem::status() {
  return decideLoginItemStatus(facts());
}

std::optional<LoginItemChange> LoginItem::toggle() {
  const LoginItemFacts before = facts();
  LoginItemChange change;
  switch (decideLoginItemStatus(before).state) {
    case State::kOn:
      change.request = LoginItemRequest::kOff;
      change.succeeded = turnOff(before);
      break;
    case State::kOff:
      change.request = LoginItemRequest::kOn;
      change.succeeded = turnOn(before);
      break;
    case State::kNeedsApproval:
      change.request = LoginItemRequest::kOpenSettings;
      service_.openSettings();
      change.succeeded = true;
      break;
    case State::kUnavailable:
      return std::nullopt;
  }
  change.after = status();
  return change;
}

// Both, when both are there: either alone would still open the tracker at login.
bool LoginItem::turnOff(const LoginItemFacts& facts) {
  bool done = true;
  const bool registered = facts.service == LoginServiceStatus::kEnabled ||
                          facts.service == LoginServiceStatus::kRequiresApproval;
  if (facts.hasService && registered) done = service_.unregisterApp();
  if (facts.agent == LaunchAgentFile::kOurs) done = removeLaunchAgent(agentPath_) && done;
  return done;
}

bool LoginItem::turnOn(const LoginItemFacts& facts) {
  if (facts.hasService) return service_.registerApp();
  return writeLaunchAgent(agentPath_, location_->executablePath);
}

}  // namespace velmora
