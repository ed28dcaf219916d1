// One run of the tracker on the simulated desktop: the scenario's client changes and user
// choices scheduled on the simulated main thread, the launch at time 0, and the tracker itself
// with its real session-clock files under a given home.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "app/config.h"
#include "detect/tracker_state.h"
#include "platform/sim/desktop/sim_desktop.h"
#include "platform/sim/desktop/sim_event_loop.h"
#include "platform/sim/desktop/sim_file_revealer.h"
#include "platform/sim/desktop/sim_login_items.h"
#include "platform/sim/desktop/sim_notifier.h"
#include "platform/sim/desktop/sim_observer.h"
#include "platform/sim/desktop/sim_pasteboard.h"
#include "platform/sim/desktop/sim_status_bar.h"
#include "platform/sim/desktop/sim_url_opener.h"
#include "platform/sim/scenario/scenario.h"
#include "platform/sim/simulation/client_play.h"
#include "platform/sim/simulation/last_pass.h"

namespace velmora::sim {

// Forwards every event to several observers, in order.
class ObserverList final : public SimObserver {
 public:
  void add(SimObserver& observer) { observers_.push_back(&observer); }

  void onTitle(const std::vector<TitleRun>& runs) override;
  void onMenu(const std::vector<MenuEntry>& entries) override;
  void onReport(const std::string& report, PassCause cause) override;
  void onPass(const DetectionResult& pass) override;
  void onClient(const SimClientState& client) override;
  void onStartFile(std::optional<double> written) override;
  void onWriteFailure(StateFile file, int error) override;
  void onNotice(const std::string& text) override;
  void onScript(const std::string& source) override;
  void onRaise(const std::string& name) override;
  void onActivate(int32_t pid, unsigned options) override;
  void onTerminate(int32_t pid) override;
  void onPasteboard(const std::string& text) override;
  void onOpenUrl(const std::string& url) override;
  void onTrustPrompt() override;
  void onChoice(const std::string& kind, const std::string& choice,
                const std::string& error) override;
  void onLoginItem(const LoginItemChange& change) override;
  void onNotifications(const NotificationsChange& change) override;
  void onNotification(const std::string& title, const std::string& body) override;
  void onMenuTick(const std::vector<MenuEntry>& menu) override;
  void onMenuOpen(bool open) override;
  void onHistory(const HistoryWrite& write) override;
  void onExport(const std::string& path, std::size_t rows) override;
  void onReveal(const std::string& path) override;
  void onMenuClosed(const std::string& why) override;
  void onExit(const std::string& reason) override;

 private:
  std::vector<SimObserver*> observers_;
};

class Simulation {
 public:
  // `startMoment` is the wall-clock moment of time 0 (the scenario's "start", or now).
  Simulation(const Scenario& scenario, StatePaths paths, double startMoment, SimObserver& observer);
  ~Simulation();

  // Plays the scenario to `until`: every task at its due time, in order, then the time moves to
  // `until`. Before each step `reach` (when given) hears the time about to be reached, where a
  // driver on the wall clock waits for it; so every driver sees the same passes at the same
  // times. Returns false, without playing on, once `stop` (when given) returns true; true at
  // the end or once the tracker has quit. Does not finish().
  bool playToEnd(const std::function<void(double time)>& reach,
                 const std::function<bool()>& stop = nullptr);
  // Plays the whole scenario on virtual time, as fast as it can, then finishes; stops early,
  // without telling the observer of an end, once `stop` (when given) returns true.
  void runHeadless(const std::function<bool()>& stop = nullptr);

  // The user chooses, now, the first enabled entry titled `title` ("click") or with the key
  // equivalent `key` ("key"); echoed to the observer, with an error when there is none.
  void click(const std::string& title);
  void key(const std::string& key);
  // The user chose this entry of the current menu.
  void choose(const MenuEntry& entry);
  // The user opens or closes the status menu; while it is open its times tick. The status bar
  // is the one owner of whether it is open; the observer hears each change.
  void setMenuOpen(bool open);

  // The user changes the client (or the login item in System Settings) now, as `action` asks,
  // and hears what changed. The first change takes over from the story: its remaining client
  // changes, clicks and keys are dropped. The tracker sees the change at its next refresh.
  void play(PlayAction action) { play(std::vector<PlayAction>{action}); }
  // `actions` one after the other, on one copy of the client that is set once: keys typed
  // ahead cost one copy of a large client, not one each.
  void play(const std::vector<PlayAction>& actions);
  [[nodiscard]] bool tookOver() const { return play_.has_value(); }

  // Tells the observer something in words (onNotice).
  void notice(const std::string& text) { observer_.onNotice(text); }

  // Ends the run (at the scenario's end or because the tracker quit); tells the observer once.
  void finish();
  [[nodiscard]] bool finished() const { return finished_; }
  [[nodiscard]] double until() const { return until_; }

  // Its parts, for its driver and the tests. The loop's time is the simulation's one clock;
  // the status bar holds the tracker's title and menu; the last pass what it made of the
  // client's windows.
  [[nodiscard]] SimEventLoop& loop() { return loop_; }
  [[nodiscard]] const SimEventLoop& loop() const { return loop_; }
  [[nodiscard]] SimDesktop& desktop() { return desktop_; }
  [[nodiscard]] const SimDesktop& desktop() const { return desktop_; }
  [[nodiscard]] SimStatusBar& statusBar() { return statusBar_; }
  [[nodiscard]] const SimStatusBar& statusBar() const { return statusBar_; }
  [[nodiscard]] LastPass& lastPass() { return lastPass_; }
  [[nodiscard]] const LastPass& lastPass() const { return lastPass_; }
  [[nodiscard]] SimPasteboard& pasteboard() { return pasteboard_; }
  [[nodiscard]] SimLoginItems& loginItems() { return loginItems_; }
  [[nodiscard]] const SimLoginItems& loginItems() const { return loginItems_; }
  [[nodiscard]] SimNotifier& notifier() { return notifier_; }
  [[nodiscard]] const SimNotifier& notifier() const { return notifier_; }
  [[nodiscard]] TrackerState& state() { return state_; }
  [[nodiscard]] const std::shared_ptr<AppDelegate>& delegate() const { return delegate_; }

 private:
  // What the tracker tells its driver, passed on to the observer.
  class Relay final : public TrackerObserver {
   public:
    explicit Relay(Simulation& sim) : sim_(sim) {}
    void passRan(const DetectionResult& pass, const std::string& report, PassCause cause) override;
    void startFileChanged(std::optional<double> written) override;
    void stateFileNotWritten(StateFile file, Outcome why) override;
    void loginItemChosen(const LoginItemChange& change) override;
    void notificationsChosen(const NotificationsChange& change) override;
    void historyWritten(const HistoryWrite& write) override;
    void historyExported(const std::string& path, std::size_t rows) override;

   private:
    Simulation& sim_;
  };

  void schedule(const Scenario& scenario);

  SimObserver& observer_;
  Relay relay_{*this};
  SimEventLoop loop_;
  SimWallClock clock_;
  SimDesktop desktop_;
  SimStatusBar statusBar_;
  SimPasteboard pasteboard_;
  SimUrlOpener urls_;
  SimFileRevealer finder_;
  SimLoginItems loginItems_;
  SimNotifier notifier_;
  TrackerState state_;
  std::shared_ptr<AppDelegate> delegate_;
  LastPass lastPass_;
  std::optional<ClientPlay> play_;
  double until_;
  bool finished_ = false;
};

}  // namespace velmora::sim
