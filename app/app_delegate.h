// The tracker's one delegate: launch, the refresh cycle and the menu actions, over the ports.
// Main thread only. Create it with std::make_shared: the timer and the delayed refresh hold it
// weakly, so a firing after the delegate is gone does nothing. Besides the timer, the client's
// own notifications ask for refreshes (app/refresh_scheduler.h, app/client_watcher.h).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "app/client_watcher.h"
#include "app/config.h"
#include "app/event_loop.h"
#include "app/login_item.h"
#include "app/pass_cause.h"
#include "app/refresh_scheduler.h"
#include "clock/wall_clock.h"
#include "detect/accessibility.h"
#include "detect/client_watch.h"
#include "detect/detection.h"
#include "detect/running_apps.h"
#include "detect/script_runner.h"
#include "detect/session_info.h"
#include "detect/tracker_state.h"
#include "ui/menu_model.h"
#include "ui/pasteboard.h"
#include "ui/status_item.h"
#include "ui/url_opener.h"

namespace velmora {

// Every platform service the delegate uses; all outlive the delegate.
struct Platform {
  RunningApps& apps;
  Accessibility& accessibility;
  ScriptRunner& scripts;
  StatusBar& statusBar;
  Pasteboard& pasteboard;
  EventLoop& loop;
  WallClock& clock;
  UrlOpener& urls;
  ClientWatch& watch;
  LoginItemService& loginItems;
};

class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
 public:
  // `state` is the process-lifetime detection state; it outlives the delegate.
  AppDelegate(Platform platform, TrackerState& state, StatePaths paths);

  // Puts the item in the status bar, shows the not-running state, starts the timer, listens
  // for the client's launches and quits, and runs one refresh at once; unless another tracker
  // runs, and then ends at once, having touched neither the status bar nor a file.
  void applicationDidFinishLaunching();
  // One refresh: detection pass, title and menu, then the session clock. It covers every
  // change the client announced before it. First, though, a tracker that finds another it must
  // give way to ends (see single_instance.h).
  void tick(PassCause cause);
  // `since` is the start file's moment as this refresh read it; the menu shows it as uptime.
  void update(const DetectionResult& pass, std::optional<double> since);
  void buildMenu(const DetectionResult& pass, std::optional<double> since);

  // Menu actions, named after their selectors.
  void sessionClicked(const MenuEntry& item);
  void bringToFrontAction();
  void quitWindowsApp();
  void refresh();
  void quitSelf();
  void copyDebug();
  // Asks for Accessibility access with the system's prompt, which puts the tracker in the
  // Accessibility list of System Settings, then opens that list, where the grant is switched on.
  void openAccessibilitySettings();
  // "Open at Login" as the row `item` showed it (LoginItem::choose): turns it off or on, or
  // opens System Settings for the user's approval; then the menu is built again at once with the
  // status as it is now, whatever came of the request.
  void toggleOpenAtLogin(const MenuEntry& item);

  // Routes a chosen menu entry to its action.
  void perform(const MenuEntry& item);

  // Called after every detection pass with its result, the fresh report and why it ran (the
  // simulator shows them).
  using PassObserver =
      std::function<void(const DetectionResult& pass, const std::string& report, PassCause cause)>;
  void setPassObserver(PassObserver observer);
  // Called when the session clock wrote the start file (with the moment written) or removed
  // one (with nothing).
  using StartFileObserver = std::function<void(std::optional<double> written)>;
  void setStartFileObserver(StartFileObserver observer);
  // Called with what choosing "Open at Login" asked for and the status afterwards.
  using LoginItemObserver = std::function<void(const LoginItemChange& change)>;
  void setLoginItemObserver(LoginItemObserver observer);

  // Whether this tracker ended because another one runs.
  [[nodiscard]] bool gaveWay() const { return gaveWay_; }
  // Called when a state file could not be written, with the C library's error number. The
  // tracker itself drops the failure: the next refresh writes the start file again, the next
  // Copy Debug Info the report.
  using WriteFailureObserver = std::function<void(StateFile file, int error)>;
  void setWriteFailureObserver(WriteFailureObserver observer);

 private:
  // Ends this tracker when another one must stay instead; true when it did.
  bool giveWayToAnotherTracker();
  DetectionResult detect(PassCause cause);
  void moveSessionClock(const SessionInfo& info, std::optional<double> since);
  void removeStartFile();
  void writeFailed(StateFile file, int error) const;
  // A task for the event loop that refreshes this delegate, for `cause`, while it exists.
  std::function<void()> weakly(PassCause cause);

  Platform platform_;
  TrackerState& state_;
  StatePaths paths_;
  PassObserver passObserver_;
  StartFileObserver startFileObserver_;
  LoginItemObserver loginItemObserver_;
  LoginItem loginItem_;
  WriteFailureObserver writeFailureObserver_;

  std::unique_ptr<StatusItem> statusItem;
  std::unique_ptr<RepeatingTimer> timer;
  bool wasActive = false;
  // A start file that the first refresh finds with the client stopped was left by an earlier
  // run; it can never be the start of a run this process sees later.
  bool firstRefreshDone_ = false;
  bool gaveWay_ = false;
  // What the menu was last built from, to build it again after a change of the login item.
  DetectionResult shownPass_;
  std::optional<double> shownSince_;
  // Both call back into this delegate only from their own tasks and watches, which end with
  // them; the watcher goes first, so no notification reaches a scheduler that is gone.
  RefreshScheduler changes_;
  ClientWatcher watcher_;
};

}  // namespace velmora
