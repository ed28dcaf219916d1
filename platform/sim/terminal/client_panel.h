// The client panel of velmora-sim's screen: the simulated Windows App's state in one heading,
// then its windows, one line each: title, subrole, size, whether minimised, and what the last
// detection pass made of the window. A thin rendering: the verdicts are the classification's
// own; a window that is new or changed since that pass has none yet ("not seen yet"), and one
// that pass could not read has none either ("not read").
#pragma once

#include <string>
#include <vector>

#include "detect/classify.h"
#include "platform/sim/desktop/sim_client.h"
#include "platform/sim/terminal/screen.h"

namespace velmora::sim {

// The windows as the last detection pass read them, and its verdict for each.
struct LastPass {
  std::vector<SimWindow> windows;
  std::vector<WindowVerdict> verdicts;  // empty when the pass read no windows
};

// "Windows App: running (pid 4242) · Accessibility refused (-25211) · 3 windows"; texts from
// the client as they are.
[[nodiscard]] std::string clientHeading(const SimClientState& client);

// One line per window of a running client, in the client's order, laid out in columns within
// `columns` (the title takes what the other columns leave, cut with "…"). Visible text.
[[nodiscard]] std::vector<Spans> windowLines(const SimClientState& client, const LastPass& pass,
                                             int columns);

}  // namespace velmora::sim
