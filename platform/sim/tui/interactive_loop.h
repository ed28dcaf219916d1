// The interactive mode's loop: the simulation on the wall clock, the screen, the keys. Keys are
// handled in slices of about 50 ms; between two the signals are looked at, so that an end signal
// never waits behind keys typed ahead, and once none is left the screen is drawn. Play keys change
// one copy of the client, set when another choice comes or no key is left; a run of Refresh
// choices among them is one refresh after them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/simulation/client_play.h"
#include "platform/sim/simulation/simulation.h"
#include "platform/sim/simulation/stopwatch.h"
#include "platform/sim/terminal/shown_frame.h"
#include "platform/sim/terminal/terminal.h"
#include "platform/sim/tui/terminal_ui.h"
#include "ui/menu_model.h"

namespace velmora::sim {

class InteractiveLoop {
 public:
  // All three outlive the loop; `ui` shows `sim` on `terminal`.
  InteractiveLoop(Simulation& sim, TerminalUi& ui, RawTerminal& terminal)
      : sim_(sim), ui_(ui), terminal_(terminal) {}

  // Plays the scenario, then goes on refreshing the story's last state (or the one the user
  // plays with) until the tracker quits, an end signal comes or the terminal goes away; then
  // finishes the simulation.
  void run();

 private:
  void draw();
  bool actOnKeys();
  bool actOnSlice(std::size_t& used);
  [[nodiscard]] bool joinsPendingRefresh(std::size_t at) const;
  bool flush();
  bool await(double t);
  void onWake(RawTerminal::Wake wake);

  Simulation& sim_;
  TerminalUi& ui_;
  RawTerminal& terminal_;
  const Stopwatch clock_;
  ShownFrame shown_;
  std::string input_;  // keys not handled yet: a slice's rest, or the start of an escape sequence
  double inputAt_ = 0.0;
  std::vector<PlayAction> plays_;     // played, not yet set on the client
  std::optional<MenuEntry> refresh_;  // Refresh chosen, not yet run
  bool storyOverSaid_ = false;
};

}  // namespace velmora::sim
