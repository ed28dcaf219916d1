// The interactive screen of velmora-sim: the tracker's title on a menu-bar line, its menu as a
// drop-down (drop_down.h), and below them three panels that each key 1, 2, 3 shows or hides: the
// simulated client and its windows with the last pass's verdicts (client_panel.h; the heading also
// gives the tracker's login item as System Settings has it), the last detection report (scrolled
// with Page Up and Page Down), and the event log. Play keys (client_play.h) are handed to the
// caller. Rendering and key handling are plain functions of the view, so they are tested without a
// terminal. The screen is composed of width-cut blocks (screen.h): the bar line stays on the top
// row at any width from 20 columns, the help lines at the bottom shorten, always saying how to
// quit, or go on a screen under four rows, the panels share what rows are left, and the drop-down
// covers them.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/sim/desktop/sim_observer.h"
#include "platform/sim/simulation/client_play.h"
#include "platform/sim/simulation/simulation.h"
#include "platform/sim/terminal/keys.h"
#include "platform/sim/terminal/screen.h"
#include "platform/sim/terminal/sgr.h"
#include "platform/sim/tui/client_panel.h"
#include "platform/sim/tui/drop_down.h"

namespace velmora::sim {

// OSC 52: asks the terminal to put `text` on the system clipboard.
[[nodiscard]] std::string clipboardSequence(std::string_view text);

// Shows `sim`: its time, the title and menu its status bar holds, its client with what the
// last pass made of each window, read at every render. Of its own it keeps the report's lines
// as shown, the event log and what the keys changed. As an observer of `sim` it hears of the
// menu's rebuilds, the reports, the pasteboard. Main thread only, like the simulation.
class TerminalUi final : public SimObserver {
 public:
  // `sim` outlives the UI.
  explicit TerminalUi(const Simulation& sim, ColorDepth depth = ColorDepth::k256);
  // Told when the drop-down opens and closes, as a Mac's menu delegate tells the tracker.
  void setMenuTracking(MenuTracking tracking) { menuTracking_ = std::move(tracking); }

  // What keys asked for: an entry chosen or a play action, and whether the screen changed.
  struct Outcome {
    std::optional<MenuEntry> chosen;
    std::optional<PlayAction> play;
    bool redraw = false;
  };

  enum class Panel { kClient, kReport, kEvents };

  // Handles the whole keys at the start of `input` and removes them, stopping after one that
  // chooses an entry or plays (the caller acts on it, then calls again); the start of an
  // escape sequence at the end stays in `input`.
  [[nodiscard]] Outcome onKeys(std::string& input);
  // The same on the keys of `input` from `at`, which moves past the keys handled: a long run
  // of keys typed ahead is not moved in memory at every key.
  [[nodiscard]] Outcome onKeys(std::string_view input, std::size_t& at);
  // No more bytes came after what is left in `input` (the start of an escape sequence): a lone
  // Escape closes the menu, anything else is dropped. Empties `input`.
  [[nodiscard]] Outcome onUnfinishedKey(std::string& input);

  // The bytes that draw each row of the screen at this size (Screen::renderRows), and the
  // whole screen with the cursor parked. The bar's clock shows whole seconds, so that the
  // screen of an idle program changes once a second.
  [[nodiscard]] std::vector<std::string> renderRows(int columns, int rows) const;
  [[nodiscard]] std::string render(int columns, int rows) const;
  [[nodiscard]] bool menuOpen() const { return dropDown_.isOpen(); }
  // The menu's enabled entry with `key` as its key equivalent, or null; found without going
  // through the menu's rows (one per session), as every key typed asks.
  [[nodiscard]] const MenuEntry* entryWithKey(char key) const;
  [[nodiscard]] bool shown(Panel panel) const { return shown_[static_cast<int>(panel)]; }

  // Adds a line (raw text: shown visibly) to the event log, stamped with the simulation's time.
  void logEvent(const std::string& text);

  // Bytes for the terminal that are not part of the screen (clipboard requests).
  [[nodiscard]] std::string takePendingOutput();

  void onMenu(const std::vector<MenuEntry>& entries) override;
  void onPasteboard(const std::string& text) override;
  void onReport(const std::string& report, PassCause cause) override;
  // The status bar's menu opened or closed, by a key here or by the story: the drop-down
  // follows, so that it never shows a menu the status bar holds closed, nor the reverse.
  void onMenuOpen(bool open) override;

 private:
  struct LogLine {
    double time;
    std::string text;  // visible
    int count;         // the same text this many times in a row, the last at `time`
  };

  // The client panel's lines as last laid out, kept while the client, the last pass and the
  // room stay the same: a client of many windows takes long to lay out.
  struct ClientLines {
    std::shared_ptr<const SimClientState> client;
    uint64_t pass = 0;
    int columns = 0;
    int rows = 0;
    std::vector<Spans> lines;
  };

  void keepKeyed(const std::vector<MenuEntry>& entries);
  void press(const KeyPress& key, Outcome& outcome);
  void applyKey(const KeyPress& key, Outcome& outcome);
  MenuTracking menuTracking_;
  bool trackedOpen_ = false;
  void scrollReport(int pages);
  void choose(const MenuEntry& entry, Outcome& outcome);

  [[nodiscard]] int drawBar(Screen& screen) const;
  [[nodiscard]] int drawHelp(Screen& screen) const;
  [[nodiscard]] std::array<int, 3> panelRows(int rows) const;
  void drawPanels(Screen& screen, int top, int bottom, const DropDown::Box& menu) const;
  [[nodiscard]] Spans settingsLine() const;
  [[nodiscard]] std::vector<Spans> clientBody(int columns, int rows) const;
  [[nodiscard]] std::vector<Spans> layOutClient(int columns, int rows) const;
  [[nodiscard]] Screen compose(int columns, int rows) const;
  [[nodiscard]] std::vector<Spans> reportBody(int rows) const;
  [[nodiscard]] std::vector<Spans> logBody(int rows) const;
  [[nodiscard]] std::string reportHeading() const;
  [[nodiscard]] double now() const { return sim_.loop().now(); }

  const Simulation& sim_;
  ColorDepth depth_;
  std::string barStyle_;
  DropDown dropDown_;
  std::vector<MenuEntry> keyed_;  // the menu's enabled entries with a key equivalent
  std::deque<LogLine> log_;
  std::string report_;                                            // the last report, as it came
  std::vector<std::pair<std::size_t, std::size_t>> reportLines_;  // its lines: start, length
  bool shown_[3] = {true, true, true};
  mutable std::size_t reportTop_ = 0;  // the first report line shown
  mutable int reportRows_ = 0;         // report lines on the screen at the last render
  mutable ClientLines clientLines_;
  std::string pending_;
};

}  // namespace velmora::sim
