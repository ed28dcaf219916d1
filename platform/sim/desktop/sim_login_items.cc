#include "platform/sim/desktop/sim_login_items.h"

#include <array>
#include <utility>

namespace velmora::sim {
namespace {

constexpr std::array<std::pair<LoginServiceStatus, std::string_view>, 4> kNames = {{
    {LoginServiceStatus::kNotRegistered, "off"},
    {LoginServiceStatus::kEnabled, "on"},
    {LoginServiceStatus::kRequiresApproval, "needs-approval"},
    {LoginServiceStatus::kNotFound, "unavailable"},
}};

}  // namespace

std::string_view loginServiceName(LoginServiceStatus status) {
  for (const auto& [s, name] : kNames) {
    if (s == status) return name;
  }
  return "off";
}

std::optional<LoginServiceStatus> loginServiceNamed(std::string_view name) {
  for (const auto& [s, n] : kNames) {
    if (n == name) return s;
  }
  return std::nullopt;
}

std::string_view loginServiceWords(LoginServiceStatus status) {
  return status == LoginServiceStatus::kRequiresApproval ? "needs approval"
                                                         : loginServiceName(status);
}

LoginServiceStatus nextLoginServiceStatus(LoginServiceStatus status) {
  switch (status) {
    case LoginServiceStatus::kNotRegistered:
      return LoginServiceStatus::kRequiresApproval;
    case LoginServiceStatus::kRequiresApproval:
      return LoginServiceStatus::kEnabled;
    case LoginServiceStatus::kEnabled:
    case LoginServiceStatus::kNotFound:
      break;
  }
  return LoginServiceStatus::kNotRegistered;
}

void SimLoginItems::setStatus(LoginServiceStatus status) {
  status_ = status;
}

LoginServiceStatus SimLoginItems::status() {
  return hasService_ ? status_ : LoginServiceStatus::kNotRegistered;
}

bool SimLoginItems::registerApp() {
  if (!hasService_ || status_ == LoginServiceStatus::kNotFound) return false;
  if (status_ == LoginServiceStatus::kNotRegistered) setStatus(LoginServiceStatus::kEnabled);
  return true;
}

bool SimLoginItems::unregisterApp() {
  if (!hasService_ || status_ == LoginServiceStatus::kNotRegistered ||
      status_ == LoginServiceStatus::kNotFound) {
    return false;
  }
  setStatus(LoginServiceStatus::kNotRegistered);
  return true;
}

void SimLoginItems::openSettings() {
  if (hasService_) ++settingsOpened_;
}

}  // namespace velmora::sim
