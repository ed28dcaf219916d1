// Refreshes on the client's own notifications, beside the 5 s timer: the tracker on the
// simulated desktop, on virtual time, with real files in a temporary home.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/sim/simulation/simulation.h"
#include "tests/sim_windows.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

// Every pass as "time it started cause", followed by the title when the pass changed it; "|"
// between.
class Timeline final : public SimObserver {
 public:
  Simulation* sim = nullptr;
  std::string text;

  void onReport(const std::string& /*report*/, PassCause cause) override {
    char time[32];
    std::snprintf(time, sizeof time, "%g",
                  std::round((sim->loop().now() - sim->loop().busyInTask()) * 1e6) / 1e6 + 0.0);
    text += (text.empty() ? "" : "|") + std::string(time) + " " + std::string(passCauseName(cause));
  }
  void onTitle(const std::vector<TitleRun>& runs) override {
    std::string title;
    for (const TitleRun& r : runs) title += r.text;
    if (title != title_ && !text.empty()) text += " " + title;
    title_ = title;
  }

 private:
  std::string title_;
};

SimClientState running(int windows, bool notifies = true, int32_t pid = 4242) {
  SimClientState c = runningWith({"Office PC"});
  c.pid = pid;
  for (int i = 1; i < windows; ++i) c.ax.windows.push_back(simWindow("S" + std::to_string(i)));
  c.notifies = notifies;
  return c;
}

// Reading its windows fails with `error`: -25204 while launching or hung, -25211 refused.
SimClientState failing(int32_t error) {
  SimClientState c = runningWith({});
  c.ax = {SimWindowList::Kind::kError, error, {}};
  return c;
}

ScenarioEvent at(double moment, const SimClientState& client) {
  return {moment, ScenarioEvent::Kind::kClient, std::make_shared<const SimClientState>(client), ""};
}

// A click on a menu item, or a key ("d", "r").
ScenarioEvent choose(double moment, std::string choice) {
  const auto kind = choice.size() == 1 ? ScenarioEvent::Kind::kKey : ScenarioEvent::Kind::kClick;
  return {moment, kind, nullptr, std::move(choice)};
}

// A window more at each hundredth of a second from 7.00 to 7.09.
std::vector<ScenarioEvent> tenChanges(const SimClientState& before) {
  std::vector<ScenarioEvent> events{at(0.0, before)};
  for (int i = 0; i < 10; ++i) events.push_back(at(7.0 + i / 100.0, running(2 + i)));
  return events;
}

TEST(NotifiedRefreshTest, AChangeShowsAQuarterSecondLaterUnlessAPassCoversIt) {
  const SimClientState one = running(1);
  const struct {
    const char* what;
    std::vector<ScenarioEvent> events;
    double until;
    const char* passes;
  } cases[] = {
      {"a change at 7.0",
       {at(0, one), at(7.0, running(2))},
       12,
       "0 launch RDP 1● Office PC|5 timer|7.25 change RDP 2● Office PC|10 timer"},
      {"ten changes from 7.00 to 7.09 give one pass", tenChanges(one), 12,
       "0 launch RDP 1● Office PC|5 timer|7.25 change RDP 11● Office PC|10 timer"},
      {"a change at 9.9 is covered by the timer at 10.0: nothing at 10.15",
       {at(0, one), at(9.9, running(2))},
       12,
       "0 launch RDP 1● Office PC|5 timer|10 timer RDP 2● Office PC"},
      {"a client that does not notify waits for the timer",
       {at(0, running(1, false)), at(7.0, running(2, false))},
       12,
       "0 launch RDP 1● Office PC|5 timer|10 timer RDP 2● Office PC"},
      {"a launch at 7.0 and a quit at 12.0",
       {at(0, notRunning()), at(7.0, one), at(12.0, notRunning())},
       13,
       "0 launch|5 timer|7.25 change RDP 1● Office PC|10 timer|12.25 change RDP ○"},
      {"Copy Debug Info covers nothing",
       {at(0, one), at(7.0, running(2)), choose(7.1, "d")},
       12,
       "0 launch RDP 1● Office PC|5 timer|7.1 copy|7.25 change RDP 2● Office PC|10 timer"},
      {"Refresh covers the change",
       {at(0, one), at(7.0, running(2)), choose(7.1, "r")},
       12,
       "0 launch RDP 1● Office PC|5 timer|7.1 refresh RDP 2● Office PC|10 timer"},
      {"Quit Windows App: the quit shows, then the follow-up",
       {at(0, one), choose(7.0, "Quit Windows App")},
       12,
       "0 launch RDP 1● Office PC|5 timer|7.25 change RDP ○|8 quit-follow-up|10 timer"},
      {"a restart under another process id is watched anew",
       {at(0, one), at(6.0, running(1, true, 5151)), at(7.0, running(2, true, 5151))},
       12,
       "0 launch RDP 1● Office PC|5 timer|6.25 change|7.25 change RDP 2● Office PC|10 timer"},
      // Asked every 0.1 s from the pass at 7.25; it answers at 7.35, and the windows that came
      // meanwhile unannounced are looked at once.
      {"a client still launching is watched once it answers",
       {at(0, notRunning()), at(7.0, failing(-25204)), at(7.3, one), at(8.0, running(2))},
       12,
       "0 launch|5 timer|7.25 change RDP ●|7.601 change RDP 1● Office PC|8.25 change RDP 2● "
       "Office PC|10 timer"},
      // Asked 30 times more, it answers at 10.35: the retries last the whole 5 s, not a few.
      {"a client that answers after 3 s of -25204 is watched",
       {at(0, notRunning()), at(7.0, failing(-25204)), at(10.3, one)},
       12,
       "0 launch|5 timer|7.25 change RDP ●|10 timer|10.601 change RDP 1● Office PC"},
      // Given up at 12.25; answering at 12.5 is too late, so only the timer sees its changes.
      {"a client that does not answer within 5 s is left to the timer",
       {at(0, notRunning()), at(7.0, failing(-25204)), at(12.5, one), at(16.0, running(2))},
       21,
       "0 launch|5 timer|7.25 change RDP ●|10 timer|15 timer RDP 1● Office PC|20 timer RDP 2● "
       "Office PC"},
      {"a refused watch is tried again at each pass",
       {at(0, failing(-25211)), at(8.0, one), at(11.0, running(2))},
       12,
       "0 launch RDP ●|5 timer|10 timer RDP 1● Office PC|11.25 change RDP 2● Office PC"},
  };
  for (const auto& c : cases) {
    Scenario scenario;
    scenario.until = c.until;
    scenario.events = c.events;
    testing::TempHome home;
    Timeline timeline;
    Simulation sim(scenario, home.paths(), 1765000000.0, timeline);
    timeline.sim = &sim;
    sim.runHeadless();
    EXPECT_EQ(timeline.text, c.passes) << c.what;
  }
}

}  // namespace
}  // namespace velmora::sim
