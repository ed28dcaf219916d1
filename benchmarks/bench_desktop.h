// The client a benchmark watches: a busy window list of any length and the same windows as
// "System Events" lists them, on the simulated platform's ports.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <benchmark/benchmark.h>

#include "clock/wall_clock.h"
#include "detect/detection.h"
#include "platform/sim/desktop/sim_accessibility.h"
#include "platform/sim/desktop/sim_running_apps.h"
#include "platform/sim/desktop/sim_script_runner.h"

namespace velmora::bench {

// The window counts the per-pass benchmarks run at, and how their cost should grow.
inline void atWindowCounts(benchmark::internal::Benchmark* b) {
  b->Arg(10)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
  b->Complexity(benchmark::oN);
}

inline sim::SimWindow window(std::string title, std::string_view subrole, double w, double h) {
  return sim::SimWindow{sim::SimAttribute::ofText(std::move(title)),
                        sim::SimAttribute::ofText(std::string(subrole)),
                        sim::SimAttribute::ofSize(w, h), sim::SimAttribute::ofBool(false)};
}

// Groups of ten windows as a busy client shows them: four sessions (one with a non-ASCII
// title), the client's own panel, two input-method windows, two untitled background sessions
// and a placeholder desktop.
inline std::vector<sim::SimWindow> clientWindows(int64_t count) {
  std::vector<sim::SimWindow> windows;
  for (int64_t i = 0; static_cast<int64_t>(windows.size()) < count; ++i) {
    const std::string n = std::to_string(i);
    const sim::SimWindow group[] = {
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
    for (const sim::SimWindow& w : group) {
      if (static_cast<int64_t>(windows.size()) == count) break;
      windows.push_back(w);
    }
  }
  return windows;
}

// What "System Events" lists for those windows: every titled window's name.
inline std::string listingText(const std::vector<sim::SimWindow>& windows) {
  std::string text;
  for (const sim::SimWindow& w : windows) {
    if (!w.title.text.empty()) text += w.title.text + "\n";
  }
  return text;
}

// A running client with `count` windows, answered by both scans.
class BenchDesktop {
 public:
  explicit BenchDesktop(int64_t count) : clock_(1796452069.0) {
    apps_.instances = {{4242}};
    ax_.pid = 4242;
    ax_.windows.windows = clientWindows(count);
    scripts_.answer = {ScriptResult::Kind::kText, listingText(ax_.windows.windows)};
  }

  [[nodiscard]] DetectionPorts ports() { return {apps_, ax_, scripts_, clock_}; }
  [[nodiscard]] WallClock& clock() { return clock_; }

  // The recorders of the simulated ports would otherwise grow with every pass.
  void forgetRequests() {
    scripts_.sources.clear();
    ax_.requestedPids.clear();
  }

 private:
  SimRunningApps apps_;
  sim::SimAccessibility ax_;
  sim::SimScriptRunner scripts_;
  FixedClock clock_;
};

}  // namespace velmora::bench
