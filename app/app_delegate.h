// The tracker's one delegate: launch and the refresh cycle, with the menu actions
// (app/menu_actions.cc), over the ports of app/platform.h. Main thread only. Create it with
// std::make_shared: the delayed refreshes hold it weakly, so one that fires after the delegate
// is gone does nothing. Besides the timer, the client's own notifications ask for refreshes
// (app/refresh_scheduler.h, app/client_watcher.h). Its parts: the status item
// (app/menu_presenter.h), the start file (app/session_clock.h), the sessions' memory
// (app/session_memory.h), their history (app/history_keeper.h) and Open at Login
// (app/login_item.h).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/client_watcher.h"
#include "app/config.h"
#include "app/history_keeper.h"
#include "app/login_item.h"
#include "app/menu_presenter.h"
#include "app/pass_cause.h"
#include "app/platform.h"
#include "app/refresh_scheduler.h"
#include "app/session_clock.h"
#include "app/session_memory.h"
#include "app/tracker_observer.h"
#include "detect/detection.h"
#include "detect/tracker_state.h"
#include "ui/menu_model.h"

namespace velmora {

class AppDelegate : public std::enable_shared_from_this<AppDelegate> {
 public:
  // `state` is the process-lifetime detection state and `observer` hears what the tracker did;
  // both outlive the delegate.
  AppDelegate(Platform platform, TrackerState& state, StatePaths paths,
              TrackerObserver& observer = TrackerObserver::none());

  // Puts the item in the status bar, shows the not-running state, starts the timer, listens
  // for the client's launches and quits, and runs one refresh at once; unless another tracker
  // runs, and then ends at once, having touched neither the status bar nor a file.
  void applicationDidFinishLaunching();
  // One refresh: detection pass, title and menu, then the session clock. It covers every
  // change the client announced before it. First, though, a tracker that finds another it must
  // give way to ends (see single_instance.h).
  void tick(PassCause cause);

  // Routes a chosen menu entry to its action.
  void perform(const MenuEntry& item);
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
  // "Notify When a Session Ends", acting on the status the row showed (notificationsRequest):
  // the system's prompt, or System Settings at the tracker's notifications; reported with the
  // status afterwards, and the menu shows it.
  void toggleNotifications(const MenuEntry& item);

  // The session history's rows (app/history_keeper.h), the menu built again after each.
  void exportHistory();
  void showHistoryInFinder();
  void toggleHistory();
  // The switch of the session history at launch, when the caller knows it (velmora-sim's
  // scenario); without a call, the history file's own.
  void keepHistoryAtLaunch(bool keep) { historyAtLaunch_ = keep; }
  // The tracker ends (the platform's last call): the open sessions' rows end with it.
  void applicationWillTerminate();

  // The menu opened or closed.
  void menuWillOpen() { presenter_.menuWillOpen(); }
  void menuDidClose() { presenter_.menuDidClose(); }

  // Whether this tracker ended because another one runs.
  [[nodiscard]] bool gaveWay() const { return gaveWay_; }

 private:
  // Ends this tracker when another one must stay instead; true when it did.
  bool giveWayToAnotherTracker();
  DetectionResult detect(PassCause cause);
  void postEndNotes(const std::vector<EndedSession>& ended);
  void notificationsChanged(NotificationsChange::Request request);
  // A task for the event loop that refreshes this delegate, for `cause`, while it exists.
  std::function<void()> weakly(PassCause cause);

  Platform platform_;
  TrackerState& state_;
  StatePaths paths_;
  TrackerObserver& observer_;
  LoginItem loginItem_;
  SessionMemory memory_;
  HistoryKeeper history_;
  std::optional<bool> historyAtLaunch_;
  SessionClock clock_;
  MenuPresenter presenter_;
  std::unique_ptr<Timer> timer;
  bool gaveWay_ = false;
  // Both call back into this delegate only from their own tasks and watches, which end with
  // them; the watcher goes first, so no notification reaches a scheduler that is gone.
  RefreshScheduler changes_;
  ClientWatcher watcher_;
};

}  // namespace velmora
