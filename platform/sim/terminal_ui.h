// The interactive terminal status bar of velmora-sim: the tracker's title on a menu-bar line,
// its menu as a drop-down, and a short log of what the simulated desktop was asked to do.
// Rendering and key handling are plain functions of the view, so they are tested without a
// terminal. The screen is composed of width-cut blocks (screen.h): the bar line stays on the
// top row at any width from 20 columns, the help line on the bottom row shortens or goes, and
// a menu taller than the screen scrolls with its highlight.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/keys.h"
#include "platform/sim/screen.h"
#include "platform/sim/sgr.h"
#include "platform/sim/sim_observer.h"

namespace velmora::sim {

// OSC 52: asks the terminal to put `text` on the system clipboard.
[[nodiscard]] std::string clipboardSequence(std::string_view text);

class TerminalUi final : public SimObserver {
 public:
  explicit TerminalUi(ColorDepth depth = ColorDepth::k256);

  // What keys asked for: an entry chosen, and whether the screen changed.
  struct Outcome {
    std::optional<MenuEntry> chosen;
    bool redraw = false;
  };

  void setTime(double seconds) { time_ = seconds; }

  // Handles the whole keys at the start of `input` and removes them, stopping after one that
  // chooses an entry (the caller acts on it, then calls again); the start of an escape
  // sequence at the end stays in `input`.
  [[nodiscard]] Outcome onKeys(std::string& input);
  // No more bytes came after what is left in `input` (the start of an escape sequence): a lone
  // Escape closes the menu, anything else is dropped. Empties `input`.
  [[nodiscard]] Outcome onUnfinishedKey(std::string& input);

  // The bytes that draw the whole screen at this size.
  [[nodiscard]] std::string render(int columns, int rows) const;
  [[nodiscard]] bool menuOpen() const { return open_; }

  // Bytes for the terminal that are not part of the screen (clipboard requests).
  [[nodiscard]] std::string takePendingOutput();

  void onTitle(const std::vector<TitleRun>& runs) override;
  void onMenu(const std::vector<MenuEntry>& entries) override;
  void onRaise(const std::string& name) override;
  void onActivate(int32_t pid, unsigned options) override;
  void onTerminate(int32_t pid) override;
  void onPasteboard(const std::string& text) override;
  void onOpenUrl(const std::string& url) override;
  void onChoice(const std::string& kind, const std::string& choice,
                const std::string& error) override;

 private:
  void log(const std::string& line);
  void press(const KeyPress& key, Outcome& outcome);
  void choose(const MenuEntry& entry, Outcome& outcome);
  void moveHighlight(int step);
  void openMenu();
  [[nodiscard]] bool selectable(std::size_t index) const;

  [[nodiscard]] int drawBar(Screen& screen) const;
  [[nodiscard]] int drawMenu(Screen& screen, int top, int bottom, int column) const;
  [[nodiscard]] Spans menuRow(std::size_t index, int inner, int keyWidth) const;
  void drawLog(Screen& screen, int top, int bottom) const;
  void drawHelp(Screen& screen) const;

  ColorDepth depth_;
  std::string barStyle_;
  Spans title_;  // the title's runs as visible text in their styles
  std::vector<MenuEntry> menu_;
  std::vector<std::string> menuText_;  // each entry's title as visible text
  std::deque<std::string> log_;        // visible text
  std::string pending_;
  double time_ = 0.0;
  bool open_ = false;
  std::size_t highlight_ = 0;
  mutable std::size_t menuTop_ = 0;  // the first menu row shown when the menu scrolls
};

}  // namespace velmora::sim
