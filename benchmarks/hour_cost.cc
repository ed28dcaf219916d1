// What an hour of the tracker costs a Mac, on velmora-sim's virtual time (each platform call
// charged as platform/sim/desktop/mac_costs.h says): three stories of one hour each, and per
// hour the platform calls, the timer firings and the main thread's busy time.
//
//   quiet  the client runs with two session windows; nothing changes;
//   busy   a session window opens or closes every minute (2.5 s after it), the client
//          announcing each;
//   hung   as quiet, but the client stops answering at minute 1 and answers at minute 50.
//
//   velmora_hour_cost
#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "benchmarks/temp_dir.h"
#include "platform/sim/simulation/simulation.h"

namespace velmora::sim {
namespace {

// One hour, its end excluded: the timer's passes at 5 s, 10 s, ... and the launch's make 720.
constexpr double kHour = 3599.999;
constexpr double kMinute = 60.0;
// Between two polls, so that each change has a pass of its own.
constexpr double kOffBeat = 2.5;

SimWindow sessionWindow(const std::string& title) {
  return SimWindow{SimAttribute::ofText(title), SimAttribute::ofText("AXStandardWindow"),
                   SimAttribute::ofSize(1440, 900), SimAttribute::ofBool(false)};
}

std::shared_ptr<const SimClientState> client(int sessions, bool hangs) {
  SimClientState state;
  for (int i = 0; i < sessions; ++i) {
    state.ax.windows.push_back(sessionWindow("Session " + std::to_string(i + 1)));
  }
  state.hangs = hangs;
  return std::make_shared<const SimClientState>(std::move(state));
}

void change(Scenario& story, double at, std::shared_ptr<const SimClientState> state) {
  ScenarioEvent e;
  e.at = at;
  e.client = std::move(state);
  story.events.push_back(std::move(e));
}

Scenario story(const std::string& name) {
  Scenario s;
  s.start = 1765000000.0;
  s.until = kHour;
  change(s, 0.0, client(2, false));
  if (name == "busy") {
    for (int minute = 1; minute < 60; ++minute)
      change(s, minute * kMinute + kOffBeat, client(2 + minute % 2, false));
  } else if (name == "hung") {
    change(s, 1 * kMinute, client(2, true));
    change(s, 50 * kMinute, client(2, false));
  }
  return s;
}

// Hears whether the first pass once the client answers again finds its sessions.
class Recovery final : public SimObserver {
 public:
  const SimEventLoop* loop = nullptr;  // the simulation's, once it is made

  void onPass(const DetectionResult& pass) override {
    if (!seen_ && loop != nullptr && loop->now() >= 50 * kMinute) {
      seen_ = true;
      sessions_ = pass.info.count;
    }
  }
  [[nodiscard]] std::string words() const {
    return seen_ ? std::to_string(sessions_) + " sessions" : std::string("-");
  }

 private:
  bool seen_ = false;
  int64_t sessions_ = 0;
};

void printRow(const std::string& name, const MacCounts& c, const std::string& recovered) {
  std::printf("| %s | %lld | %lld | %lld | %lld | %lld | %lld | %.1f | %.3f | %s |\n", name.c_str(),
              static_cast<long long>(c.axRoundTrips), static_cast<long long>(c.appleEvents),
              static_cast<long long>(c.compiles), static_cast<long long>(c.titleWrites),
              static_cast<long long>(c.menuBuilds), static_cast<long long>(c.timerFirings), c.busy,
              c.longestBlock, recovered.c_str());
}

}  // namespace
}  // namespace velmora::sim

int main() {
  using namespace velmora::sim;
  std::printf(
      "| hour | AX round trips | Apple events | compiles | title writes | menu rebuilds | "
      "timer firings | busy s | longest block s | first pass after minute 50 |\n"
      "|---|---:|---:|---:|---:|---:|---:|---:|---:|---|\n");
  for (const std::string name : {"quiet", "busy", "hung"}) {
    const TempDir home;
    Recovery recovery;
    Simulation sim(story(name), velmora::StatePaths::forHome(home.path()), 1765000000.0, recovery);
    recovery.loop = &sim.loop();
    sim.runHeadless();
    printRow(name, sim.loop().counts(), name == "hung" ? recovery.words() : "-");
  }
  return 0;
}
