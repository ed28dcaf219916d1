// The simulated login items of macOS 13 and later (SMAppService): the system's side of "Open at
// Login", which the user changes in System Settings and the tracker by its requests. With
// `setHasService(false)` it is macOS 11 or 12, where the tracker's LaunchAgent is its login item.
#pragma once

#include <optional>
#include <string_view>
#include <utility>

#include "app/login_item.h"

namespace velmora::sim {

// The system's side as the scenario names it. Both kNotFound and kUnavailable are reported as
// not found, the way a Mac reports an app that never registered (or that the user removed in
// System Settings); only a registration tells them apart: it succeeds for kNotFound, and the
// service refuses it for kUnavailable (it cannot find the app).
enum class SimLoginItem { kOff, kOn, kNeedsApproval, kNotFound, kUnavailable };

// The names of the scenario format: "off", "on", "needs-approval", "not-found", "unavailable".
[[nodiscard]] std::string_view loginItemName(SimLoginItem item);
[[nodiscard]] std::optional<SimLoginItem> loginItemNamed(std::string_view name);
// In words for the screen: "off", "on", "needs approval", "not found", "unavailable".
[[nodiscard]] std::string_view loginItemWords(SimLoginItem item);

// The next item of the play key: off, approval wanted, on, off again; one not found is off.
[[nodiscard]] SimLoginItem nextLoginItem(SimLoginItem item);

class SimLoginItems final : public LoginItemService {
 public:
  // The system's side changes (System Settings).
  void setItem(SimLoginItem item) { item_ = item; }
  // The same, by the status it reports (kNotFound: one that a registration finds).
  void setStatus(LoginServiceStatus status);
  [[nodiscard]] SimLoginItem item() const { return item_; }
  // What the service reports, as status() does with a service.
  [[nodiscard]] LoginServiceStatus current() const;
  void setHasService(bool hasService) { hasService_ = hasService; }
  // Where the simulated app runs from: by default /Applications/Velmora Session Tracker.app.
  void setLocation(AppLocation location) { location_ = std::move(location); }
  // How often the tracker opened System Settings at Login Items.
  [[nodiscard]] int settingsOpened() const { return settingsOpened_; }

  bool hasService() override { return hasService_; }
  LoginServiceStatus status() override;
  // Registers unless the service cannot find the app (EPERM) or has it enabled already
  // (EEXIST); approval, once wanted, stays wanted. ENOSYS without a service.
  Outcome registerApp() override;
  // ENOENT when not registered.
  Outcome unregisterApp() override;
  void openSettings() override;
  AppLocation appLocation() override { return location_; }

 private:
  SimLoginItem item_ = SimLoginItem::kOff;
  bool hasService_ = true;
  int settingsOpened_ = 0;
  AppLocation location_{
      "/Applications/Velmora Session Tracker.app",
      "/Applications/Velmora Session Tracker.app/Contents/MacOS/Velmora Session Tracker",
      "/var/folders/vs/velmora-sim/T/"};
};

}  // namespace velmora::sim
