#include "platform/sim/tui/drop_down.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <utility>

#include "app/config.h"
#include "platform/sim/output/visible_text.h"
#include "text/text.h"

namespace velmora::sim {
namespace {

// The entry's title as visible text; a checked row gets its check mark before the title, where a
// Mac draws it.
std::string entryText(const MenuEntry& e) {
  return (e.checked ? "\u2713 " : "") + visibleText(e.title);
}

constexpr const char* kBold = "\x1b[1m";
constexpr const char* kDim = "\x1b[2m";
constexpr const char* kInverse = "\x1b[7m";
constexpr Color kGreyedColor{Color::Kind::kRgb, 120 / 255.0, 120 / 255.0, 120 / 255.0, 1.0};

// What a row shows at its right: its key equivalent, or its secondary text (a session's time),
// or a mark for its submenu, which the drop-down does not open.
std::string keyLabel(const MenuEntry& e) {
  if (e.keyEquivalent.empty()) {
    if (!e.detail.empty()) return visibleText(e.detail);
    return e.submenu.empty() ? "" : "\u25b8";
  }
  std::string key = e.keyEquivalent;
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return "\u2318" + key;
}

std::string entryStyle(const MenuEntry& e, ColorDepth depth) {
  std::string sgr;
  if (!e.enabled) sgr += foregroundSgr(kGreyedColor, depth);
  switch (e.style) {
    case MenuStyle::kHeader:
      sgr += kBold;
      break;
    case MenuStyle::kBackground:
    case MenuStyle::kUptime:
      sgr += kDim;
      break;
    case MenuStyle::kQuitClient:
      sgr += foregroundSgr(kSystemRed, depth);
      break;
    case MenuStyle::kSession:
    case MenuStyle::kPlain:
      break;
  }
  return sgr;
}

}  // namespace

bool DropDown::selectable(std::size_t index) const {
  return index < menu_.size() && !menu_[index].separator && menu_[index].enabled;
}

void DropDown::open() {
  open_ = true;
  highlight_ = menu_.size() - 1 + menu_.empty();  // so the first step lands on the first item
  highlightedTitle_.clear();
  move(+1);
}

bool DropDown::close() {
  return std::exchange(open_, false);
}

void DropDown::move(int step) {
  const auto n = static_cast<int>(menu_.size());
  if (n == 0) return;
  int i = static_cast<int>(std::min(highlight_, menu_.size() - 1));
  for (int tries = 0; tries < n; ++tries) {
    i = (i + step + n) % n;
    if (selectable(static_cast<std::size_t>(i))) {
      highlight_ = static_cast<std::size_t>(i);
      highlightedTitle_ = menu_[highlight_].title;
      return;
    }
  }
}

const MenuEntry* DropDown::highlighted() const {
  return open_ && selectable(highlight_) ? &menu_[highlight_] : nullptr;
}

void DropDown::menuChanged() {
  if (!open_) return;
  for (std::size_t i = 0; i < menu_.size(); ++i) {
    if (selectable(i) && menu_[i].title == highlightedTitle_) {
      highlight_ = i;
      return;
    }
  }
  open();
}

// One row between the borders: ` title   ⌘K ` in the entry's style.
Spans DropDown::entryRow(std::size_t index, int inner, int keyWidth, ColorDepth depth) const {
  const MenuEntry& e = menu_[index];
  std::string style = entryStyle(e, depth);
  if (open_ && index == highlight_) style = kInverse + style;
  std::string key = keyLabel(e);
  int keyPart = key.empty() ? 0 : keyWidth + 2;
  if (inner - 2 - keyPart < 1) {
    key.clear();
    keyPart = 0;
  }
  const FittedSpans title =
      fitSpans({{entryText(e), style}}, static_cast<std::size_t>(std::max(0, inner - 2 - keyPart)));
  Spans row{{"\u2502", ""}, {" ", style}};
  row.insert(row.end(), title.spans.begin(), title.spans.end());
  const int used = 1 + static_cast<int>(title.width) + (key.empty() ? 0 : widthOf(key));
  row.push_back({std::string(static_cast<std::size_t>(std::max(0, inner - used - 1)), ' '), style});
  if (!key.empty()) row.push_back({key, style});
  row.push_back({" ", style});
  row.push_back({"\u2502", ""});
  return row;
}

// When the menu is taller than the rows, a window of its rows that holds the highlight.
DropDown::Box DropDown::draw(Screen& screen, int top, int bottom, int column,
                             ColorDepth depth) const {
  const int columns = screen.columns();
  int inner = 0;
  int keyWidth = 0;
  for (const MenuEntry& e : menu_) {
    if (e.separator) continue;
    const int key = widthOf(keyLabel(e));
    keyWidth = std::max(keyWidth, key);
    const auto title = fitSpans({{entryText(e), ""}}, static_cast<std::size_t>(columns));
    inner = std::max(inner, static_cast<int>(title.width) + 2 + (key == 0 ? 0 : key + 2));
  }
  const int boxWidth = std::min(inner + 2, columns);
  inner = boxWidth - 2;
  column = std::clamp(column, 0, columns - boxWidth);

  const int rows = bottom - top;
  const std::size_t shown = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(rows - 2, 1)),
                                                    1, std::max<std::size_t>(menu_.size(), 1));
  if (open_ && highlight_ < top_) top_ = highlight_;
  if (open_ && highlight_ >= top_ + shown) top_ = highlight_ + 1 - shown;
  top_ = std::min(top_, menu_.size() - std::min(shown, menu_.size()));

  const auto border = [&](const char* left, const char* right, bool more, const char* arrow) {
    std::string line = left;
    for (int i = 0; i < inner; ++i) line += (more && i == 1) ? arrow : "\u2500";
    return Spans{{line + right, ""}};
  };
  std::vector<Spans> lines;
  lines.push_back(border("\u250c", "\u2510", top_ > 0, "\u25b2"));
  for (std::size_t i = top_; i < menu_.size() && i < top_ + shown; ++i) {
    lines.push_back(menu_[i].separator ? Spans{{"\u251c" + repeat("\u2500", inner) + "\u2524", ""}}
                                       : entryRow(i, inner, keyWidth, depth));
  }
  lines.push_back(border("\u2514", "\u2518", top_ + shown < menu_.size(), "\u25bc"));
  // Too few rows for the borders: the rows themselves come first.
  if (static_cast<int>(lines.size()) > rows) lines.erase(lines.begin());
  if (static_cast<int>(lines.size()) > rows) lines.pop_back();
  int row = top;
  for (const Spans& line : lines) screen.put(row++, column, boxWidth, line);
  return Box{top, row, column};
}

}  // namespace velmora::sim
