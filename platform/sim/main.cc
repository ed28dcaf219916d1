// Prints the classification of a built-in window list (the simulated desktop replaces this).
#include <cstdio>
#include <string>
#include <vector>

#include "detect/classify.h"
#include "detect/tracker_state.h"

int main() {
  using velmora::WinInfo;
  const std::vector<WinInfo> windows = {
      {"Office PC", "AXStandardWindow", {1440.0, 900.0}, false},
      {"", "AXUnknown", {800.0, 600.0}, false},
      {"Devices", "AXStandardWindow", {1440.0, 900.0}, false},
      {"Connection Center", "AXStandardWindow", {600.0, 400.0}, false},
  };
  velmora::TrackerState state;
  std::string report;
  const velmora::Classification result =
      velmora::classifyWindows(windows, report, state.sessionNameCache);
  std::fputs(report.c_str(), stdout);
  std::printf("%zu named, %lld unnamed\n", result.names.size(),
              static_cast<long long>(result.unnamedCount));
  return 0;
}
