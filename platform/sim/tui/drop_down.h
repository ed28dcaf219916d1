// The tracker's menu as a drop-down below velmora-sim's bar: whether it is open, the highlight
// (only on enabled items, and on the same item when the menu is rebuilt under it), and its box
// drawn over the panels, scrolled with the highlight when the menu is taller than the screen.
// It keeps no copy of the menu: it reads the entries it was given at every call.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/sim/terminal/screen.h"
#include "platform/sim/terminal/sgr.h"
#include "ui/menu_model.h"

namespace velmora::sim {

class DropDown {
 public:
  // `menu` is read at every call and outlives the drop-down.
  explicit DropDown(const std::vector<MenuEntry>& menu) : menu_(menu) {}

  // The drop-down's place on the screen: rows [top, bottom), columns from `left`.
  struct Box {
    int top = 0;
    int bottom = 0;
    int left = 0;
  };

  [[nodiscard]] bool isOpen() const { return open_; }
  // Opens it with the highlight on the first enabled item.
  void open();
  // Closes it; returns whether it was open.
  bool close();
  // Moves the highlight `step` enabled items down (negative: up), round the ends.
  void move(int step);
  // The highlighted entry while open, when there is one (a menu of no enabled item has none).
  [[nodiscard]] const MenuEntry* highlighted() const;
  // The menu was rebuilt (every refresh): the highlight stays on the item of the same title, so
  // that Enter never chooses a row that moved into its place; without one it starts again.
  void menuChanged();

  // Draws the open drop-down from `column` on rows [top, bottom) of `screen`, entries styled in
  // `depth`; returns where it is.
  Box draw(Screen& screen, int top, int bottom, int column, ColorDepth depth) const;

 private:
  [[nodiscard]] bool selectable(std::size_t index) const;
  [[nodiscard]] Spans entryRow(std::size_t index, int inner, int keyWidth, ColorDepth depth) const;

  const std::vector<MenuEntry>& menu_;
  bool open_ = false;
  std::size_t highlight_ = 0;
  std::string highlightedTitle_;  // to find the item again in a rebuilt menu
  mutable std::size_t top_ = 0;   // the first row shown when the menu scrolls
};

}  // namespace velmora::sim
