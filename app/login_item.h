// "Open at Login": the port to the system's login items and every decision about them. On
// macOS 13 and later the system keeps the tracker's login item (SMAppService); before, the
// tracker's LaunchAgent in ~/Library/LaunchAgents is its login item. A LaunchAgent of the
// tracker's own Label left from a hand install counts as on everywhere, and turning off removes
// it too, so that a user never gets two trackers from two login items.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/launch_agent.h"
#include "ui/login_item_status.h"

namespace velmora {

// What the system's login-item service says of this app (SMAppService's status values).
enum class LoginServiceStatus {
  kNotRegistered,
  kEnabled,
  kRequiresApproval,  // registered, but switched off in System Settings > Login Items
  kNotFound,
};

// Where the running app lives.
struct AppLocation {
  std::string bundlePath;          // the app bundle
  std::string executablePath;      // the executable inside it, which a LaunchAgent starts
  std::string temporaryDirectory;  // the user's temporary directory
};

// Port to the login items. Main thread only; nothing throws.
class LoginItemService {
 public:
  virtual ~LoginItemService() = default;
  // Whether the system keeps login items of apps itself (macOS 13 and later).
  [[nodiscard]] virtual bool hasService() = 0;
  // The service's status for this app as the system has it now; kNotRegistered without one.
  [[nodiscard]] virtual LoginServiceStatus status() = 0;
  // Asks the service to open this app at login, or no longer; true when the system took the
  // request (the status may still want the user's approval). False without a service.
  [[nodiscard]] virtual bool registerApp() = 0;
  [[nodiscard]] virtual bool unregisterApp() = 0;
  // Opens System Settings at Login Items; nothing without a service.
  virtual void openSettings() = 0;
  // Where this app runs from; the same for the life of the process.
  [[nodiscard]] virtual AppLocation appLocation() = 0;
};

// Everything the status is decided from.
struct LoginItemFacts {
  bool hasService = false;
  LoginServiceStatus service = LoginServiceStatus::kNotRegistered;
  LaunchAgentFile agent = LaunchAgentFile::kAbsent;
  bool temporaryLocation = false;
};

// On when the service opens the app at login or the tracker's LaunchAgent is there (so that it
// can always be turned off); otherwise unavailable from a temporary location; otherwise as the
// service says (approval wanted, unknown app, off). Without a service, something else at the
// LaunchAgent's path makes it unavailable, as the tracker will not replace it.
[[nodiscard]] LoginItemStatus decideLoginItemStatus(const LoginItemFacts& facts);

// Whether an app bundle at `bundlePath` lives somewhere that will vanish, so that a login item
// would point nowhere: a translocated app (Gatekeeper's randomised read-only copy of a
// quarantined download), a mounted disk image or other volume under /Volumes, the temporary
// directories (/tmp, /var/folders and `temporaryDirectory`), or no absolute path at all. The
// path is compared lexically, ASCII letters case-insensitively as the Mac's file systems do.
[[nodiscard]] bool isTemporaryLocation(std::string_view bundlePath,
                                       std::string_view temporaryDirectory);

// What choosing the row asked for.
enum class LoginItemRequest { kOn, kOff, kOpenSettings };

struct LoginItemChange {
  LoginItemRequest request = LoginItemRequest::kOn;
  bool succeeded = false;
  LoginItemStatus after;  // read afresh once the request was made
};

// "on", "off", "open-settings"; and "on", "off", "needs-approval", "unavailable".
[[nodiscard]] std::string_view requestName(LoginItemRequest request);
[[nodiscard]] std::string_view stateName(LoginItemStatus::State state);

// The login item of this app, over the port and the LaunchAgent file at `agentPath`.
class LoginItem {
 public:
  LoginItem(LoginItemService& service, std::string agentPath);

  // Read afresh at every call (the user may change it in System Settings at any time): the
  // service's status and one look at the LaunchAgent path. The app's location is read once.
  [[nodiscard]] LoginItemStatus status();

  // Acts on the status as it is now: on turns off (the service's registration and the
  // tracker's LaunchAgent, whichever there are), off turns on (the service, or without one the
  // LaunchAgent), approval wanted opens System Settings. Nothing when unavailable.
  [[nodiscard]] std::optional<LoginItemChange> toggle();

 private:
  [[nodiscard]] LoginItemFacts facts();
  [[nodiscard]] bool turnOff(const LoginItemFacts& facts);
  [[nodiscard]] bool turnOn(const LoginItemFacts& facts);

  LoginItemService& service_;
  std::string agentPath_;
  std::optional<AppLocation> location_;
  bool temporaryLocation_ = false;
};

}  // namespace velmora
