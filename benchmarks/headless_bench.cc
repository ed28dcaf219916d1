// velmora-sim's headless mode in process: the tracker on the simulated desktop, on virtual time,
// playing the churning story of tools/churn.h, generated as it goes so that the story itself
// takes no memory. Measures refreshes per second and whether the heap grows with refreshes.
#include <benchmark/benchmark.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <streambuf>
#include <string>
#include <system_error>

#include "benchmarks/churn_client.h"
#include "benchmarks/temp_dir.h"
#include "platform/sim/output/json_lines.h"
#include "platform/sim/scenario/scenario_reader.h"
#include "platform/sim/scenario/scenario_writer.h"
#include "platform/sim/simulation/simulation.h"
#include "tools/churn.h"

namespace velmora::sim {
namespace {

constexpr double kPollSeconds = 5.0;

// Counts the detection reports, as the soak script counts "report" lines.
struct ReportCounter : SimObserver {
  int64_t reports = 0;
  void onReport(const std::string& /*report*/, PassCause /*cause*/) override { ++reports; }
};

// Swallows the JSON Lines, which velmora-sim would write to a pipe.
class DiscardBuffer final : public std::streambuf {
 protected:
  int overflow(int c) override { return c; }
  std::streamsize xsputn(const char* /*s*/, std::streamsize n) override { return n; }
};

// One run of `refreshes` timer refreshes. The story's next step is scheduled when the current
// one runs, so only one step is ever held. With `raises`, the user also chooses the first
// session row of the menu after every refresh.
class ChurnRun {
 public:
  ChurnRun(int64_t refreshes, const std::string& home, bool jsonLines, bool raises = false)
      : refreshes_(refreshes), raises_(raises), churn_(1), out_(&discard_) {
    Scenario scenario;
    scenario.until = kPollSeconds * static_cast<double>(refreshes - 1);
    sim_ =
        std::make_unique<Simulation>(scenario, StatePaths::forHome(home), 1765000000.0, observers_);
    if (jsonLines) {
      writer_ = std::make_unique<JsonLinesWriter>(out_, sim_->loop());
      observers_.add(*writer_);
    }
    observers_.add(counter_);
    scheduleStep(0);
  }

  // Plays the story up to refresh k (that refresh included).
  void runThrough(int64_t k) { sim_->loop().runUntil(kPollSeconds * static_cast<double>(k)); }
  void finish() { sim_->runHeadless(); }
  [[nodiscard]] int64_t reports() const { return counter_.reports; }

 private:
  void scheduleStep(int64_t k) {
    const double t = kPollSeconds * static_cast<double>(k);
    sim_->loop().at(t, TaskKind::kClient, [this, k, t] {
      const churn::Step s = churn_.step(k, k + 1 == refreshes_);
      if (s.clientChanges) sim_->desktop().setClient(toSim(s.client));
      if (s.quitClient) input(t + 1, [this] { sim_->click("Quit Windows App"); });
      if (raises_) input(t + 2, [this] { raiseFirstSession(); });
      if (s.copyDebug) input(t + 3, [this] { sim_->key("d"); });
      if (s.refreshKey) input(t + 4, [this] { sim_->key("r"); });
      if (k + 1 < refreshes_) scheduleStep(k + 1);
    });
  }
  void input(double at, std::function<void()> task) {
    sim_->loop().at(at, TaskKind::kInput, std::move(task));
  }
  void raiseFirstSession() {
    for (const MenuEntry& e : sim_->statusBar().menu()) {
      if (e.style == MenuStyle::kSession && e.enabled) {
        sim_->choose(e);
        return;
      }
    }
  }

