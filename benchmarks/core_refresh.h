// The core's share of one refresh, as BM_PassTitleAndMenu and velmora_refresh_cost run it: one
// detection pass on a busy simulated client, then the status title and the whole menu built
// from its result, with the sessions' times. The platform's Accessibility reads and script run are
// answered at once.
#pragma once

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/session_memory.h"
#include "benchmarks/bench_desktop.h"
#include "clock/uptime.h"
#include "detect/detection.h"
#include "ui/menu_model.h"
#include "ui/title_model.h"

namespace velmora::bench {

class CoreRefresh {
 public:
  explicit CoreRefresh(int64_t windows)
      : desktop_(windows), ports_(desktop_.ports()), since_(desktop_.clock().now() - 3725.0) {}

  // One refresh; returns the number of menu rows.
  std::size_t run() {
    const DetectionResult pass = detectSessions(tracker_, ports_);
    const SessionInfo& info = pass.info;
    // Every session first listed an hour before: each row shows "1h 2m 5s".
    benchmark::DoNotOptimize(memory_.observe(pass, PassCause::kTimer, since_, std::nullopt));
    const double now = desktop_.clock().now();
    const std::optional<std::string> uptime = fmtUptime(since_, now);
    benchmark::DoNotOptimize(titleRuns(info));
    const std::vector<MenuEntry> menu = menuEntries({.info = info,
                                                     .uptime = uptime,
                                                     .sessionTimes = memory_.listedTimes(),
                                                     .now = now,
                                                     .ended = memory_.recent()});
    benchmark::DoNotOptimize(menu.data());
    desktop_.forgetRequests();
    return menu.size();
  }

 private:
  BenchDesktop desktop_;
  TrackerState tracker_;
  SessionMemory memory_;
  DetectionPorts ports_;
  double since_;
};

}  // namespace velmora::bench
