#include "platform/sim/terminal_ui.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/config.h"
#include "platform/sim/visible_text.h"
#include "text/text.h"

namespace velmora::sim {
namespace {

constexpr std::size_t kLogLines = 8;
constexpr const char* kBold = "\x1b[1m";
constexpr const char* kDim = "\x1b[2m";
constexpr const char* kInverse = "\x1b[7m";
constexpr Color kBarColor{Color::Kind::kRgb, 36 / 255.0, 36 / 255.0, 40 / 255.0, 1.0};
constexpr Color kGreyedColor{Color::Kind::kRgb, 120 / 255.0, 120 / 255.0, 120 / 255.0, 1.0};
constexpr const char* kBarName = " Velmora desktop (simulated)";
// Below this many columns the bar's name is left out rather than cut to nothing.
constexpr std::size_t kShortestBarName = 10;

// Longest first; the longest that fits is shown.
constexpr const char* kHelpLines[] = {
    " Enter/Space: menu  Up/Down: move  Esc: close  d r q: shortcuts  Ctrl-C: leave",
    " Enter: menu  Up/Down: move  Esc: close  q: quit",
    " Enter: menu  q: quit",
};

std::string repeat(std::string_view s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

int widthOf(std::string_view visible) {
  return static_cast<int>(text::displayWidth(visible));
}

std::string keyLabel(const MenuEntry& e) {
  if (e.keyEquivalent.empty()) return "";
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

std::string timeLabel(double seconds) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%7.1fs", seconds);
  return buffer;
}

// The terminal's clipboard gets the report with every line shown visibly: pasted into a
// shell, a title's escape sequences (one that ends a bracketed paste, say) would act there.
std::string visibleLines(std::string_view text) {
  std::string out;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    out += visibleText(text.substr(start, end - start));
    if (end < text.size()) out += '\n';
    start = end + 1;
  }
  return out;
}

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

std::string clipboardSequence(std::string_view text) {
  std::string encoded;
  std::size_t i = 0;
  for (; i + 2 < text.size(); i += 3) {
    const unsigned v = static_cast<unsigned char>(text[i]) << 16 |
                       static_cast<unsigned char>(text[i + 1]) << 8 |
                       static_cast<unsigned char>(text[i + 2]);
    encoded += {kBase64[v >> 18], kBase64[(v >> 12) & 63], kBase64[(v >> 6) & 63], kBase64[v & 63]};
  }
  if (i + 1 == text.size()) {
    const unsigned v = static_cast<unsigned char>(text[i]) << 16;
    encoded += {kBase64[v >> 18], kBase64[(v >> 12) & 63], '=', '='};
  } else if (i + 2 == text.size()) {
    const unsigned v =
        static_cast<unsigned char>(text[i]) << 16 | static_cast<unsigned char>(text[i + 1]) << 8;
    encoded += {kBase64[v >> 18], kBase64[(v >> 12) & 63], kBase64[(v >> 6) & 63], '='};
  }
  return "\x1b]52;c;" + encoded + "\x07";
}

TerminalUi::TerminalUi(ColorDepth depth)
    : depth_(depth), barStyle_(backgroundSgr(kBarColor, depth)) {}

void TerminalUi::log(const std::string& line) {
  log_.push_back(timeLabel(time_) + "  " + visibleText(line));
  while (log_.size() > kLogLines) log_.pop_front();
}

void TerminalUi::onTitle(const std::vector<TitleRun>& runs) {
  title_.clear();
  for (const TitleRun& r : runs) {
    std::string style = foregroundSgr(r.color, depth_);
    if (r.weight != FontWeight::kRegular) style += kBold;
    title_.push_back({visibleText(r.text), style + barStyle_});
  }
}

void TerminalUi::onMenu(const std::vector<MenuEntry>& entries) {
  // The menu is rebuilt under an open drop-down every refresh; the highlight stays on the same
  // item so that Enter never chooses a row that moved into its place.
  const std::string highlighted = selectable(highlight_) ? menu_[highlight_].title : "";
  menu_ = entries;
  menuText_.clear();
  for (const MenuEntry& e : menu_) menuText_.push_back(visibleText(e.title));
  if (!open_) return;
  for (std::size_t i = 0; i < menu_.size(); ++i) {
    if (selectable(i) && menu_[i].title == highlighted) {
      highlight_ = i;
      return;
    }
  }
  openMenu();
}

void TerminalUi::onRaise(const std::string& name) {
  log("raised windows named \"" + name + "\"");
}

void TerminalUi::onActivate(int32_t pid, unsigned options) {
  log("activated Windows App (pid " + std::to_string(pid) + ", options " + std::to_string(options) +
      ")");
}

void TerminalUi::onTerminate(int32_t pid) {
  log("asked Windows App (pid " + std::to_string(pid) + ") to quit");
}

void TerminalUi::onPasteboard(const std::string& text) {
  pending_ += clipboardSequence(visibleLines(text));
  log("copied the debug report (" + std::to_string(text.size()) + " bytes) to the clipboard");
}

void TerminalUi::onOpenUrl(const std::string& url) {
  log("asked to open " + url);
}

void TerminalUi::onChoice(const std::string& kind, const std::string& choice,
                          const std::string& error) {
  if (!error.empty()) log(kind + " \"" + choice + "\": " + error);
}

std::string TerminalUi::takePendingOutput() {
  return std::exchange(pending_, {});
}

bool TerminalUi::selectable(std::size_t index) const {
  return index < menu_.size() && !menu_[index].separator && menu_[index].enabled;
}

void TerminalUi::moveHighlight(int step) {
  const auto n = static_cast<int>(menu_.size());
  if (n == 0) return;
  int i = static_cast<int>(std::min(highlight_, menu_.size() - 1));
  for (int tries = 0; tries < n; ++tries) {
    i = (i + step + n) % n;
    if (selectable(static_cast<std::size_t>(i))) {
      highlight_ = static_cast<std::size_t>(i);
      return;
    }
  }
}

void TerminalUi::openMenu() {
  open_ = true;
  highlight_ = menu_.size() - 1 + menu_.empty();  // so the first step lands on the first item
  moveHighlight(+1);
}

void TerminalUi::choose(const MenuEntry& entry, Outcome& outcome) {
  open_ = false;
  outcome.chosen = entry;
  outcome.redraw = true;
  log("chose \"" + entry.title + "\"");
}

void TerminalUi::press(const KeyPress& key, Outcome& outcome) {
  using Kind = KeyPress::Kind;
  switch (key.kind) {
    case Kind::kUp:
    case Kind::kDown:
      if (!open_) return;
      moveHighlight(key.kind == Kind::kUp ? -1 : +1);
      outcome.redraw = true;
      return;
    case Kind::kEnter:
    case Kind::kSpace:
      if (!open_) {
        openMenu();
        outcome.redraw = true;
      } else if (key.kind == Kind::kEnter && selectable(highlight_)) {
        choose(menu_[highlight_], outcome);
      }
      return;
    case Kind::kEscape:
      outcome.redraw |= std::exchange(open_, false);
      return;
    case Kind::kCharacter:
      for (const MenuEntry& e : menu_) {
        if (!e.separator && e.enabled && e.keyEquivalent == std::string(1, key.character)) {
          choose(e, outcome);
          return;
        }
      }
      return;
    case Kind::kNone:
      return;
  }
}

TerminalUi::Outcome TerminalUi::onKeys(std::string& input) {
  Outcome outcome;
  std::size_t used = 0;
  while (!outcome.chosen) {
    const std::optional<KeyPress> key = nextKey(std::string_view(input).substr(used));
    if (!key) break;
    used += key->length;
    press(*key, outcome);
  }
  input.erase(0, used);
  return outcome;
}

TerminalUi::Outcome TerminalUi::onUnfinishedKey(std::string& input) {
  Outcome outcome;
  if (!input.empty()) press(unfinishedKey(input), outcome);
  input.clear();
  return outcome;
}

// The menu-bar line: the tracker's title at the right, before the clock; the bar's name at
// the left where there is room. A title too wide for the line is cut, never pushed off.
int TerminalUi::drawBar(Screen& screen) const {
  const int columns = screen.columns();
  const FittedSpans title = fitSpans(title_, static_cast<std::size_t>(columns));
  const std::string clock = "  " + timeLabel(time_) + " ";
  const int titleWidth = static_cast<int>(title.width);
  const bool withClock = titleWidth + widthOf(clock) < columns;
  const int right = withClock ? columns - widthOf(clock) : columns;
  const int titleColumn = right - titleWidth;
  Spans name;
  if (titleColumn > static_cast<int>(kShortestBarName)) {
    name = fitSpans({{kBarName, barStyle_}}, static_cast<std::size_t>(titleColumn - 1)).spans;
  }
  screen.put(0, 0, titleColumn, name, barStyle_);
  screen.put(0, titleColumn, titleWidth, title.spans);
  if (withClock) screen.put(0, right, columns - right, {{clock, barStyle_}}, barStyle_);
  return titleColumn;
}

// One row of the drop-down between its borders: ` title   ⌘K ` in the entry's style.
Spans TerminalUi::menuRow(std::size_t index, int inner, int keyWidth) const {
  const MenuEntry& e = menu_[index];
  std::string style = entryStyle(e, depth_);
  if (open_ && index == highlight_) style = kInverse + style;
  std::string key = keyLabel(e);
  int keyPart = key.empty() ? 0 : keyWidth + 2;
  if (inner - 2 - keyPart < 1) {
    key.clear();
    keyPart = 0;
  }
  const FittedSpans title = fitSpans({{menuText_[index], style}},
                                     static_cast<std::size_t>(std::max(0, inner - 2 - keyPart)));
  Spans row{{"\u2502", ""}, {" ", style}};
  row.insert(row.end(), title.spans.begin(), title.spans.end());
  const int used = 1 + static_cast<int>(title.width) + (key.empty() ? 0 : widthOf(key));
  row.push_back({std::string(static_cast<std::size_t>(std::max(0, inner - used - 1)), ' '), style});
  if (!key.empty()) row.push_back({key, style});
  row.push_back({" ", style});
  row.push_back({"\u2502", ""});
  return row;
}

// The drop-down from `column` on rows [top, bottom); returns the first row below it. When it
// is taller than that, it shows a window of its rows that holds the highlight.
int TerminalUi::drawMenu(Screen& screen, int top, int bottom, int column) const {
  const int columns = screen.columns();
  int inner = 0;
  int keyWidth = 0;
  for (std::size_t i = 0; i < menu_.size(); ++i) {
    if (menu_[i].separator) continue;
    const int key = widthOf(keyLabel(menu_[i]));
    keyWidth = std::max(keyWidth, key);
    const auto title = fitSpans({{menuText_[i], ""}}, static_cast<std::size_t>(columns)).width;
    inner = std::max(inner, static_cast<int>(title) + 2 + (key == 0 ? 0 : key + 2));
  }
  const int boxWidth = std::min(inner + 2, columns);
  inner = boxWidth - 2;
  column = std::clamp(column, 0, columns - boxWidth);

  const int rows = bottom - top;
  const std::size_t shown = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(rows - 2, 1)),
                                                    1, std::max<std::size_t>(menu_.size(), 1));
  if (open_ && highlight_ < menuTop_) menuTop_ = highlight_;
  if (open_ && highlight_ >= menuTop_ + shown) menuTop_ = highlight_ + 1 - shown;
  menuTop_ = std::min(menuTop_, menu_.size() - std::min(shown, menu_.size()));

