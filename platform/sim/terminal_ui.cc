#include "platform/sim/terminal_ui.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cwchar>
#include <utility>

#include "app/config.h"

namespace velmora::sim {
namespace {

constexpr std::size_t kLogLines = 8;
constexpr const char* kReset = "\x1b[0m";
constexpr const char* kBarBackground = "\x1b[48;2;36;36;40m";
constexpr const char* kBold = "\x1b[1m";
constexpr const char* kDim = "\x1b[2m";
constexpr const char* kInverse = "\x1b[7m";
constexpr const char* kGreyed = "\x1b[38;2;120;120;120m";

std::string foreground(const Color& c) {
  const auto channel = [](double v) { return static_cast<int>(std::clamp(v, 0.0, 1.0) * 255.0); };
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "\x1b[38;2;%d;%d;%dm", channel(c.red), channel(c.green),
                channel(c.blue));
  return buffer;
}

std::string repeat(std::string_view s, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += s;
  return out;
}

std::string padded(const std::string& text, int width) {
  return text + std::string(static_cast<std::size_t>(std::max(0, width - displayWidth(text))), ' ');
}

std::string keyLabel(const MenuEntry& e) {
  if (e.keyEquivalent.empty()) return "";
  std::string key = e.keyEquivalent;
  for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return "\u2318" + key;
}

std::string entryStyle(const MenuEntry& e) {
  std::string sgr;
  if (!e.enabled) sgr += kGreyed;
  switch (e.style) {
    case MenuStyle::kHeader:
      sgr += kBold;
      break;
    case MenuStyle::kBackground:
    case MenuStyle::kUptime:
      sgr += kDim;
      break;
    case MenuStyle::kQuitClient:
      sgr += foreground(kSystemRed);
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

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

}  // namespace

int displayWidth(std::string_view text) {
  std::mbstate_t state{};
  int width = 0;
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    wchar_t wc = 0;
    const std::size_t n = std::mbrtowc(&wc, p, left, &state);
    if (n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2)) {
      state = {};
      ++width;  // shown as a replacement character
      ++p;
      --left;
      continue;
    }
    const std::size_t used = n == 0 ? 1 : n;
    const int w = ::wcwidth(wc);
    width += w < 0 ? 0 : w;
    p += used;
    left -= used;
  }
  return width;
}

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

void TerminalUi::log(std::string line) {
  log_.push_back(timeLabel(time_) + "  " + std::move(line));
  while (log_.size() > kLogLines) log_.pop_front();
}

void TerminalUi::onTitle(const std::vector<TitleRun>& runs) {
  title_ = runs;
}

