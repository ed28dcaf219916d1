// Port to the system status bar: one variable-length item with a styled title and a menu.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/menu_model.h"
#include "ui/title_model.h"

namespace velmora {

class StatusItem {
 public:
  virtual ~StatusItem() = default;

  // False when the platform gave the item no button; then nothing can be drawn.
  [[nodiscard]] virtual bool hasButton() = 0;
  // Replaces the whole title by these runs, in order.
  virtual void setTitle(const std::vector<TitleRun>& runs) = 0;
  // Replaces what assistive technologies (VoiceOver) say for the item; the title is unchanged.
  virtual void setAccessibilityLabel(const std::string& label) = 0;
  // Replaces the whole menu; no entry of an earlier menu is reused. Only while the menu is closed:
  // a platform closes an open menu that is replaced, or leaves it blank.
  virtual void setMenu(const std::vector<MenuEntry>& entries) = 0;
  // Brings the menu shown to `entries`, which has its rows (sameRows), in place: only the rows
  // that changedRows names are assigned, the rest and the menu's structure stay, so an open menu
  // keeps its highlight and layout. Nothing when the rows differ.
  virtual void updateMenu(const std::vector<MenuEntry>& entries) = 0;
};

// Called on the main thread with the entry the user chose (an enabled item with an action).
using MenuChoice = std::function<void(const MenuEntry&)>;
// Called on the main thread when the menu opens (true) and when it closes (false).
using MenuTracking = std::function<void(bool open)>;

class StatusBar {
 public:
  virtual ~StatusBar() = default;
  // A new item whose width follows its content; it stays in the bar while it is owned.
  [[nodiscard]] virtual std::unique_ptr<StatusItem> createStatusItem(MenuChoice onChoose,
                                                                     MenuTracking onTracking) = 0;
};

}  // namespace velmora
