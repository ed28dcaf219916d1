#include "platform/sim/tui/terminal_ui.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <utility>

#include "app/config.h"
#include "platform/sim/desktop/sim_login_items.h"
#include "platform/sim/output/visible_text.h"
#include "text/text.h"

namespace velmora::sim {
namespace {

// Lines the event log keeps; the panel shows the newest that fit.
constexpr std::size_t kLogLines = 100;
// What each panel gets before any has more: its heading and a few lines (the client's first
// line is the tracker's settings).
constexpr int kFirstRows[] = {4, 4, 3};
// Event lines shown before the report gets the rest.
constexpr int kLogRows = 4;
constexpr const char* kBold = "\x1b[1m";
constexpr const char* kDim = "\x1b[2m";
constexpr Color kBarColor{Color::Kind::kRgb, 36 / 255.0, 36 / 255.0, 40 / 255.0, 1.0};
constexpr const char* kBarName = " Velmora desktop (simulated)";
// Below this many columns the bar's name is left out rather than cut to nothing.
constexpr std::size_t kShortestBarName = 10;

// Longest first; the first whose lines all fit, on as many rows as there are for it, is
// shown. Every one says how to quit. Play keys, panel keys and the menu's keys never overlap.
struct Help {
  const char* lines[2];  // the second may be missing
};
constexpr Help kHelp[] = {
    {" Play: s start/stop  o/c open/close session  f full-screen  p idle panel  b untitled  "
     "a/u refuse Accessibility/Automation  h hang  l login item  n notifications",
     " Menu: Enter/Space, Up/Down, Esc, d r   Panels: 1 client  2 report  3 events   "
     "PgUp/PgDn: scroll report   q: quit  Ctrl-C: leave"},
    // The panels' keys are on their headings.
    {" Play: s start/stop  o/c open/close  f full-screen  p idle  b untitled  h hang",
     " a/u refuse Accessibility/Automation  l login  n notify  Enter: menu  q: quit"},
    {" Enter: menu  s o c f p b a u h l n: play  1 2 3: panels  q: quit", nullptr},
    {" Enter: menu  s o c f p b a u h l n: play  q: quit", nullptr},
    {" Enter: menu  q: quit", nullptr},
    {" q quit  Enter menu", nullptr},
    {" q: quit", nullptr},
};

std::string timeLabel(double seconds) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%7.1fs", seconds);
  return buffer;
}

// The bar's clock: whole seconds, as wide as an event's time.
std::string clockLabel(double seconds) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%7.0fs", std::floor(seconds));
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

TerminalUi::TerminalUi(const Simulation& sim, ColorDepth depth)
    : sim_(sim),
      depth_(depth),
      barStyle_(backgroundSgr(kBarColor, depth)),
      dropDown_(sim.statusBar().menu()) {
  keepKeyed(sim.statusBar().menu());
}

void TerminalUi::logEvent(const std::string& text) {
  std::string line = visibleText(text);
  // The listing script runs at every refresh: one line that counts them.
  if (!log_.empty() && log_.back().text == line) {
    log_.back().time = now();
    ++log_.back().count;
    return;
  }
  log_.push_back({now(), std::move(line), 1});
  while (log_.size() > kLogLines) log_.pop_front();
}

// The drop-down reads the status bar's menu, rebuilt by now.
void TerminalUi::onMenu(const std::vector<MenuEntry>& entries) {
  dropDown_.menuChanged();
  keepKeyed(entries);
}

void TerminalUi::keepKeyed(const std::vector<MenuEntry>& entries) {
  keyed_.clear();
  for (const MenuEntry& e : entries) {
    if (!e.separator && e.enabled && !e.keyEquivalent.empty()) keyed_.push_back(e);
  }
}

void TerminalUi::onPasteboard(const std::string& text) {
  pending_ += clipboardSequence(visibleLines(text));
}

// The lines are made visible as they are drawn: a report of many windows is long.
void TerminalUi::onReport(const std::string& report, PassCause /*cause*/) {
  report_ = report;
  reportLines_.clear();
  for (std::size_t start = 0; start < report.size();) {
    const std::size_t end = std::min(report.find('\n', start), report.size());
    reportLines_.emplace_back(start, end - start);
    start = end + 1;
  }
}

void TerminalUi::onMenuOpen(bool open) {
  trackedOpen_ = open;
  if (open == dropDown_.isOpen()) return;
  if (open) {
    dropDown_.open();
  } else {
    (void)dropDown_.close();
  }
}

std::string TerminalUi::takePendingOutput() {
  return std::exchange(pending_, {});
}

void TerminalUi::choose(const MenuEntry& entry, Outcome& outcome) {
  (void)dropDown_.close();
  outcome.chosen = entry;
  outcome.redraw = true;
  logEvent("chose \"" + entry.title + "\"");
}

void TerminalUi::scrollReport(int pages) {
  const int step = std::max(1, reportRows_ - 1) * pages;
  const auto last = static_cast<long>(reportLines_.size()) - std::max(1, reportRows_);
  reportTop_ = static_cast<std::size_t>(
      std::clamp(static_cast<long>(reportTop_) + step, 0L, std::max(0L, last)));
}

void TerminalUi::press(const KeyPress& key, Outcome& outcome) {
  applyKey(key, outcome);
  if (menuTracking_ && dropDown_.isOpen() != trackedOpen_) {
    trackedOpen_ = dropDown_.isOpen();
    menuTracking_(trackedOpen_);
  }
}

void TerminalUi::applyKey(const KeyPress& key, Outcome& outcome) {
  using Kind = KeyPress::Kind;
  switch (key.kind) {
    case Kind::kUp:
    case Kind::kDown:
      if (!dropDown_.isOpen()) return;
      dropDown_.move(key.kind == Kind::kUp ? -1 : +1);
      outcome.redraw = true;
      return;
    case Kind::kEnter:
    case Kind::kSpace:
      if (!dropDown_.isOpen()) {
        dropDown_.open();
        outcome.redraw = true;
      } else if (const MenuEntry* e = dropDown_.highlighted(); e && key.kind == Kind::kEnter) {
        choose(*e, outcome);
      }
      return;
    case Kind::kEscape:
      outcome.redraw |= dropDown_.close();
      return;
    case Kind::kPageUp:
    case Kind::kPageDown:
      scrollReport(key.kind == Kind::kPageUp ? -1 : +1);
      outcome.redraw = true;
      return;
    case Kind::kCharacter:
      if (const MenuEntry* e = entryWithKey(key.character)) {
        choose(*e, outcome);
        return;
      }
      if (key.character >= '1' && key.character <= '3') {
        bool& shown = shown_[key.character - '1'];
        shown = !shown;
        outcome.redraw = true;
      } else if ((outcome.play = playActionForKey(key.character))) {
        outcome.redraw = true;
      }
      return;
    case Kind::kNone:
      return;
  }
}

TerminalUi::Outcome TerminalUi::onKeys(std::string& input) {
  std::size_t used = 0;
  Outcome outcome = onKeys(input, used);
  input.erase(0, used);
  return outcome;
}

TerminalUi::Outcome TerminalUi::onKeys(std::string_view input, std::size_t& at) {
  Outcome outcome;
  while (!outcome.chosen && !outcome.play) {
    const std::optional<KeyPress> key = nextKey(input.substr(std::min(at, input.size())));
    if (!key) break;
    at += key->length;
    press(*key, outcome);
  }
  return outcome;
}

const MenuEntry* TerminalUi::entryWithKey(char key) const {
  for (const MenuEntry& e : keyed_) {
    if (e.keyEquivalent.size() == 1 && e.keyEquivalent[0] == key) return &e;
  }
  return nullptr;
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
  Spans runs;
  for (const TitleRun& r : sim_.statusBar().title()) {
    std::string style = foregroundSgr(r.color, depth_);
    if (r.weight != FontWeight::kRegular) style += kBold;
    runs.push_back({visibleText(r.text), style + barStyle_});
  }
  const FittedSpans title = fitSpans(runs, static_cast<std::size_t>(columns));
  const std::string clock = "  " + clockLabel(now()) + " ";
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

// The help lines at the bottom: two rows when the screen has room for them. Returns the rows
// they take; the bottom row is kept from the rest even when no help fits, as nothing else may
// write its last cell.
int TerminalUi::drawHelp(Screen& screen) const {
  const int rows = screen.rows() >= 12 ? 2 : screen.rows() >= 4 ? 1 : 0;
  for (const Help& help : kHelp) {
    const int count = help.lines[1] == nullptr ? 1 : 2;
    // The bottom right cell stays empty (see Screen::render).
    const auto fits = [&](const char* line) { return widthOf(line) < screen.columns(); };
    if (count > rows || !std::all_of(help.lines, help.lines + count, fits)) continue;
    for (int i = 0; i < count; ++i) {
      screen.put(screen.rows() - count + i, 0, screen.columns(), {{help.lines[i], kDim}});
    }
    return count;
  }
  return std::min(rows, 1);
}

// The tracker's own state in System Settings.
Spans TerminalUi::settingsLine() const {
  return {{"  login item: " + std::string(loginItemWords(sim_.loginItems().item())) +
               " \u00b7 notifications: " + notificationStatusWords(sim_.notifier().current()),
           ""}};
}

std::vector<Spans> TerminalUi::clientBody(int columns, int rows) const {
  if (rows <= 0) return {};
  const std::shared_ptr<const SimClientState>& client = sim_.desktop().sharedClient();
  ClientLines& kept = clientLines_;
  const uint64_t pass = sim_.lastPass().recorded();
  if (kept.client != client || kept.pass != pass || kept.columns != columns || kept.rows != rows) {
    kept = {client, pass, columns, rows, layOutClient(columns, rows)};
  }
  return kept.lines;
}

std::vector<Spans> TerminalUi::layOutClient(int columns, int rows) const {
  const SimClientState& client = sim_.desktop().client();
  const std::size_t windows = client.instances > 0 ? client.ax.windows.size() : 0;
  const auto fit = static_cast<std::size_t>(rows);
  const std::size_t shown = windows > fit ? fit - 1 : windows;
  std::vector<Spans> lines =
      windowLines(client, sim_.lastPass().seen(client.ax.windows), columns, shown);
  if (windows > fit) {
    lines.push_back({{"  \u2026 and " + std::to_string(windows - shown) + " more windows", kDim}});
  }
  return lines;
}

std::string TerminalUi::reportHeading() const {
  if (reportLines_.empty()) return "Detection report: none yet";
  const std::size_t last =
      std::min(reportLines_.size(), reportTop_ + static_cast<std::size_t>(reportRows_));
  return "Detection report, lines " + std::to_string(reportTop_ + 1) + "\u2013" +
         std::to_string(last) + " of " + std::to_string(reportLines_.size()) + " (PgUp/PgDn)";
}

std::vector<Spans> TerminalUi::reportBody(int rows) const {
  reportRows_ = rows;
  const std::size_t fit = static_cast<std::size_t>(std::max(rows, 0));
  reportTop_ = std::min(reportTop_, reportLines_.size() > fit ? reportLines_.size() - fit : 0);
  std::vector<Spans> lines;
  for (std::size_t i = reportTop_; i < reportLines_.size() && lines.size() < fit; ++i) {
    const auto [start, length] = reportLines_[i];
    lines.push_back({{visibleText(std::string_view(report_).substr(start, length)), ""}});
  }
  return lines;
}

// The newest lines that fit.
std::vector<Spans> TerminalUi::logBody(int rows) const {
  const auto fit = static_cast<std::size_t>(std::max(0, rows));
  std::vector<Spans> lines;
  for (std::size_t i = log_.size() > fit ? log_.size() - fit : 0; i < log_.size(); ++i) {
    const LogLine& l = log_[i];
    std::string text = timeLabel(l.time) + "  " + l.text;
    if (l.count > 1) text += " (\u00d7" + std::to_string(l.count) + ")";
    lines.push_back({{std::move(text), ""}});
  }
  return lines;
}

// The panels share `rows`: each shown one first gets its heading and a few lines, then the
// client all its windows, the log a few events, the report the rest, the log what is left.
std::array<int, 3> TerminalUi::panelRows(int rows) const {
  const SimClientState& client = sim_.desktop().client();
  const int windows = client.instances > 0 ? static_cast<int>(client.ax.windows.size()) : 0;
  const int want[] = {shown_[0] ? 2 + windows : 0,
                      shown_[1] ? 1 + static_cast<int>(reportLines_.size()) : 0,
                      shown_[2] ? 1 + static_cast<int>(log_.size()) : 0};
  std::array<int, 3> give = {0, 0, 0};
  int left = std::max(0, rows);
  const auto grant = [&](int panel, int upTo) {
    const int n = std::clamp(std::min(upTo, want[panel]) - give[panel], 0, left);
    give[panel] += n;
    left -= n;
  };
  for (int p = 0; p < 3; ++p) grant(p, kFirstRows[p]);
  grant(0, want[0]);
  grant(2, 1 + kLogRows);
  grant(1, want[1]);
  grant(2, want[2]);
  return give;
}

// The panels on rows [top, bottom), as panelRows shares them. Rows the drop-down covers are
// cut where it begins.
void TerminalUi::drawPanels(Screen& screen, int top, int bottom, const DropDown::Box& menu) const {
  const int columns = screen.columns();
  const std::array<int, 3> give = panelRows(bottom - top);
  int row = top;
  const auto width = [&] { return row >= menu.top && row < menu.bottom ? menu.left : columns; };
  const auto put = [&](const Spans& line) {
    const int w = width();
    screen.put(row++, 0, w, line);
  };
  // "─[1]─ text ────" to the edge; a text too wide is cut instead.
  const auto heading = [&](char key, const std::string& text) {
    const std::string shown = visibleText(text);
    const int rule = width() - 6 - widthOf(shown);
    put({{"\u2500[", kDim},
         {std::string(1, key), kBold},
         {"]\u2500 ", kDim},
         {shown, kBold},
         {rule > 0 ? " " + repeat("\u2500", rule - 1) : "", kDim}});
  };
  const std::string titles[] = {clientHeading(sim_.desktop().client()), "", "Events"};
  for (int p = 0; p < 3; ++p) {
    if (give[p] == 0) continue;
    const int body = give[p] - 1;
    std::vector<Spans> lines = p == 0   ? clientBody(columns, body - 1)
                               : p == 1 ? reportBody(body)
                                        : logBody(body);
    // Under the client's heading, which a refused reading or a hang can make long on its own.
    if (p == 0 && body > 0) lines.insert(lines.begin(), settingsLine());
    heading(static_cast<char>('1' + p), p == 1 ? reportHeading() : titles[p]);
    for (const Spans& line : lines) put(line);
    row += body - static_cast<int>(lines.size());
  }
}

Screen TerminalUi::compose(int columns, int rows) const {
  Screen screen(columns, rows);
  const int titleColumn = drawBar(screen);
  const int bottom = screen.rows() - drawHelp(screen);
  DropDown::Box menu;
  if (dropDown_.isOpen()) menu = dropDown_.draw(screen, 1, bottom, titleColumn, depth_);
  drawPanels(screen, 1, bottom, menu);
  return screen;
}

std::vector<std::string> TerminalUi::renderRows(int columns, int rows) const {
  return compose(columns, rows).renderRows();
}

std::string TerminalUi::render(int columns, int rows) const {
  return compose(columns, rows).render();
}

}  // namespace velmora::sim
