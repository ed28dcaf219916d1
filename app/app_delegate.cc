#include "app/app_delegate.h"

#include "app/single_instance.h"
#include "clock/start_file.h"
#include "clock/state_dir.h"
#include "clock/uptime.h"
#include "files/atomic_file.h"
#include "ui/client_control.h"
#include "ui/title_model.h"

namespace velmora {

constexpr double kQuitRefreshDelay = 1.0;
constexpr double kMenuTick = 1.0;

std::string_view requestName(NotificationsChange::Request request) {
  return request == NotificationsChange::Request::kAsk ? "ask" : "open-settings";
}

AppDelegate::AppDelegate(Platform platform, TrackerState& state, StatePaths paths)
    : platform_(platform),
      state_(state),
      paths_(std::move(paths)),
      loginItem_(platform.loginItems, paths_.kLaunchAgentFile),
      changes_(platform_.loop, [this] { tick(PassCause::kChange); }),
      watcher_(platform_.watch, platform_.loop, platform_.clock, [this] { changes_.changed(); }) {}

void AppDelegate::setPassObserver(PassObserver observer) {
  passObserver_ = std::move(observer);
}

void AppDelegate::setStartFileObserver(StartFileObserver observer) {
  startFileObserver_ = std::move(observer);
}

void AppDelegate::setLoginItemObserver(LoginItemObserver observer) {
  loginItemObserver_ = std::move(observer);
}

void AppDelegate::setNotificationsObserver(NotificationsObserver observer) {
  notificationsObserver_ = std::move(observer);
}

void AppDelegate::setWriteFailureObserver(WriteFailureObserver observer) {
  writeFailureObserver_ = std::move(observer);
}

void AppDelegate::writeFailed(StateFile file, int error) const {
  if (writeFailureObserver_) writeFailureObserver_(file, error);
}

std::function<void()> AppDelegate::weakly(PassCause cause) {
  return [self = weak_from_this(), cause] {
    if (auto delegate = self.lock()) delegate->tick(cause);
  };
}

bool AppDelegate::giveWayToAnotherTracker() {
  const int32_t own = platform_.apps.ownProcessIdentifier();
  if (!givesWayToAnotherTracker(own, platform_.apps.runningInstances(kTrackerBundleID))) {
    return false;
  }
  gaveWay_ = true;
  platform_.loop.terminate();
  return true;
}

void AppDelegate::applicationDidFinishLaunching() {
  if (giveWayToAnotherTracker()) return;
  statusItem = platform_.statusBar.createStatusItem(
      [self = weak_from_this()](const MenuEntry& e) {
        if (auto delegate = self.lock()) delegate->perform(e);
      },
      [self = weak_from_this()](bool open) {
        if (auto delegate = self.lock()) open ? delegate->menuWillOpen() : delegate->menuDidClose();
      });
  update(DetectionResult{}, std::nullopt);
  timer = platform_.loop.scheduleRepeating(kPoll, weakly(PassCause::kTimer));
  watcher_.start();
  tick(PassCause::kLaunch);
}

DetectionResult AppDelegate::detect(PassCause cause) {
  const DetectionPorts ports{platform_.apps, platform_.accessibility, platform_.scripts,
                             platform_.clock};
  DetectionResult pass = detectSessions(state_, ports);
  // Each pass's look-up of the client tells which process to listen to.
  watcher_.follow(pass.firstInstance ? std::optional(pass.firstInstance->processIdentifier)
                                     : std::nullopt);
  if (passObserver_) passObserver_(pass, state_.debugLog, cause);
  return pass;
}

void AppDelegate::tick(PassCause cause) {
  if (gaveWay_ || giveWayToAnotherTracker()) return;
  // Before the pass looks: a change announced while it runs asks for a pass of its own.
  changes_.covered();
  DetectionResult pass = detect(cause);
  // One read of the start file serves the menu's uptime, the clock and the sessions' memory.
  const std::optional<double> since = pass.info.running ? readStart(paths_) : std::nullopt;
  const std::vector<EndedSession> ended =
      memory_.observe(pass, cause, platform_.clock.now(), since);
  update(pass, since);
  moveSessionClock(pass.info, since);
  shownPass_ = std::move(pass);
  shownSince_ = since;
  postEndNotes(ended);
}

void AppDelegate::postEndNotes(const std::vector<EndedSession>& ended) {
  if (ended.empty() || platform_.notifier.status() != NotificationStatus::kAllowed) return;
  for (const EndedSession& e : ended) {
    platform_.notifier.post(e.name,
                            "Session ended after " + sessionDetail({e.first, e.atLeast}, e.end));
  }
}

void AppDelegate::moveSessionClock(const SessionInfo& info, std::optional<double> since) {
  const bool firstRefresh = !firstRefreshDone_;
  firstRefreshDone_ = true;
  if (info.running) {
    if (!since) {
      const double now = platform_.clock.now();
      ensureStateDir(paths_);
      // A failed write is retried by the next refresh.
      if (const WriteOutcome written = writeStart(paths_, now); !written) {
        writeFailed(StateFile::kSessionStart, written.error);
      } else if (startFileObserver_) {
        startFileObserver_(now);
      }
    }
    wasActive = true;
  } else if (wasActive || firstRefresh) {
    removeStartFile();
    wasActive = false;
  }
}

void AppDelegate::removeStartFile() {
  if (clearStart(paths_) && startFileObserver_) startFileObserver_(std::nullopt);
}

void AppDelegate::update(const DetectionResult& pass, std::optional<double> since) {
  if (!statusItem || !statusItem->hasButton()) return;
  statusItem->setTitle(titleRuns(pass.info));
  statusItem->setAccessibilityLabel(titleAccessibilityLabel(pass.info));
  buildMenu(pass, since);
}

MenuInputs AppDelegate::menuInputs(const DetectionResult& pass, std::optional<double> since,
                                   double now) const {
  MenuInputs in{.info = pass.info};
  if (pass.info.running && since) in.uptime = fmtUptime(*since, now);
  in.windowsUnreadable = pass.windowsUnreadable;
  in.loginItem = shownLoginItem_;
  in.notifications = shownNotifications_;
  in.sessionTimes = memory_.listedTimes();
  in.now = now;
  in.ended = memory_.recent();
  return in;
}

void AppDelegate::buildMenu(const DetectionResult& pass, std::optional<double> since) {
  // Both statuses are read afresh: the user may have changed them in System Settings.
  shownLoginItem_ = loginItem_.status();
  shownNotifications_ = platform_.notifier.status();
  statusItem->setMenu(menuEntries(menuInputs(pass, since, platform_.clock.now())));
}

void AppDelegate::rebuildMenu() {
  if (statusItem && statusItem->hasButton()) buildMenu(shownPass_, shownSince_);
}

void AppDelegate::menuWillOpen() {
  menuTimer_ = platform_.loop.scheduleMenuTimer(kMenuTick, [self = weak_from_this()] {
    if (auto delegate = self.lock()) delegate->tickMenu();
  });
}

void AppDelegate::menuDidClose() {
  menuTimer_.reset();
}

// The texts a rebuild would show now, without a pass and without reading a status.
void AppDelegate::tickMenu() {
  if (!statusItem || !statusItem->hasButton()) return;
  statusItem->updateMenuTimes(
      menuEntries(menuInputs(shownPass_, shownSince_, platform_.clock.now())));
}

void AppDelegate::perform(const MenuEntry& item) {
  switch (item.action) {
    case MenuAction::kSessionClicked:
      sessionClicked(item);
      break;
    case MenuAction::kBringToFront:
      bringToFrontAction();
      break;
    case MenuAction::kQuitWindowsApp:
      quitWindowsApp();
      break;
    case MenuAction::kRefresh:
      refresh();
      break;
    case MenuAction::kQuitSelf:
      quitSelf();
      break;
    case MenuAction::kCopyDebug:
      copyDebug();
      break;
    case MenuAction::kOpenAccessibilitySettings:
      openAccessibilitySettings();
      break;
    case MenuAction::kToggleOpenAtLogin:
      toggleOpenAtLogin(item);
      break;
    case MenuAction::kToggleNotifications:
      toggleNotifications(item);
      break;
    case MenuAction::kNone:
      break;
  }
}

void AppDelegate::sessionClicked(const MenuEntry& item) {
  if (item.representedObject) {
    focusWindow(*item.representedObject, platform_.scripts, platform_.apps);
  } else {
    bringToFrontAction();
  }
}

void AppDelegate::bringToFrontAction() {
  activateClient(platform_.apps);
}

void AppDelegate::quitWindowsApp() {
  // The sessions it closes are the user's doing, not news.
  memory_.quitRequested();
  quitApp(platform_.apps);
  platform_.loop.runAfter(kQuitRefreshDelay, weakly(PassCause::kQuitFollowUp));
}

void AppDelegate::refresh() {
  tick(PassCause::kRefresh);
}

void AppDelegate::quitSelf() {
  removeStartFile();
  platform_.loop.terminate();
}

void AppDelegate::copyDebug() {
  // It redraws nothing, so it covers no change the client announced.
  (void)detect(PassCause::kCopy);
  platform_.pasteboard.clearContents();
  platform_.pasteboard.setString(state_.debugLog);
  ensureStateDir(paths_);
  // The pasteboard has the report anyway.
  if (const WriteOutcome written = writeFileAtomically(paths_.kDebugFile, state_.debugLog);
      !written) {
    writeFailed(StateFile::kDebugReport, written.error);
  }
}

void AppDelegate::openAccessibilitySettings() {
  // The system lists the tracker in that pane only once it has asked for access.
  platform_.accessibility.requestTrust();
  platform_.urls.openUrl(std::string(kAccessibilitySettingsURL));
}

void AppDelegate::toggleOpenAtLogin(const MenuEntry& item) {
  if (!item.loginItemShown) return;
  const std::optional<LoginItemChange> change = loginItem_.choose(*item.loginItemShown);
  if (!change) return;
  if (loginItemObserver_) loginItemObserver_(*change);
  rebuildMenu();
}

void AppDelegate::toggleNotifications(const MenuEntry& item) {
  using Request = NotificationsChange::Request;
  const auto settled = [](NotificationStatus s) {
    return s == NotificationStatus::kAllowed || s == NotificationStatus::kDenied;
  };
  const NotificationStatus shown =
      item.notificationsShown.value_or(NotificationStatus::kUnavailable);
  const NotificationStatus now = platform_.notifier.status();
  if (shown == NotificationStatus::kNotAsked && now == NotificationStatus::kNotAsked) {
    platform_.notifier.requestPermission([self = weak_from_this()] {
      if (auto delegate = self.lock()) delegate->notificationsChanged(Request::kAsk);
    });
  } else if (settled(shown) && settled(now)) {
    platform_.notifier.openSettings();
    notificationsChanged(Request::kOpenSettings);
  } else {
    rebuildMenu();
  }
}

void AppDelegate::notificationsChanged(NotificationsChange::Request request) {
  if (notificationsObserver_) notificationsObserver_({request, platform_.notifier.status()});
  rebuildMenu();
}

}  // namespace velmora
