#include "app/menu_presenter.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "clock/uptime.h"
#include "ui/title_model.h"

namespace velmora {

constexpr double kMenuTick = 1.0;
// The open menu's seconds may tick this much late without looking uneven.
constexpr double kMenuTickTolerance = 0.1;

MenuPresenter::MenuPresenter(EventLoop& loop, WallClock& clock, LoginItem& loginItem,
                             Notifier& notifier, const SessionMemory& memory)
    : loop_(loop), clock_(clock), loginItem_(loginItem), notifier_(notifier), memory_(memory) {}

void MenuPresenter::show(std::unique_ptr<StatusItem> item) {
  statusItem_ = std::move(item);
}

bool MenuPresenter::drawable() const {
  return statusItem_ && statusItem_->hasButton();
}

namespace {

// Whether `b` has the rows of `a`, each the same but for the times that updateMenuTimes sets
// (a session row's detail, the uptime row's title).
bool sameRowsBesideTimes(const std::vector<MenuEntry>& a, const std::vector<MenuEntry>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const MenuEntry& x, MenuEntry y) {
    if (x.style == MenuStyle::kUptime && y.style == MenuStyle::kUptime) {
      y.title = x.title;
    } else if (x.action == MenuAction::kSessionClicked) {
      y.detail = x.detail;
    }
    return x == y;
  });
}

}  // namespace

// Each platform write makes a Mac redraw the item (or lay out the menu again): only what
// changed is written.
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
  shownPass_ = std::move(pass);
  shownSince_ = since;
  buildMenu();
}

void MenuPresenter::buildMenu() {
  if (!drawable()) return;
  shownLoginItem_ = loginItem_.status();
  shownNotifications_ = notifier_.status();
  std::vector<MenuEntry> entries = menuEntries(menuInputs(clock_.now()));
  if (entries == shownMenu_) return;
  if (sameRowsBesideTimes(shownMenu_, entries)) {
    // Only the times moved: retitled in place, the menu is not built again.
    statusItem_->updateMenuTimes(entries);
  } else {
    statusItem_->setMenu(entries);
  }
  shownMenu_ = std::move(entries);
}

MenuInputs MenuPresenter::menuInputs(double now) const {
  const SessionInfo& info = shownPass_.info;
  MenuInputs in{.info = info};
  if (info.running && shownSince_) in.uptime = fmtUptime(*shownSince_, now);
  in.windowsUnreadable = shownPass_.windowsUnreadable;
  in.loginItem = shownLoginItem_;
  in.notifications = shownNotifications_;
  in.sessionTimes = memory_.listedTimes();
  in.now = now;
  in.ended = memory_.recent();
  return in;
}

void MenuPresenter::menuWillOpen() {
  // The handle stops the timer when it goes, so the task may hold the presenter itself.
  menuTimer_ = loop_.scheduleMenuTimer(kMenuTick, kMenuTickTolerance, [this] { tick(); });
}

void MenuPresenter::menuDidClose() {
  menuTimer_.reset();
}

void MenuPresenter::tick() {
  if (drawable()) statusItem_->updateMenuTimes(menuEntries(menuInputs(clock_.now())));
}

}  // namespace velmora
