// The simulated status bar: holds the one item's current title and menu for the driver to show,
// and lets the driver choose an entry as a user would.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/desktop/mac_counts.h"
#include "platform/sim/desktop/sim_observer.h"
#include "ui/status_item.h"

namespace velmora::sim {

class SimStatusBar final : public StatusBar {
 public:
  explicit SimStatusBar(SimObserver& observer) : observer_(observer) {}

  std::unique_ptr<StatusItem> createStatusItem(MenuChoice onChoose,
                                               MenuTracking onTracking) override;

  // From now on every title written and every menu replaced is counted in `counts`.
  void countIn(MacCounts& counts) { counts_ = &counts; }

  // When false, items are created without a button (the tracker then draws nothing).
  void setItemsHaveButton(bool hasButton) { itemsHaveButton_ = hasButton; }

  [[nodiscard]] const std::vector<TitleRun>& title() const { return title_; }
  [[nodiscard]] const std::vector<MenuEntry>& menu() const { return menu_; }
  // What VoiceOver would say for the item.
  [[nodiscard]] const std::string& accessibilityLabel() const { return accessibilityLabel_; }

  // The first enabled entry whose displayed title is exactly `title`.
  [[nodiscard]] std::optional<MenuEntry> findEnabled(std::string_view title) const;
  // The first enabled entry with this key equivalent.
  [[nodiscard]] std::optional<MenuEntry> findKey(std::string_view key) const;
  // Hands `entry` to the item's owner as the user's choice; the menu then closes, as a Mac's does.
  void choose(const MenuEntry& entry);
  // The user opens or closes the menu; the observers, then the item's owner, hear of a change
  // only.
  void setMenuOpen(bool open);
  [[nodiscard]] bool menuOpen() const { return menuOpen_; }

 private:
  class Item;
  friend class Item;
  // The platform closes the open menu, for `why`, and tells the item's owner.
  void closeMenu(const std::string& why);

  SimObserver& observer_;
  bool itemsHaveButton_ = true;
  MenuChoice onChoose_;
  MenuTracking onTracking_;
  bool menuOpen_ = false;
  std::vector<TitleRun> title_;
  std::string accessibilityLabel_;
  std::vector<MenuEntry> menu_;
  MacCounts* counts_ = nullptr;
};

}  // namespace velmora::sim
