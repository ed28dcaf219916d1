#include "platform/sim/desktop/sim_login_items.h"

#include <array>
#include <cerrno>
#include <utility>

namespace velmora::sim {
namespace {

constexpr std::array<std::pair<SimLoginItem, std::string_view>, 5> kNames = {{
    {SimLoginItem::kOff, "off"},
    {SimLoginItem::kOn, "on"},
    {SimLoginItem::kNeedsApproval, "needs-approval"},
    {SimLoginItem::kNotFound, "not-found"},
    {SimLoginItem::kUnavailable, "unavailable"},
}};

}  // namespace

std::string_view loginItemName(SimLoginItem item) {
  for (const auto& [i, name] : kNames) {
    if (i == item) return name;
  }
  return "off";
}

std::optional<SimLoginItem> loginItemNamed(std::string_view name) {
  for (const auto& [i, n] : kNames) {
    if (n == name) return i;
  }
  return std::nullopt;
}

std::string_view loginItemWords(SimLoginItem item) {
  switch (item) {
    case SimLoginItem::kNeedsApproval:
      return "needs approval";
    case SimLoginItem::kNotFound:
      return "not found";
    case SimLoginItem::kOff:
    case SimLoginItem::kOn:
    case SimLoginItem::kUnavailable:
      break;
  }
  return loginItemName(item);
}

SimLoginItem nextLoginItem(SimLoginItem item) {
  switch (item) {
    case SimLoginItem::kOff:
      return SimLoginItem::kNeedsApproval;
    case SimLoginItem::kNeedsApproval:
      return SimLoginItem::kOn;
    case SimLoginItem::kOn:
    case SimLoginItem::kNotFound:
    case SimLoginItem::kUnavailable:
      break;
  }
  return SimLoginItem::kOff;
}

void SimLoginItems::setStatus(LoginServiceStatus status) {
  switch (status) {
    case LoginServiceStatus::kEnabled:
      item_ = SimLoginItem::kOn;
      return;
    case LoginServiceStatus::kRequiresApproval:
      item_ = SimLoginItem::kNeedsApproval;
      return;
    case LoginServiceStatus::kNotFound:
      item_ = SimLoginItem::kNotFound;
      return;
    case LoginServiceStatus::kNotRegistered:
      break;
  }
  item_ = SimLoginItem::kOff;
}

LoginServiceStatus SimLoginItems::current() const {
  switch (item_) {
    case SimLoginItem::kOn:
      return LoginServiceStatus::kEnabled;
    case SimLoginItem::kNeedsApproval:
      return LoginServiceStatus::kRequiresApproval;
    case SimLoginItem::kNotFound:
    case SimLoginItem::kUnavailable:
      return LoginServiceStatus::kNotFound;
    case SimLoginItem::kOff:
      break;
  }
  return LoginServiceStatus::kNotRegistered;
}

LoginServiceStatus SimLoginItems::status() {
  return hasService_ ? current() : LoginServiceStatus::kNotRegistered;
}

Outcome SimLoginItems::registerApp() {
  if (!hasService_) return Outcome{ENOSYS};
  switch (item_) {
    case SimLoginItem::kUnavailable:
      return Outcome{EPERM};
    case SimLoginItem::kOn:
      return Outcome{EEXIST};
    case SimLoginItem::kOff:
    case SimLoginItem::kNotFound:
      item_ = SimLoginItem::kOn;
      break;
    case SimLoginItem::kNeedsApproval:
      break;
  }
  return {};
}

Outcome SimLoginItems::unregisterApp() {
  if (!hasService_) return Outcome{ENOSYS};
  if (item_ != SimLoginItem::kOn && item_ != SimLoginItem::kNeedsApproval) {
    return Outcome{ENOENT};
  }
  item_ = SimLoginItem::kOff;
  return {};
}

void SimLoginItems::openSettings() {
  if (hasService_) ++settingsOpened_;
}

}  // namespace velmora::sim
