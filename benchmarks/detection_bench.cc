// Cost of one detection pass on the simulated platform as the client's window count grows.
// The pass should be linear in the number of windows.
#include <benchmark/benchmark.h>

#include <string>

#include "detect/detection.h"
#include "platform/sim/sim_accessibility.h"
#include "platform/sim/sim_running_apps.h"
#include "platform/sim/sim_script_runner.h"

namespace velmora {
namespace {

using sim::SimAttribute;
using sim::SimWindow;

SimWindow window(std::string title, std::string_view subrole, double w, double h) {
  return SimWindow{SimAttribute::ofText(std::move(title)),
                   SimAttribute::ofText(std::string(subrole)), SimAttribute::ofSize(w, h),
                   SimAttribute::ofBool(false)};
}

// Groups of ten windows as a busy client shows them: four sessions (one with a non-ASCII
// title), the client's own panel, two input-method windows, two untitled background sessions
// and a placeholder desktop.
std::vector<SimWindow> clientWindows(int64_t count) {
  std::vector<SimWindow> windows;
  for (int64_t i = 0; static_cast<int64_t>(windows.size()) < count; ++i) {
    const std::string n = std::to_string(i);
    const SimWindow group[] = {
        window("Office PC " + n, "AXStandardWindow", 1440, 900),
        window("Build Server " + n, "AXStandardWindow", 1024, 768),
        window("Caf\u00e9 \u2014 Jump Host " + n, "AXStandardWindow", 1280, 800),
        window("Lab " + n, "AXStandardWindow", 900, 700),
        window("Connection Center", "AXStandardWindow", 820, 560),
        window("MSCTFIME UI", "AXUnknown", 1, 1),
        window("Default IME", "AXUnknown", 1, 1),
        window("", "AXUnknown", 800, 600),
        window("", "AXUnknown", 1024, 640),
        window("Devices", "AXStandardWindow", 1000, 700),
    };
    for (const SimWindow& w : group) {
      if (static_cast<int64_t>(windows.size()) == count) break;
      windows.push_back(w);
    }
  }
  return windows;
}

// What "System Events" lists for those windows: every titled window's name.
std::string listingText(const std::vector<SimWindow>& windows) {
  std::string text;
  for (const SimWindow& w : windows) {
    if (!w.title.text.empty()) text += w.title.text + "\n";
  }
  return text;
}

void BM_DetectSessions(benchmark::State& state) {
  SimRunningApps apps;
  apps.instances = {{4242}};
  sim::SimAccessibility ax;
  ax.pid = 4242;
  ax.windows.windows = clientWindows(state.range(0));
  sim::SimScriptRunner scripts;
  scripts.answer = {ScriptResult::Kind::kText, listingText(ax.windows.windows)};
  FixedClock clock(1796452069.0);
  TrackerState tracker;
  const DetectionPorts ports{apps, ax, scripts, clock};
  for (auto _ : state) {
    benchmark::DoNotOptimize(detectSessions(tracker, ports));
    // The recorders would otherwise grow with every iteration.
    scripts.sources.clear();
    ax.requestedPids.clear();
  }
  state.SetComplexityN(state.range(0));
  state.counters["report_bytes"] = static_cast<double>(tracker.debugLog.size());
}

BENCHMARK(BM_DetectSessions)
    ->Arg(10)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

}  // namespace
}  // namespace velmora
