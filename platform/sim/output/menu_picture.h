// The status item and its open menu as a Mac draws them in the light appearance, as an SVG
// picture: the menu-bar strip with the highlighted item, the rounded menu with its separators,
// check marks, key equivalents (⌘D), right-aligned time column and submenu arrows, and the first
// submenu open beside its highlighted row. Drawn from the title runs and menu entries the
// tracker hands its status item, so the picture cannot tell another story than the menu.
//
// Vector only (no bitmap), in the system font stack. Text widths are estimated from display
// columns (no font metrics here): a menu is at least as wide as its widest row needs; the
// right-hand texts are anchored at the menu's right edge, so they line up in any font. Every text
// is shown as visibleText shows it (controls as \u{XX}) and escaped for XML, since titles come
// from the remote side.
#pragma once

#include <string>
#include <vector>

#include "ui/menu_model.h"
#include "ui/title_model.h"

namespace velmora::sim {

// The whole SVG document, ending in a line feed. An empty `menu` draws the strip alone.
[[nodiscard]] std::string menuPictureSvg(const std::vector<TitleRun>& title,
                                         const std::vector<MenuEntry>& menu);

// `s` as XML character data or attribute value: visibleText's form with &, <, >, " and '
// escaped.
[[nodiscard]] std::string xmlText(const std::string& s);

}  // namespace velmora::sim
