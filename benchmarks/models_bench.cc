// Cost of the core's share of one refresh as the client's window count grows: the detection
// pass, then the status title and the whole menu built from its result. This is everything a
// refresh computes; the rest is the platform's Accessibility reads and script run.
#include <benchmark/benchmark.h>

#include <optional>
#include <string>

#include "benchmarks/bench_desktop.h"
#include "benchmarks/core_refresh.h"
#include "detect/detection.h"
#include "ui/menu_model.h"
#include "ui/title_model.h"

namespace velmora {
namespace {

void BM_PassTitleAndMenu(benchmark::State& state) {
  bench::CoreRefresh refresh(state.range(0));
  std::size_t menuRows = 0;
  for (auto _ : state) menuRows = refresh.run();
  state.SetComplexityN(state.range(0));
  state.counters["menu_rows"] = static_cast<double>(menuRows);
}

BENCHMARK(BM_PassTitleAndMenu)
    ->Arg(10)
    ->Arg(20)
    ->Arg(100)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

// The two models alone, from a result with this many sessions.
void BM_TitleAndMenuModels(benchmark::State& state) {
  bench::BenchDesktop desktop(state.range(0));
  TrackerState tracker;
  const SessionInfo info = detectSessions(tracker, desktop.ports()).info;
  const std::optional<std::string> uptime = std::string("1h 2m 5s");
  for (auto _ : state) {
    benchmark::DoNotOptimize(titleRuns(info));
    benchmark::DoNotOptimize(menuEntries({.info = info, .uptime = uptime}));
  }
  state.SetComplexityN(state.range(0));
  state.counters["sessions"] = static_cast<double>(info.names.size());
}

BENCHMARK(BM_TitleAndMenuModels)->Apply(bench::atWindowCounts);

}  // namespace
}  // namespace velmora
