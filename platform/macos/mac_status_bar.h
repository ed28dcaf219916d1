// The status-bar port on NSStatusBar, NSStatusItem and NSMenu.
#pragma once

#include "ui/status_item.h"

namespace velmora::mac {

// Items live in the system status bar. Each menu item that has an action sends it to a small
// Objective-C target that hands its MenuEntry to the item's MenuChoice; the targets are kept
// alive by the menu they belong to. The menu's delegate reports its opening and closing (the
// close after the chosen row's action) and keeps the highlighted row readable. A row's
// secondary text follows a tab, right-aligned at one tab stop for the menu, placed from the
// fonts' measured widths with room for the widest time. An open menu is changed only in place,
// row by row (updateMenu).
class MacStatusBar final : public StatusBar {
 public:
  std::unique_ptr<StatusItem> createStatusItem(MenuChoice onChoose,
                                               MenuTracking onTracking) override;
};

}  // namespace velmora::mac
