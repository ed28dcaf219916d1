#include "platform/sim/desktop/sim_status_bar.h"

#include <utility>

namespace velmora::sim {

class SimStatusBar::Item final : public StatusItem {
 public:
  Item(SimStatusBar& bar, bool hasButton) : bar_(bar), hasButton_(hasButton) {}
  bool hasButton() override { return hasButton_; }
  void setTitle(const std::vector<TitleRun>& runs) override {
    bar_.title_ = runs;
    if (bar_.counts_ != nullptr) ++bar_.counts_->titleWrites;
    bar_.observer_.onTitle(runs);
  }
  void setAccessibilityLabel(const std::string& label) override {
    bar_.accessibilityLabel_ = label;
  }
  void setMenu(const std::vector<MenuEntry>& entries) override {
    bar_.menu_ = entries;
    if (bar_.counts_ != nullptr) ++bar_.counts_->menuBuilds;
    bar_.observer_.onMenu(entries);
  }
  void updateMenuTimes(const std::vector<MenuEntry>& entries) override {
    std::vector<MenuEntry>& menu = bar_.menu_;
    for (std::size_t i = 0; i < menu.size() && i < entries.size(); ++i) {
      if (menu[i].action == MenuAction::kSessionClicked || menu[i].style == MenuStyle::kUptime) {
        menu[i].title = entries[i].title;
        menu[i].detail = entries[i].detail;
      }
    }
    bar_.observer_.onMenuTick(menu);
  }

 private:
  SimStatusBar& bar_;
  bool hasButton_;
};

std::unique_ptr<StatusItem> SimStatusBar::createStatusItem(MenuChoice onChoose,
                                                           MenuTracking onTracking) {
  onChoose_ = std::move(onChoose);
  onTracking_ = std::move(onTracking);
  return std::make_unique<Item>(*this, itemsHaveButton_);
}

std::optional<MenuEntry> SimStatusBar::findEnabled(std::string_view title) const {
  for (const MenuEntry& e : menu_) {
    if (!e.separator && e.enabled && e.title == title) return e;
  }
  // Then the submenus' entries ("Recently Ended").
  for (const MenuEntry& e : menu_) {
    for (const MenuEntry& s : e.submenu) {
      if (!s.separator && s.enabled && s.title == title) return s;
    }
  }
  return std::nullopt;
}

std::optional<MenuEntry> SimStatusBar::findKey(std::string_view key) const {
  for (const MenuEntry& e : menu_) {
    if (!e.separator && e.enabled && !key.empty() && e.keyEquivalent == key) return e;
  }
  return std::nullopt;
}

void SimStatusBar::choose(const MenuEntry& entry) {
  if (onChoose_) onChoose_(entry);
}

void SimStatusBar::setMenuOpen(bool open) {
  if (std::exchange(menuOpen_, open) != open && onTracking_) onTracking_(open);
}

}  // namespace velmora::sim
