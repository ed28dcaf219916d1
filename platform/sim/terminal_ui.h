// The interactive terminal status bar of velmora-sim: the tracker's title on a menu-bar line,
// its menu as a drop-down, and a short log of what the simulated desktop was asked to do.
// Rendering and key handling are plain functions of the view, so they are tested without a
// terminal.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/sim_observer.h"

namespace velmora::sim {

// Columns that `text` takes on a terminal (wide and zero-width characters included).
[[nodiscard]] int displayWidth(std::string_view text);

// OSC 52: asks the terminal to put `text` on the system clipboard.
[[nodiscard]] std::string clipboardSequence(std::string_view text);

class TerminalUi final : public SimObserver {
 public:
  // What a key press asks for: nothing, an entry chosen, or the end of the simulation.
  struct Outcome {
    std::optional<MenuEntry> chosen;
    bool redraw = false;
  };

  void setTime(double seconds) { time_ = seconds; }

  // Consumes whole key sequences from `input` (a trailing partial escape sequence stays).
  [[nodiscard]] Outcome onKeys(std::string& input);
  // Escape pressed alone (no sequence followed in time).
  [[nodiscard]] Outcome onEscape();

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
  void log(std::string line);
  void moveHighlight(int step);
  void openMenu();
  [[nodiscard]] bool selectable(std::size_t index) const;
  [[nodiscard]] std::string renderTitle() const;
  void renderMenu(std::vector<std::string>& lines, int column, int columns) const;

  std::vector<TitleRun> title_;
  std::vector<MenuEntry> menu_;
  std::deque<std::string> log_;
  std::string pending_;
  double time_ = 0.0;
  bool open_ = false;
  std::size_t highlight_ = 0;
};

}  // namespace velmora::sim
