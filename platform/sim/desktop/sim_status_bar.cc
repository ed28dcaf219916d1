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
  // As a Mac does, an open menu that is replaced closes under the user's pointer.
  void setMenu(const std::vector<MenuEntry>& entries) override {
    bar_.menu_ = entries;
    if (bar_.counts_ != nullptr) ++bar_.counts_->menuBuilds;
    bar_.observer_.onMenu(entries);
    if (bar_.menuOpen_) bar_.closeMenu("replaced");
  }
  void updateMenu(const std::vector<MenuEntry>& entries) override {
    std::vector<MenuEntry>& menu = bar_.menu_;
    if (!sameRows(menu, entries)) return;
    for (const std::size_t i : changedRows(menu, entries)) menu[i] = entries[i];
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

// As on a Mac, choosing a row closes the menu; its owner hears of the close after the action.
void SimStatusBar::choose(const MenuEntry& entry) {
  if (onChoose_) onChoose_(entry);
  setMenuOpen(false);
}

void SimStatusBar::closeMenu(const std::string& why) {
  observer_.onMenuClosed(why);
  setMenuOpen(false);
}

// The one owner of whether the menu is open: the observers and the item's owner hear each change.
void SimStatusBar::setMenuOpen(bool open) {
  if (std::exchange(menuOpen_, open) == open) return;
  observer_.onMenuOpen(open);
  if (onTracking_) onTracking_(open);
}

}  // namespace velmora::sim
