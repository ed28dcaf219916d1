#include "app/app_delegate.h"

#include "app/single_instance.h"
#include "clock/start_file.h"
#include "ui/end_note.h"

namespace velmora {

AppDelegate::AppDelegate(Platform platform, TrackerState& state, StatePaths paths,
                         TrackerObserver& observer)
    : platform_(platform),
      state_(state),
      paths_(std::move(paths)),
      observer_(observer),
      loginItem_(platform.loginItems, paths_.kLaunchAgentFile),
      history_(paths_, platform.clock, platform.finder, observer),
      clock_(paths_, observer),
      presenter_(platform.loop, platform.clock, loginItem_, platform.notifier, memory_, history_),
      changes_(platform_.loop, [this] { tick(PassCause::kChange); }),
      watcher_(platform_.watch, platform_.loop, platform_.clock, [this] { changes_.changed(); }) {}

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
  history_.launch(historyAtLaunch_);
  presenter_.show(platform_.statusBar.createStatusItem(
      [self = weak_from_this()](const MenuEntry& e) {
        if (auto delegate = self.lock()) delegate->perform(e);
      },
      [self = weak_from_this()](bool open) {
        if (auto delegate = self.lock()) open ? delegate->menuWillOpen() : delegate->menuDidClose();
      }));
  // An answer that changes the status shows at once, in the open menu too.
  platform_.notifier.setChangeHandler([self = weak_from_this()] {
    if (auto delegate = self.lock()) delegate->presenter_.buildMenu();
  });
  presenter_.update(DetectionResult{}, std::nullopt);
  timer = platform_.loop.scheduleRepeating(kPoll, kPollTolerance, weakly(PassCause::kTimer));
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
  observer_.passRan(pass, state_.debugLog, cause);
  return pass;
}

void AppDelegate::tick(PassCause cause) {
  if (gaveWay_ || giveWayToAnotherTracker()) return;
  // Before the pass looks: a change announced while it runs asks for a pass of its own.
  changes_.covered();
  // The moment the pass looks: its reads may keep the main thread a while.
  const double moment = platform_.clock.now();
  DetectionResult pass = detect(cause);
  // One read of the start file serves the menu's uptime, the clock and the sessions' memory.
  const std::optional<double> since = pass.info.running ? readStart(paths_) : std::nullopt;
  const std::vector<EndedSession> ended = memory_.observe(pass, cause, moment, since);
  history_.record(memory_.takeChanges());
  // The clock first, so that the menu shows the uptime from the pass that stored its start.
  const std::optional<double> start = clock_.move(pass.info.running, since, moment);
  presenter_.update(std::move(pass), start);
  postEndNotes(ended);
}

void AppDelegate::applicationWillTerminate() {
  if (!gaveWay_) history_.trackerQuits();
}

void AppDelegate::postEndNotes(const std::vector<EndedSession>& ended) {
  if (ended.empty() || !mayPostNotes(platform_.notifier.status())) return;
  for (const EndNote& note : endNotes(ended)) platform_.notifier.post(note.title, note.body);
}

void AppDelegate::notificationsChanged(NotificationsChange::Request request) {
  observer_.notificationsChosen({request, platform_.notifier.status()});
  presenter_.buildMenu();
}

}  // namespace velmora
