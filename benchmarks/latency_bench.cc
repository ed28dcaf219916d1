// How soon the title follows the client, on virtual time: the delay from a change of the client
// to the first title drawn after it, and the passes an hour, with the client's notifications and
// without. The figures are counters; the time Google Benchmark reports is only the cost of
// simulating.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "benchmarks/churn_client.h"
#include "benchmarks/temp_dir.h"
#include "platform/sim/simulation/simulation.h"
#include "tools/churn.h"

namespace velmora::sim {
namespace {

constexpr double kPollSeconds = 5.0;
constexpr double kHour = 3600.0;

SimWindow sessionWindow(std::string title) {
  return SimWindow{SimAttribute::ofText(std::move(title)), SimAttribute::ofText("AXStandardWindow"),
                   SimAttribute::ofSize(1440, 900), SimAttribute::ofBool(false)};
}

// What the desktop announces: range(0) of the benchmarks.
enum class Notices { kNone = 0, kWorkspaceOnly = 1, kAll = 2 };

// Every pass, and every change of the client until a title is drawn after it.
class LatencyMeter final : public SimObserver {
 public:
  void onReport(const std::string& /*report*/, PassCause /*cause*/) override { ++passes; }
  void onTitle(const std::vector<TitleRun>& /*runs*/) override {
    for (const double changed : unseen_) {
      const double delay = now() - changed;
      total_ += delay;
      largest = std::max(largest, delay);
      ++shown;
    }
    unseen_.clear();
  }
  void changed() { unseen_.push_back(now()); }
  [[nodiscard]] double mean() const { return shown == 0 ? 0.0 : total_ / shown; }

  std::function<double()> now;
  int64_t passes = 0;
  int64_t shown = 0;
  double largest = 0.0;

 private:
  std::vector<double> unseen_;
  double total_ = 0.0;
};

// The tracker on the simulated desktop for `seconds`, launched at 0; `play` schedules the
// client's life on the loop.
class LatencyRun {
 public:
  LatencyRun(double seconds, Notices notices, const std::string& home) : notices_(notices) {
    Scenario scenario;
    scenario.until = seconds;
    sim_ = std::make_unique<Simulation>(scenario, StatePaths::forHome(home), 1765000000.0, meter_);
    meter_.now = [this] { return sim_->loop().now(); };
    sim_->desktop().silent = notices == Notices::kNone;
  }

  // The client becomes `client` at `at`; a state that differs is a change to be shown.
  void setClient(double at, SimClientState client) {
    client.notifies = notices_ == Notices::kAll;
    sim_->loop().at(at, TaskKind::kClient, [this, client = std::move(client)] {
      if (client == sim_->desktop().client()) return;
      sim_->desktop().setClient(client);
      meter_.changed();
    });
  }
  void input(double at, std::function<void()> task) {
    sim_->loop().at(at, TaskKind::kInput, std::move(task));
  }

  void run() { sim_->runHeadless(); }
  [[nodiscard]] Simulation& sim() { return *sim_; }
  [[nodiscard]] const LatencyMeter& meter() const { return meter_; }

 private:
  Notices notices_;
  LatencyMeter meter_;
  std::unique_ptr<Simulation> sim_;
};

void report(benchmark::State& state, const LatencyMeter& meter, double seconds) {
  state.counters["mean_delay_s"] = meter.mean();
  state.counters["largest_delay_s"] = meter.largest;
  state.counters["changes"] = static_cast<double>(meter.shown);
  state.counters["passes_per_hour"] = static_cast<double>(meter.passes) * kHour / seconds;
}

// The soak's churning story, each step's client change moved off the refresh moment to a time
// drawn between two refreshes (0.10 to 4.90 s after one); Quit Windows App, Copy Debug Info and
// Refresh come at 1, 3 and 4 s past the refresh moment, as in the soak.
void BM_ChurnChangeToTitle(benchmark::State& state) {
  constexpr int64_t kSteps = 2000;
  const double seconds = kPollSeconds * kSteps;
  const TempDir home;
  for (auto _ : state) {
    LatencyRun run(seconds, static_cast<Notices>(state.range(0)), home.path());
    churn::Churn churn(1);
    churn::Random offsets(2);
    for (int64_t k = 0; k < kSteps; ++k) {
      const double t = kPollSeconds * static_cast<double>(k);
      const churn::Step s = churn.step(k, k + 1 == kSteps);
      if (s.clientChanges) {
        run.setClient(k == 0 ? 0.0 : t + 0.10 + offsets.below(481) / 100.0, toSim(s.client));
      }
      Simulation& sim = run.sim();
      if (s.quitClient) run.input(t + 1, [&sim] { sim.click("Quit Windows App"); });
      if (s.copyDebug) run.input(t + 3, [&sim] { sim.key("d"); });
      if (s.refreshKey) run.input(t + 4, [&sim] { sim.key("r"); });
    }
    run.run();
    report(state, run.meter(), seconds);
  }
}

BENCHMARK(BM_ChurnChangeToTitle)
    ->ArgName("notices")
    ->Arg(static_cast<int>(Notices::kNone))
    ->Arg(static_cast<int>(Notices::kWorkspaceOnly))
    ->Arg(static_cast<int>(Notices::kAll))
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// An hour of a client that runs with two sessions and changes nothing; with range(1) = 1, a burst
// of ten changes from 1802.00 to 1802.09 s (a session window opened and closed five times).
void BM_QuietHour(benchmark::State& state) {
  const TempDir home;
  for (auto _ : state) {
    // The passes due before the hour ends: at 0 and every 5 s up to 3595.
    LatencyRun run(kHour - 1.0, static_cast<Notices>(state.range(0)), home.path());
    SimClientState client;
    client.ax.windows = {sessionWindow("Office PC"), sessionWindow("Test Lab")};
    run.setClient(0.0, client);
    if (state.range(1) != 0) {
      for (int i = 0; i < 10; ++i) {
        SimClientState next = client;
        if (i % 2 == 0) next.ax.windows.push_back(sessionWindow("Design Workstation"));
        run.setClient(1802.0 + i / 100.0, next);
      }
    }
    run.run();
    report(state, run.meter(), kHour);
  }
}

BENCHMARK(BM_QuietHour)
    ->ArgNames({"notices", "burst"})
    ->Args({static_cast<int>(Notices::kNone), 0})
    ->Args({static_cast<int>(Notices::kAll), 0})
    ->Args({static_cast<int>(Notices::kNone), 1})
    ->Args({static_cast<int>(Notices::kAll), 1})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velmora::sim
