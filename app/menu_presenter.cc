#include "app/menu_presenter.h"

#include <utility>

#include "clock/uptime.h"
#include "ui/title_model.h"

namespace velmora {

constexpr double kMenuTick = 1.0;
// The open menu's seconds may tick this much late without looking uneven.
constexpr double kMenuTickTolerance = 0.1;

MenuPresenter::MenuPresenter(EventLoop& loop, WallClock& clock, LoginItem& loginItem,
                             Notifier& notifier, const SessionMemory& memory,
                             const HistoryKeeper& history)
    : loop_(loop),
      clock_(clock),
      loginItem_(loginItem),
      notifier_(notifier),
      memory_(memory),
      history_(history) {}

void MenuPresenter::show(std::unique_ptr<StatusItem> item) {
  statusItem_ = std::move(item);
}

bool MenuPresenter::drawable() const {
  return statusItem_ && statusItem_->hasButton();
}

void MenuPresenter::update(DetectionResult pass, std::optional<double> since) {
  if (!drawable()) return;
  std::vector<TitleRun> title = titleRuns(pass.info);
  if (title != shownTitle_) {
    statusItem_->setTitle(title);
    shownTitle_ = std::move(title);
  }
  std::string label = titleAccessibilityLabel(pass.info);
  if (label != shownLabel_) {
    statusItem_->setAccessibilityLabel(label);
    shownLabel_ = std::move(label);
  }
  lastPass_ = std::move(pass);
  lastSince_ = since;
  // Its answer shows through the change handler, a little later.
  notifier_.readStatus();
  if (open_) {
    stale_ = true;
  } else {
    rebuild();
  }
}

void MenuPresenter::buildMenu() {
  if (!drawable()) return;
  if (!open_) return rebuild();
  shownLoginItem_ = loginItem_.status();
  shownNotifications_ = notifier_.status();
  shownHistory_ = history_.view();
  refreshOpenMenu();
}

void MenuPresenter::rebuild() {
  stale_ = false;
  shown_ = {lastPass_, lastSince_, memory_.listedTimes(), memory_.recent()};
  shownLoginItem_ = loginItem_.status();
  shownNotifications_ = notifier_.status();
  shownHistory_ = history_.view();
  std::vector<MenuEntry> entries = entriesNow();
  if (entries == shownEntries_) return;
  if (differOnlyInTimes(shownEntries_, entries)) {
    statusItem_->updateMenu(entries);
  } else {
    statusItem_->setMenu(entries);
  }
  shownEntries_ = std::move(entries);
}

std::vector<MenuEntry> MenuPresenter::entriesNow() const {
  const double now = clock_.now();
  const SessionInfo& info = shown_.pass.info;
  MenuInputs in{.info = info};
  if (info.running && shown_.since) in.uptime = fmtUptime(*shown_.since, now);
  in.windowsUnreadable = shown_.pass.windowsUnreadable;
  in.loginItem = shownLoginItem_;
  in.notifications = shownNotifications_;
  in.sessionTimes = shown_.times;
  in.now = now;
  in.ended = shown_.ended;
  in.history = &shownHistory_;
  return menuEntries(in);
}

void MenuPresenter::refreshOpenMenu() {
  std::vector<MenuEntry> entries = entriesNow();
  if (!sameRows(shownEntries_, entries)) {
    stale_ = true;
    return;
  }
  statusItem_->updateMenu(entries);
  shownEntries_ = std::move(entries);
}

void MenuPresenter::menuWillOpen() {
  open_ = true;
  if (!drawable()) return;
  notifier_.readStatus();
  refreshOpenMenu();
  // The handle stops the timer when it goes, so the task may hold the presenter itself.
  menuTimer_ = loop_.scheduleMenuTimer(kMenuTick, kMenuTickTolerance, [this] {
    if (drawable()) refreshOpenMenu();
  });
}

void MenuPresenter::menuDidClose() {
  open_ = false;
  menuTimer_.reset();
  if (stale_ && drawable()) rebuild();
}

}  // namespace velmora
