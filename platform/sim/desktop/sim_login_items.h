// The simulated login items of macOS 13 and later (SMAppService): the system's side of "Open at
// Login", which the user changes in System Settings and the tracker by its requests. With
// `setHasService(false)` it is macOS 11 or 12, where the tracker's LaunchAgent is its login item.
#pragma once

#include <optional>
#include <string_view>
#include <utility>

#include "app/login_item.h"

namespace velmora::sim {

// The names of the scenario format: "off", "on", "needs-approval", "unavailable" (the service
// does not know the app).
[[nodiscard]] std::string_view loginServiceName(LoginServiceStatus status);
[[nodiscard]] std::optional<LoginServiceStatus> loginServiceNamed(std::string_view name);
// In words for the screen: "off", "on", "needs approval", "unavailable".
[[nodiscard]] std::string_view loginServiceWords(LoginServiceStatus status);

// The next status of the play key: off, approval wanted, on, off again; an unknown app is off.
[[nodiscard]] LoginServiceStatus nextLoginServiceStatus(LoginServiceStatus status);

class SimLoginItems final : public LoginItemService {
 public:
  // The system's side changes (System Settings).
  void setStatus(LoginServiceStatus status);
  [[nodiscard]] LoginServiceStatus current() const { return status_; }
  void setHasService(bool hasService) { hasService_ = hasService; }
  // Where the simulated app runs from: by default /Applications/Velmora Session Tracker.app.
  void setLocation(AppLocation location) { location_ = std::move(location); }
  // How often the tracker opened System Settings at Login Items.
  [[nodiscard]] int settingsOpened() const { return settingsOpened_; }

  bool hasService() override { return hasService_; }
  LoginServiceStatus status() override;
  // Registers unless the service does not know the app; approval, once wanted, stays wanted.
  bool registerApp() override;
  bool unregisterApp() override;
  void openSettings() override;
  AppLocation appLocation() override { return location_; }

 private:
  LoginServiceStatus status_ = LoginServiceStatus::kNotRegistered;
  bool hasService_ = true;
  int settingsOpened_ = 0;
  AppLocation location_{
      "/Applications/Velmora Session Tracker.app",
      "/Applications/Velmora Session Tracker.app/Contents/MacOS/Velmora Session Tracker",
      "/var/folders/vs/velmora-sim/T/"};
};

}  // namespace velmora::sim
