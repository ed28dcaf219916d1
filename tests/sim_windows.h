// Windows and clients of the simulated desktop as the tests build them.
#pragma once

#include <string>
#include <vector>

#include "platform/sim/scenario/scenario.h"

namespace velmora::sim {

// A window whose four attributes all read.
inline SimWindow simWindow(std::string title, double width = 1440, double height = 900,
                           std::string subrole = "AXStandardWindow", bool minimized = false) {
  return {SimAttribute::ofText(std::move(title)), SimAttribute::ofText(std::move(subrole)),
          SimAttribute::ofSize(width, height), SimAttribute::ofBool(minimized)};
}

// The client running as pid 4242 with one such window per title.
inline SimClientState runningWith(const std::vector<std::string>& titles) {
  SimClientState c;
  c.pid = 4242;
  for (const std::string& t : titles) c.ax.windows.push_back(simWindow(t));
  return c;
}

}  // namespace velmora::sim
