// The delegate's menu actions: what each row of the menu does when chosen.
#include "app/app_delegate.h"
#include "app/config.h"
#include "clock/state_dir.h"
#include "files/atomic_file.h"
#include "ui/client_control.h"

namespace velmora {

constexpr double kQuitRefreshDelay = 1.0;
constexpr double kQuitRefreshTolerance = 0.1;

void AppDelegate::perform(const MenuEntry& item) {
  switch (item.action) {
    case MenuAction::kSessionClicked:
      return sessionClicked(item);
    case MenuAction::kBringToFront:
      return bringToFrontAction();
    case MenuAction::kQuitWindowsApp:
      return quitWindowsApp();
    case MenuAction::kRefresh:
      return refresh();
    case MenuAction::kQuitSelf:
      return quitSelf();
    case MenuAction::kCopyDebug:
      return copyDebug();
    case MenuAction::kOpenAccessibilitySettings:
      return openAccessibilitySettings();
    case MenuAction::kToggleOpenAtLogin:
      return toggleOpenAtLogin(item);
    case MenuAction::kToggleNotifications:
      return toggleNotifications(item);
    case MenuAction::kExportHistory:
      return exportHistory();
    case MenuAction::kShowHistoryInFinder:
      return showHistoryInFinder();
    case MenuAction::kToggleHistory:
      return toggleHistory();
    case MenuAction::kNone:
      return;
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
  memory_.quitRequested(platform_.clock.now());
  quitApp(platform_.apps);
  platform_.loop.runAfter(kQuitRefreshDelay, kQuitRefreshTolerance,
                          weakly(PassCause::kQuitFollowUp));
}

void AppDelegate::refresh() {
  tick(PassCause::kRefresh);
}

void AppDelegate::quitSelf() {
  clock_.remove();
  platform_.loop.terminate();
}

void AppDelegate::copyDebug() {
  // It redraws nothing, so it covers no change the client announced.
  (void)detect(PassCause::kCopy);
  platform_.pasteboard.clearContents();
  platform_.pasteboard.setString(state_.debugLog);
  ensureStateDir(paths_);
  // The pasteboard has the report anyway.
  if (const Outcome written = writeFileAtomically(paths_.kDebugFile, state_.debugLog); !written) {
    observer_.stateFileNotWritten(StateFile::kDebugReport, written);
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
  observer_.loginItemChosen(*change);
  presenter_.buildMenu();
}

void AppDelegate::toggleNotifications(const MenuEntry& item) {
  using Request = NotificationsChange::Request;
  const std::optional<Request> request =
      notificationsRequest(item.notificationsShown.value_or(NotificationStatus::kUnavailable));
  if (!request) return;
  if (*request == Request::kAsk) {
    platform_.notifier.requestPermission([self = weak_from_this()] {
      if (auto delegate = self.lock()) delegate->notificationsChanged(Request::kAsk);
    });
  } else {
    platform_.notifier.openSettings();
    notificationsChanged(Request::kOpenSettings);
  }
}

void AppDelegate::exportHistory() {
  history_.exportCsv();
  presenter_.buildMenu();
}

void AppDelegate::showHistoryInFinder() {
  history_.showInFinder();
}

void AppDelegate::toggleHistory() {
  history_.toggle();
  presenter_.buildMenu();
}

}  // namespace velmora
