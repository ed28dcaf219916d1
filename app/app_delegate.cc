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
  statusItem = platform_.statusBar.createStatusItem([self = weak_from_this()](const MenuEntry& e) {
    if (auto delegate = self.lock()) delegate->perform(e);
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
  // One read of the start file serves the menu's uptime and the clock.
  const std::optional<double> since = pass.info.running ? readStart(paths_) : std::nullopt;
  update(pass, since);
  moveSessionClock(pass.info, since);
  shownPass_ = std::move(pass);
  shownSince_ = since;
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

void AppDelegate::buildMenu(const DetectionResult& pass, std::optional<double> since) {
  std::optional<std::string> uptime;
  if (pass.info.running && since) uptime = fmtUptime(*since, platform_.clock.now());
  // The login item's status is read afresh: the user may have changed it in System Settings.
  statusItem->setMenu(menuEntries(pass.info, uptime, pass.windowsUnreadable, loginItem_.status()));
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
  if (statusItem && statusItem->hasButton()) buildMenu(shownPass_, shownSince_);
}

}  // namespace velmora
