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
#include "files/atomic_file.h"
#include "files/outcome.h"
#include "ui/login_item_status.h"

namespace velmora {

// What the system's login-item service says of this app (SMAppService's status values).
enum class LoginServiceStatus {
  kNotRegistered,
  kEnabled,
  kRequiresApproval,  // registered, but switched off in System Settings > Login Items
  // Not known to the service: what an app outside the App Store reports before it first
  // registers and after the user removed it in System Settings; only a failed registration
  // tells that the service cannot find it at all.
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
  // Asks the service to open this app at login, or no longer. Done when the system took the
  // request (the status may still want the user's approval); else why not, as an error number
  // of the C library (ENOSYS without a service).
  virtual Outcome registerApp() = 0;
  virtual Outcome unregisterApp() = 0;
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
  // The service refused the tracker's last registration and still does not know the app.
  bool registrationRefused = false;
};

// On when the service opens the app at login or the tracker's LaunchAgent is there (so that it
// can always be turned off); otherwise unavailable from a temporary location; otherwise as the
// service says: approval wanted, or off (an app the service does not know is off too, until it
// refuses a registration: then unavailable, and choosing the row tries again). Without a
// service, something else at the LaunchAgent's path makes it unavailable, as the tracker will
// not replace it.
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
  // Refused by the system with its reason, or by the tracker with ECANCELED because the status
  // changed since the row was drawn so that the request no longer makes sense.
  Outcome outcome;
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

  // Acts on the row as the user saw it, drawn with `shown`, which the status may have left
  // since: "approve in System Settings" opens System Settings; a checked row turns off (the
  // service's registration and the tracker's LaunchAgent, whichever there are), an unchecked
  // one, and the one whose registration was refused, turn on (the service, or without one the
  // LaunchAgent). What the status is now only decides whether to act: nothing is registered or
  // removed when it already is what was asked for (off includes approval wanted, which does not
  // open the app at login either), and a request is refused when the item is unavailable now
  // (an on after a refused registration is tried again), or an on when it wants approval.
  // Nothing for a row that offers no choice.
  [[nodiscard]] std::optional<LoginItemChange> choose(const LoginItemStatus& shown);

 private:
  [[nodiscard]] LoginItemFacts facts();
  Outcome turnOff(const LoginItemFacts& facts);
  Outcome turnOn(const LoginItemFacts& facts);
  // Carries out an on or off request against the status as it is now.
  void carryOut(LoginItemChange& change);

  LoginItemService& service_;
  std::string agentPath_;
  std::optional<AppLocation> location_;
  bool temporaryLocation_ = false;
  bool registrationRefused_ = false;
};

}  // namespace velmora
