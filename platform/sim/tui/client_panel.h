// The client panel of velmora-sim's screen: the simulated Windows App's state in one heading,
// then its windows, one line each: title, subrole, size, whether minimised, and what the last
// detection pass made of the window. A thin rendering: the verdicts are the classification's
// own, joined with the windows by the simulation (last_pass.h); a window that is new or changed
// since that pass has none yet ("not seen yet"), and one that pass could not read has none
// either ("not read").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/sim/desktop/sim_client.h"
#include "platform/sim/simulation/last_pass.h"
#include "platform/sim/terminal/screen.h"

namespace velmora::sim {

// "Windows App: running (pid 4242) · Accessibility refused (-25211) · 3 windows"; texts from
// the client as they are.
[[nodiscard]] std::string clientHeading(const SimClientState& client);

// One line per window of a running client, in the client's order, with what the last pass
// made of it (`seen`, one per window), laid out in columns within `columns` (the title takes
// what the other columns leave, cut with "…"); the lines of the first `limit` windows only,
// laid out as all would be. Visible text.
[[nodiscard]] std::vector<Spans> windowLines(const SimClientState& client,
                                             const std::vector<SeenWindow>& seen, int columns,
                                             std::size_t limit = SIZE_MAX);

}  // namespace velmora::sim
