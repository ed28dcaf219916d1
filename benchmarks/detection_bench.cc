// Cost of one detection pass on the simulated platform as the client's window count grows.
// The pass should be linear in the number of windows.
#include <benchmark/benchmark.h>

#include "benchmarks/bench_desktop.h"
#include "detect/detection.h"

namespace velmora {
namespace {

void BM_DetectSessions(benchmark::State& state) {
  bench::BenchDesktop desktop(state.range(0));
  TrackerState tracker;
  const DetectionPorts ports = desktop.ports();
  for (auto _ : state) {
    benchmark::DoNotOptimize(detectSessions(tracker, ports));
    desktop.forgetRequests();
  }
  state.SetComplexityN(state.range(0));
  state.counters["report_bytes"] = static_cast<double>(tracker.debugLog.size());
}

BENCHMARK(BM_DetectSessions)->Apply(bench::atWindowCounts);

}  // namespace
}  // namespace velmora