void TerminalUi::onMenu(const std::vector<MenuEntry>& entries) {
  // The menu is rebuilt under an open drop-down every refresh; the highlight stays on the same
  // item so that Enter never chooses a row that moved into its place.
  const std::string highlighted = selectable(highlight_) ? menu_[highlight_].title : "";
  menu_ = entries;
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
  pending_ += clipboardSequence(text);
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

TerminalUi::Outcome TerminalUi::onEscape() {
  const bool wasOpen = std::exchange(open_, false);
  return {std::nullopt, wasOpen};
}

TerminalUi::Outcome TerminalUi::onKeys(std::string& input) {
  Outcome outcome;
  std::size_t i = 0;
  while (i < input.size()) {
    const char c = input[i];
    if (c == '\x1b') {
      if (i + 1 >= input.size()) break;  // maybe the start of a sequence: wait for more
      if ((input[i + 1] == '[' || input[i + 1] == 'O')) {
        if (i + 2 >= input.size()) break;
        const char code = input[i + 2];
        if (open_ && (code == 'A' || code == 'B')) {
          moveHighlight(code == 'A' ? -1 : +1);
          outcome.redraw = true;
        }
        i += 3;
        continue;
      }
      outcome.redraw |= std::exchange(open_, false);
      ++i;
      continue;
    }
    ++i;
    if (c == '\r' || c == '\n' || c == ' ') {
      if (!open_) {
        openMenu();
        outcome.redraw = true;
      } else if (c != ' ' && selectable(highlight_)) {
        open_ = false;
        outcome.chosen = menu_[highlight_];
        outcome.redraw = true;
        break;
      }
      continue;
    }
    for (const MenuEntry& e : menu_) {
      if (!e.separator && e.enabled && e.keyEquivalent.size() == 1 && e.keyEquivalent[0] == c) {
        open_ = false;
        outcome.chosen = e;
        outcome.redraw = true;
        break;
      }
    }
    if (outcome.chosen) break;
  }
  input.erase(0, i);
  if (outcome.chosen) log("chose \"" + outcome.chosen->title + "\"");
  return outcome;
}

std::string TerminalUi::renderTitle() const {
  std::string out;
  for (const TitleRun& r : title_) {
    out += foreground(r.color);
    if (r.weight != FontWeight::kRegular) out += kBold;
    out += r.text;
    out += kReset;
    out += kBarBackground;
  }
  return out;
}

void TerminalUi::renderMenu(std::vector<std::string>& lines, int column, int columns) const {
  int textWidth = 0;
  for (const MenuEntry& e : menu_) {
    if (e.separator) continue;
    const int keyWidth = e.keyEquivalent.empty() ? 0 : 4;
    textWidth = std::max(textWidth, displayWidth(e.title) + keyWidth);
  }
  textWidth += 2;
  const int boxWidth = textWidth + 2;
  column = std::max(0, std::min(column, columns - boxWidth));
  const std::string indent(static_cast<std::size_t>(column), ' ');
  lines.push_back(indent + "\u250c" + repeat("\u2500", textWidth) + "\u2510");
  for (std::size_t i = 0; i < menu_.size(); ++i) {
    const MenuEntry& e = menu_[i];
    if (e.separator) {
      lines.push_back(indent + "\u251c" + repeat("\u2500", textWidth) + "\u2524");
      continue;
    }
    const std::string key = keyLabel(e);
    const std::string body = padded(" " + e.title, textWidth - displayWidth(key) - 1) + key + " ";
    const std::string highlight = (open_ && i == highlight_) ? kInverse : "";
    lines.push_back(indent + "\u2502" + highlight + entryStyle(e) + body + kReset + "\u2502");
  }
  lines.push_back(indent + "\u2514" + repeat("\u2500", textWidth) + "\u2518");
}

std::string TerminalUi::render(int columns, int rows) const {
  columns = std::max(columns, 20);
  std::vector<std::string> lines;

  // The menu-bar line: a name at the left, the tracker's item and the time at the right.
  std::string titleText;
  for (const TitleRun& r : title_) titleText += r.text;
  const std::string left = " Velmora desktop (simulated)";
  const std::string clock = "  " + timeLabel(time_) + " ";
  const int titleColumn =
      std::max(displayWidth(left) + 1, columns - displayWidth(titleText) - displayWidth(clock) - 1);
  const int gap = std::max(1, titleColumn - displayWidth(left));
  lines.push_back(std::string(kBarBackground) + left +
                  std::string(static_cast<std::size_t>(gap), ' ') + renderTitle() + kBarBackground +
                  clock + "\x1b[K" + kReset);

  if (open_) renderMenu(lines, titleColumn, columns);
  lines.emplace_back();
  for (const std::string& l : log_) lines.push_back(std::string(kDim) + l + kReset);

  const std::string help =
      " Enter/Space: menu \u00b7 \u2191\u2193: move \u00b7 Enter: choose \u00b7 Esc: close \u00b7 "
      "d r q: shortcuts \u00b7 Ctrl-C: leave";
  std::string out = "\x1b[H";
  const auto body = static_cast<std::size_t>(std::max(1, rows - 1));
  for (std::size_t i = 0; i < lines.size() && i < body; ++i) out += lines[i] + "\x1b[K\r\n";
  out += "\x1b[J";
  out += "\x1b[" + std::to_string(std::max(rows, 2)) + ";1H" + kDim + help + kReset + "\x1b[K";
  return out;
}

}  // namespace velmora::sim