  int64_t refreshes_;
  bool raises_;
  churn::Churn churn_;
  DiscardBuffer discard_;
  std::ostream out_;
  ReportCounter counter_;
  std::unique_ptr<JsonLinesWriter> writer_;
  ObserverList observers_;
  std::unique_ptr<Simulation> sim_;
};

// Refreshes per second of the whole tracker on the simulated desktop; with range(0) = 1 the
// JSON Lines are rendered too (and thrown away), as velmora-sim --headless does.
void BM_HeadlessRefreshes(benchmark::State& state) {
  constexpr int64_t kRefreshes = 2000;
  TempDir home;
  int64_t passes = 0;
  for (auto _ : state) {
    ChurnRun run(kRefreshes, home.path(), state.range(0) != 0);
    run.finish();
    passes += run.reports();
  }
  // Items are detection passes: timer and Refresh refreshes and Copy Debug Info.
  state.SetItemsProcessed(passes);
  state.counters["refreshes_per_run"] = static_cast<double>(kRefreshes);
}

BENCHMARK(BM_HeadlessRefreshes)
    ->ArgName("json_lines")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// Heap in use (glibc's count); 0 where it cannot be had.
double heapInUse() {
#if defined(__GLIBC__)
  const struct mallinfo2 m = ::mallinfo2();
  return static_cast<double>(m.uordblks + m.hblkhd);
#else
  return 0.0;
#endif
}

// The churning story's first `refreshes` refreshes as a scenario file holds them.
std::string churnScenarioText(int64_t refreshes) {
  churn::Churn churn(1);
  Scenario scenario;
  scenario.start = 1765000000.0;
  scenario.until = kPollSeconds * static_cast<double>(refreshes - 1);
  auto add = [&scenario](double at, ScenarioEvent::Kind kind, std::string choice) {
    scenario.events.push_back({at, kind, nullptr, std::move(choice)});
  };
  for (int64_t k = 0; k < refreshes; ++k) {
    const double t = kPollSeconds * static_cast<double>(k);
    const churn::Step s = churn.step(k, k + 1 == refreshes);
    if (s.clientChanges) {
      scenario.events.push_back({t, ScenarioEvent::Kind::kClient,
                                 std::make_shared<const SimClientState>(toSim(s.client)), ""});
    }
    if (s.quitClient) add(t + 1, ScenarioEvent::Kind::kClick, "Quit Windows App");
    if (s.copyDebug) add(t + 3, ScenarioEvent::Kind::kKey, "d");
    if (s.refreshKey) add(t + 4, ScenarioEvent::Kind::kKey, "r");
  }
  return scenarioJson(scenario);
}

// Reading a scenario file of `range(0)` refreshes: its bytes per second, and the heap the
// scenario holds once read, per byte of its text (which velmora-sim frees after reading).
void BM_ReadScenario(benchmark::State& state) {
  const std::string text = churnScenarioText(state.range(0));
  double held = 0.0;
  for (auto _ : state) {
    const double before = heapInUse();
    const ScenarioResult result = parseScenario(text);
    held = heapInUse() - before;
    if (!std::holds_alternative<Scenario>(result)) state.SkipWithError("refused");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(text.size()));
  state.counters["text_mib"] = static_cast<double>(text.size()) / (1 << 20);
  state.counters["held_per_text_byte"] = held / static_cast<double>(text.size());
}

BENCHMARK(BM_ReadScenario)->Arg(10000)->Unit(benchmark::kMillisecond);

#if defined(__GLIBC__)
// Heap in use after 10,000 and after 100,000 refreshes of one run, as velmora-sim --headless
// plays it, with a session raised after every refresh. A tracker and desktop that keep nothing
// per refresh or per raise show no growth between the two.
void BM_HeadlessHeapGrowth(benchmark::State& state) {
  constexpr int64_t kEarly = 10000;
  constexpr int64_t kLate = 100000;
  TempDir home;
  double early = 0.0;
  double late = 0.0;
  int64_t passes = 0;
  for (auto _ : state) {
    ChurnRun run(kLate, home.path(), true, true);
    run.runThrough(kEarly - 1);
    early = heapInUse();
    run.finish();
    late = heapInUse();
    passes = run.reports();
  }
  state.counters["heap_kib_at_10k"] = early / 1024.0;
  state.counters["heap_kib_at_100k"] = late / 1024.0;
  state.counters["growth_bytes_per_refresh"] = (late - early) / static_cast<double>(kLate - kEarly);
  state.SetItemsProcessed(passes);
}

BENCHMARK(BM_HeadlessHeapGrowth)->Iterations(1)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
}  // namespace velmora::sim
