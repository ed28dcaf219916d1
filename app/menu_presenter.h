// The status item as the passes draw it: the title of each pass, the menu built from the pass,
// the statuses of Open at Login and of notifications and the sessions' memory, and the open
// menu's times ticking once a second in place. Main thread only.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/event_loop.h"
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
                const SessionMemory& memory);

  // The item to draw on; until one with a button is shown, drawing does nothing.
  void show(std::unique_ptr<StatusItem> item);

  // Draws the title of `pass` and builds its menu; `since` is the start file's moment as the
  // pass read it, which the menu shows as uptime. The title, its label and the menu are written
  // only when they differ from what is shown; a menu whose rows differ only in their times (a
  // session's, the uptime) is retitled in place, not built again.
  void update(DetectionResult pass, std::optional<double> since);
  // Builds the menu of the pass last shown anew, reading both statuses afresh (the user may have
  // changed them in System Settings).
  void buildMenu();

  // The menu opened or closed: while it is open its times tick once a second, in place.
  void menuWillOpen();
  void menuDidClose();

 private:
  [[nodiscard]] bool drawable() const;
  // The menu's inputs for the pass shown, counted to `now`, with the statuses last read.
  [[nodiscard]] MenuInputs menuInputs(double now) const;
  // The texts a rebuild would show now, without a pass and without reading a status.
  void tick();

  EventLoop& loop_;
  WallClock& clock_;
  LoginItem& loginItem_;
  Notifier& notifier_;
  const SessionMemory& memory_;
  std::unique_ptr<StatusItem> statusItem_;
  // What the item shows: a pass that would write the same leaves the platform alone.
  std::vector<TitleRun> shownTitle_;
  std::string shownLabel_;
  std::vector<MenuEntry> shownMenu_;
  // What the menu was last built from, to build it again after a change of a status.
  DetectionResult shownPass_;
  std::optional<double> shownSince_;
  // The statuses the menu shown was built with; its ticks keep them.
  LoginItemStatus shownLoginItem_;
  NotificationStatus shownNotifications_ = NotificationStatus::kUnavailable;
  // Last, so that it stops before anything it reads goes.
  std::unique_ptr<Timer> menuTimer_;
};

}  // namespace velmora
