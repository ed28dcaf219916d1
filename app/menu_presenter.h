// The status item as the passes draw it: the title of each pass, the menu built from the pass,
// the statuses of Open at Login and of notifications, the sessions' memory and history. An open
// menu is
// never replaced (a Mac closes it, or leaves it blank): it keeps what it was built from, its
// times tick once a second from opening on, a changed status shows in its row, and it is built
// anew from the last pass once it closed. Only rows whose text changed are assigned. Main
// thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/event_loop.h"
#include "app/history_keeper.h"
#include "app/login_item.h"
#include "app/session_memory.h"
#include "clock/wall_clock.h"
#include "detect/detection.h"
#include "ui/menu_model.h"
#include "ui/notifier.h"
#include "ui/status_item.h"

namespace velmora {

class MenuPresenter {
 public:
  // Every reference outlives the presenter.
  MenuPresenter(EventLoop& loop, WallClock& clock, LoginItem& loginItem, Notifier& notifier,
                const SessionMemory& memory, const HistoryKeeper& history);

  // The item to draw on; until one with a button is shown, drawing does nothing.
  void show(std::unique_ptr<StatusItem> item);

  // Draws the title of `pass` and builds its menu, or, while the menu is open, keeps the pass
  // for when it closes; `since` is the start file's moment as the pass read it, which the menu
  // shows as uptime. Each pass asks the system for the notifications' status again. The title,
  // its label and the menu are written only when they differ from what is shown (every write
  // makes a Mac redraw), and a menu that differs only in its times is changed in place.
  void update(DetectionResult pass, std::optional<double> since);
  // Shows both statuses read afresh (the user may have changed them in System Settings): the
  // menu of the pass last shown built anew, or, while it is open, its rows changed in place.
  void buildMenu();

  // The menu opened or closed: while it is open its times tick once a second, the first time at
  // opening; once it closed, a pass it held back is shown.
  void menuWillOpen();
  void menuDidClose();

 private:
  // What a menu is built from: a pass, and the sessions' memory as it was then.
  struct Basis {
    DetectionResult pass;
    std::optional<double> since;
    std::vector<SessionTime> times;
    std::vector<EndedSession> ended;
  };

  [[nodiscard]] bool drawable() const;
  // The menu of the last pass, with the statuses last read: replacing the one shown, changed in
  // place when only its times differ, left alone when nothing does.
  void rebuild();
  // The open menu's rows as `shown_` gives them at this moment, changed in place; a menu whose
  // rows no longer fit is built anew once it closed.
  void refreshOpenMenu();
  [[nodiscard]] std::vector<MenuEntry> entriesNow() const;

  EventLoop& loop_;
  WallClock& clock_;
  LoginItem& loginItem_;
  Notifier& notifier_;
  const SessionMemory& memory_;
  const HistoryKeeper& history_;
  std::unique_ptr<StatusItem> statusItem_;
  // What the item shows: a pass that would write the same leaves the platform alone.
  std::vector<TitleRun> shownTitle_;
  std::string shownLabel_;
  // The last pass, and what the menu shown was built from (the same, unless it was open).
  DetectionResult lastPass_;
  std::optional<double> lastSince_;
  Basis shown_;
  std::vector<MenuEntry> shownEntries_;
  bool open_ = false;
  bool stale_ = false;  // a pass came while the menu was open
  // The statuses the menu shown was drawn with; its ticks keep them.
  LoginItemStatus shownLoginItem_;
  NotificationStatus shownNotifications_ = NotificationStatus::kNotAsked;
  // The history as the menu shown was built with: one query a build, none a tick.
  HistoryView shownHistory_;
  // Last, so that it stops before anything it reads goes.
  std::unique_ptr<Timer> menuTimer_;
};

}  // namespace velmora
