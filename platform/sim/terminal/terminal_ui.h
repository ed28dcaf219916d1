// The interactive screen of velmora-sim: the tracker's title on a menu-bar line, its menu as a
// drop-down, and below them three panels that each key 1, 2, 3 shows or hides: the simulated
// client and its windows with the last pass's verdicts (client_panel.h; the heading also gives
// the tracker's login item as System Settings has it), the last detection
// report (scrolled with Page Up and Page Down), and the event log. Play keys (client_play.h)
// are handed to the caller. Rendering and key handling are plain functions of the view, so
// they are tested without a terminal. The screen is composed of width-cut blocks (screen.h):
// the bar line stays on the top row at any width from 20 columns, the help lines at the bottom
// shorten or go, the panels share what rows are left, the drop-down covers them, and a menu
// taller than the screen scrolls with its highlight.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/desktop/sim_observer.h"
#include "platform/sim/simulation/client_play.h"
#include "platform/sim/terminal/client_panel.h"
#include "platform/sim/terminal/keys.h"
#include "platform/sim/terminal/screen.h"
#include "platform/sim/terminal/sgr.h"

namespace velmora::sim {

// OSC 52: asks the terminal to put `text` on the system clipboard.
[[nodiscard]] std::string clipboardSequence(std::string_view text);

class TerminalUi final : public SimObserver {
 public:
  explicit TerminalUi(ColorDepth depth = ColorDepth::k256);

  // What keys asked for: an entry chosen or a play action, and whether the screen changed.
  struct Outcome {
    std::optional<MenuEntry> chosen;
    std::optional<PlayAction> play;
    bool redraw = false;
  };

  enum class Panel { kClient, kReport, kEvents };

  void setTime(double seconds) { time_ = seconds; }

  // Handles the whole keys at the start of `input` and removes them, stopping after one that
  // chooses an entry or plays (the caller acts on it, then calls again); the start of an
  // escape sequence at the end stays in `input`.
  [[nodiscard]] Outcome onKeys(std::string& input);
  // No more bytes came after what is left in `input` (the start of an escape sequence): a lone
  // Escape closes the menu, anything else is dropped. Empties `input`.
  [[nodiscard]] Outcome onUnfinishedKey(std::string& input);

  // The bytes that draw the whole screen at this size.
  [[nodiscard]] std::string render(int columns, int rows) const;
  [[nodiscard]] bool menuOpen() const { return open_; }
  [[nodiscard]] bool shown(Panel panel) const { return shown_[static_cast<int>(panel)]; }

  // Adds a line (raw text: shown visibly) to the event log, stamped with the time.
  void logEvent(const std::string& text);

  // Bytes for the terminal that are not part of the screen (clipboard requests).
  [[nodiscard]] std::string takePendingOutput();

  void onTitle(const std::vector<TitleRun>& runs) override;
  void onMenu(const std::vector<MenuEntry>& entries) override;
  void onPasteboard(const std::string& text) override;
  void onClient(const SimClientState& client) override;
  void onLoginService(LoginServiceStatus status) override;
  void onPass(const DetectionResult& pass) override;
  void onReport(const std::string& report) override;

 private:
  // The drop-down's place on the screen: rows [top, bottom), columns from `left`.
  struct Box {
    int top = 0;
    int bottom = 0;
    int left = 0;
  };
  struct LogLine {
    double time;
    std::string text;  // visible
    int count;         // the same text this many times in a row, the last at `time`
  };

  void press(const KeyPress& key, Outcome& outcome);
  void scrollReport(int pages);
  void choose(const MenuEntry& entry, Outcome& outcome);
  void moveHighlight(int step);
  void openMenu();
  [[nodiscard]] bool selectable(std::size_t index) const;

  [[nodiscard]] int drawBar(Screen& screen) const;
  [[nodiscard]] Box drawMenu(Screen& screen, int top, int bottom, int column) const;
  [[nodiscard]] Spans menuRow(std::size_t index, int inner, int keyWidth) const;
  [[nodiscard]] int drawHelp(Screen& screen) const;
  void drawPanels(Screen& screen, int top, int bottom, const Box& menu) const;
  [[nodiscard]] std::vector<Spans> clientBody(int columns, int rows) const;
  [[nodiscard]] std::vector<Spans> reportBody(int rows) const;
  [[nodiscard]] std::vector<Spans> logBody(int rows) const;
  [[nodiscard]] std::string reportHeading() const;

  ColorDepth depth_;
  std::string barStyle_;
  Spans title_;  // the title's runs as visible text in their styles
  std::vector<MenuEntry> menu_;
  std::vector<std::string> menuText_;  // each entry's title as visible text
  std::deque<LogLine> log_;
  SimClientState client_;
  LoginServiceStatus loginItem_ = LoginServiceStatus::kNotRegistered;  // the system's side
  LastPass lastPass_;
  std::vector<std::string> report_;  // the last report's lines, visible
  bool shown_[3] = {true, true, true};
  mutable std::size_t reportTop_ = 0;  // the first report line shown
  mutable int reportRows_ = 0;         // report lines on the screen at the last render
  std::string pending_;
  double time_ = 0.0;
  bool open_ = false;
  std::size_t highlight_ = 0;
  mutable std::size_t menuTop_ = 0;  // the first menu row shown when the menu scrolls
};

}  // namespace velmora::sim