  const auto border = [&](const char* left, const char* right, bool more, const char* arrow) {
    std::string line = left;
    for (int i = 0; i < inner; ++i) line += (more && i == 1) ? arrow : "\u2500";
    return Spans{{line + right, ""}};
  };
  std::vector<Spans> lines;
  lines.push_back(border("\u250c", "\u2510", menuTop_ > 0, "\u25b2"));
  for (std::size_t i = menuTop_; i < menu_.size() && i < menuTop_ + shown; ++i) {
    lines.push_back(menu_[i].separator ? Spans{{"\u251c" + repeat("\u2500", inner) + "\u2524", ""}}
                                       : menuRow(i, inner, keyWidth));
  }
  lines.push_back(border("\u2514", "\u2518", menuTop_ + shown < menu_.size(), "\u25bc"));
  // Too few rows for the borders: the rows themselves come first.
  if (static_cast<int>(lines.size()) > rows) lines.erase(lines.begin());
  if (static_cast<int>(lines.size()) > rows) lines.pop_back();
  int row = top;
  for (const Spans& line : lines) screen.put(row++, column, boxWidth, line);
  return row;
}

// The newest log lines that fit on rows [top, bottom).
void TerminalUi::drawLog(Screen& screen, int top, int bottom) const {
  const auto fit = static_cast<std::size_t>(std::max(0, bottom - top));
  const std::size_t first = log_.size() > fit ? log_.size() - fit : 0;
  int row = top;
  for (std::size_t i = first; i < log_.size(); ++i) {
    screen.put(row++, 0, screen.columns(), {{log_[i], kDim}});
  }
}

void TerminalUi::drawHelp(Screen& screen) const {
  for (const char* help : kHelpLines) {
    // The bottom right cell stays empty (see Screen::render).
    if (widthOf(help) < screen.columns()) {
      screen.put(screen.rows() - 1, 0, screen.columns(), {{help, kDim}});
      return;
    }
  }
}

std::string TerminalUi::render(int columns, int rows) const {
  Screen screen(columns, rows);
  const int titleColumn = drawBar(screen);
  // The help line needs the bottom row, unless the screen is too short to spare it.
  const bool withHelp = screen.rows() >= 4;
  const int bottom = withHelp ? screen.rows() - 1 : screen.rows();
  int next = 1;
  if (open_) next = drawMenu(screen, 1, bottom, titleColumn);
  drawLog(screen, next + 1, bottom);
  if (withHelp) drawHelp(screen);
  return screen.render();
}

}  // namespace velmora::sim
