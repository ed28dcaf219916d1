#include "platform/sim/simulation/simulation.h"

#include <utility>

namespace velmora::sim {

void ObserverList::onTitle(const std::vector<TitleRun>& runs) {
  for (SimObserver* o : observers_) o->onTitle(runs);
}
void ObserverList::onMenu(const std::vector<MenuEntry>& entries) {
  for (SimObserver* o : observers_) o->onMenu(entries);
}
void ObserverList::onReport(const std::string& report, PassCause cause) {
  for (SimObserver* o : observers_) o->onReport(report, cause);
}
void ObserverList::onPass(const DetectionResult& pass) {
  for (SimObserver* o : observers_) o->onPass(pass);
}
void ObserverList::onClient(const SimClientState& client) {
  for (SimObserver* o : observers_) o->onClient(client);
}
void ObserverList::onStartFile(std::optional<double> written) {
  for (SimObserver* o : observers_) o->onStartFile(written);
}
void ObserverList::onWriteFailure(StateFile file, int error) {
  for (SimObserver* o : observers_) o->onWriteFailure(file, error);
}
void ObserverList::onNotice(const std::string& text) {
  for (SimObserver* o : observers_) o->onNotice(text);
}
void ObserverList::onScript(const std::string& source) {
  for (SimObserver* o : observers_) o->onScript(source);
}
void ObserverList::onRaise(const std::string& name) {
  for (SimObserver* o : observers_) o->onRaise(name);
}
void ObserverList::onActivate(int32_t pid, unsigned options) {
  for (SimObserver* o : observers_) o->onActivate(pid, options);
}
void ObserverList::onTerminate(int32_t pid) {
  for (SimObserver* o : observers_) o->onTerminate(pid);
}
void ObserverList::onPasteboard(const std::string& text) {
  for (SimObserver* o : observers_) o->onPasteboard(text);
}
void ObserverList::onOpenUrl(const std::string& url) {
  for (SimObserver* o : observers_) o->onOpenUrl(url);
}
void ObserverList::onTrustPrompt() {
  for (SimObserver* o : observers_) o->onTrustPrompt();
}
void ObserverList::onChoice(const std::string& kind, const std::string& choice,
                            const std::string& error) {
  for (SimObserver* o : observers_) o->onChoice(kind, choice, error);
}
void ObserverList::onLoginItem(const LoginItemChange& change) {
  for (SimObserver* o : observers_) o->onLoginItem(change);
}
void ObserverList::onNotifications(const NotificationsChange& change) {
  for (SimObserver* o : observers_) o->onNotifications(change);
}
void ObserverList::onNotification(const std::string& title, const std::string& body) {
  for (SimObserver* o : observers_) o->onNotification(title, body);
}
void ObserverList::onMenuTick(const std::vector<MenuEntry>& menu) {
  for (SimObserver* o : observers_) o->onMenuTick(menu);
}
void ObserverList::onMenuOpen(bool open) {
  for (SimObserver* o : observers_) o->onMenuOpen(open);
}
void ObserverList::onHistory(const HistoryWrite& write) {
  for (SimObserver* o : observers_) o->onHistory(write);
}
void ObserverList::onExport(const std::string& path, std::size_t rows) {
  for (SimObserver* o : observers_) o->onExport(path, rows);
}
void ObserverList::onReveal(const std::string& path) {
  for (SimObserver* o : observers_) o->onReveal(path);
}
void ObserverList::onMenuClosed(const std::string& why) {
  for (SimObserver* o : observers_) o->onMenuClosed(why);
}
void ObserverList::onExit(const std::string& reason) {
  for (SimObserver* o : observers_) o->onExit(reason);
}

Simulation::Simulation(const Scenario& scenario, StatePaths paths, double startMoment,
                       SimObserver& observer)
    : observer_(observer),
      clock_(loop_, startMoment),
      desktop_(observer),
      statusBar_(observer),
      pasteboard_(observer),
      urls_(observer),
      finder_(observer),
      notifier_(observer, loop_),
      until_(scenario.until) {
  desktop_.setClient(notRunning());
  desktop_.chargeTo(loop_);
  statusBar_.countIn(loop_.counts());
  loginItems_.setItem(scenario.loginItem);
  notifier_.setStatus(scenario.notifications);
  notifier_.setAnswer(scenario.notificationsAnswer);
  if (scenario.otherTracker) desktop_.setOtherTracker(kSimOtherTrackerPid);
  const Platform platform{desktop_.apps(),
                          desktop_.accessibility(),
                          desktop_.scripts(),
                          statusBar_,
                          pasteboard_,
                          loop_,
                          clock_,
                          urls_,
                          desktop_.watch(),
                          loginItems_,
                          notifier_,
                          finder_};
  delegate_ = std::make_shared<AppDelegate>(platform, state_, std::move(paths), relay_);
  if (scenario.history) delegate_->keepHistoryAtLaunch(*scenario.history);
  schedule(scenario);
}

Simulation::~Simulation() = default;

void Simulation::Relay::passRan(const DetectionResult& pass, const std::string& report,
                                PassCause cause) {
  sim_.lastPass_.record(sim_.desktop_.sharedClient(), pass.verdicts);
  sim_.observer_.onPass(pass);
  sim_.observer_.onReport(report, cause);
}
void Simulation::Relay::startFileChanged(std::optional<double> written) {
  sim_.observer_.onStartFile(written);
}
void Simulation::Relay::stateFileNotWritten(StateFile file, Outcome why) {
  sim_.observer_.onWriteFailure(file, why.error);
}
void Simulation::Relay::loginItemChosen(const LoginItemChange& change) {
  sim_.observer_.onLoginItem(change);
}
void Simulation::Relay::notificationsChosen(const NotificationsChange& change) {
  sim_.observer_.onNotifications(change);
}

void Simulation::Relay::historyWritten(const HistoryWrite& write) {
  sim_.observer_.onHistory(write);
}
void Simulation::Relay::historyExported(const std::string& path, std::size_t rows) {
  sim_.observer_.onExport(path, rows);
}

void Simulation::schedule(const Scenario& scenario) {
  for (const ScenarioEvent& e : scenario.events) {
    switch (e.kind) {
      case ScenarioEvent::Kind::kClient:
        loop_.at(e.at, TaskKind::kClient,
                 [this, client = e.client] { desktop_.setClient(client); });
        break;
      case ScenarioEvent::Kind::kClick:
        loop_.at(e.at, TaskKind::kInput, [this, title = e.choice] { click(title); });
        break;
      case ScenarioEvent::Kind::kKey:
        loop_.at(e.at, TaskKind::kInput, [this, k = e.choice] { key(k); });
        break;
      case ScenarioEvent::Kind::kLoginItem:
        loop_.at(e.at, TaskKind::kClient,
                 [this, item = e.loginItem] { loginItems_.setItem(item); });
        break;
      case ScenarioEvent::Kind::kNotifications:
        loop_.at(e.at, TaskKind::kClient,
                 [this, status = e.notifications] { notifier_.setStatus(status); });
        break;
      case ScenarioEvent::Kind::kMenu:
        loop_.at(e.at, TaskKind::kInput, [this, open = e.menuOpen] { setMenuOpen(open); });
        break;
    }
  }
  loop_.at(0.0, TaskKind::kLaunch, [this] { delegate_->applicationDidFinishLaunching(); });
}

void Simulation::setMenuOpen(bool open) {
  statusBar_.setMenuOpen(open);
}

void Simulation::click(const std::string& title) {
  const auto entry = statusBar_.findEnabled(title);
  observer_.onChoice("click", title, entry ? "" : "no enabled menu item has this title");
  if (entry) choose(*entry);
}

void Simulation::key(const std::string& k) {
  const auto entry = statusBar_.findKey(k);
  observer_.onChoice("key", k, entry ? "" : "no enabled menu item has this key equivalent");
  if (entry) choose(*entry);
}

void Simulation::choose(const MenuEntry& entry) {
  statusBar_.choose(entry);
  if (loop_.terminated()) finish();
}

void Simulation::play(const std::vector<PlayAction>& actions) {
  if (actions.empty()) return;
  if (!play_) {
    const std::size_t dropped = loop_.drop(TaskKind::kClient) + loop_.drop(TaskKind::kInput);
    play_.emplace(desktop_.client());
    observer_.onNotice("you took over from the story (" + std::to_string(dropped) +
                       (dropped == 1 ? " event" : " events") + " dropped); r refreshes now");
  }
  SimClientState client = desktop_.client();
  bool clientChanged = false;
  std::vector<std::string> said;
  said.reserve(actions.size());
  for (const PlayAction action : actions) {
    if (action == PlayAction::kLoginItem) {
      loginItems_.setItem(nextLoginItem(loginItems_.item()));
      said.push_back("set the tracker's login item in System Settings: " +
                     std::string(loginItemWords(loginItems_.item())));
      continue;
    }
    if (action == PlayAction::kNotifications) {
      notifier_.setStatus(nextNotificationStatus(notifier_.current()));
      said.push_back("set the tracker's notifications in System Settings: " +
                     notificationStatusWords(notifier_.current()));
      continue;
    }
    said.push_back(play_->apply(action, client));
    clientChanged = true;
  }
  if (clientChanged) desktop_.setClient(std::move(client));
  for (const std::string& s : said) observer_.onNotice(s);
}

void Simulation::finish() {
  if (std::exchange(finished_, true)) return;
  // The run's end is the tracker's: its open sessions end with it.
  delegate_->applicationWillTerminate();
  const char* reason = "end";
  if (loop_.terminated()) reason = delegate_->gaveWay() ? SimObserver::kGaveWay : "quit";
  observer_.onExit(reason);
}

bool Simulation::playToEnd(const std::function<void(double time)>& reach,
                           const std::function<bool()>& stop) {
  const auto stopped = [&stop] { return stop && stop(); };
  while (!loop_.terminated()) {
    const std::optional<double> due = loop_.nextDue();
    if (!due || *due > until_) break;
    if (reach) reach(*due);
    if (stopped()) return false;
    (void)loop_.runNext();
  }
  if (stopped()) return false;
  if (reach && !loop_.terminated()) reach(until_);
  loop_.runUntil(until_);
  return true;
}

void Simulation::runHeadless(const std::function<bool()>& stop) {
  if (playToEnd(nullptr, stop)) finish();
}

}  // namespace velmora::sim
