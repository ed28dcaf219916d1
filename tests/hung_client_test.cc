// A client that stops answering on the simulated Mac, where each read waits for its time-out:
// the tracker's main thread stays free for the user, and the sessions come back with the client.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "platform/sim/simulation/simulation.h"
#include "tests/sim_program.h"
#include "tests/sim_windows.h"
#include "tests/temp_home.h"

namespace velmora::testing {
namespace {

using nlohmann::json;

TEST(HungClientTest, PassesStayShortAndAClickRunsWithinASecondAndAHalf) {
  TempHome home, scratch;
  std::string hung = kOfficePc;
  hung.insert(1, R"("hangs": true, )");
  const std::string out = playHeadless(R"({"until": 80, "events": [{"at": 0, "client": )" +
                                           kOfficePc + R"(}, {"at": 10, "client": )" + hung +
                                           R"(}, {"at": 33.3, "click": "Refresh"},
      {"at": 70, "client": )" + kOfficePc + "}]}",
                                       home, scratch);
  double busyWhileHung = 0.0;
  bool refreshed = false, listedAfter = false;
  for (const json& pass : eventsIn(out, "report")) {
    const double busy = pass["busy"].get<double>();
    const double start = pass["t"].get<double>() - busy;
    if (start >= 10.0 && start < 70.0) {
      EXPECT_LE(busy, 1.5) << pass.dump();
      busyWhileHung += busy;
    }
    if (pass["cause"] == "refresh") refreshed = start >= 33.3 && start <= 34.8;
    if (start > 75.0) {
      listedAfter =
          pass["text"].get<std::string>().find(R"(Names: ["Office PC"])") != std::string::npos;
    }
  }
  EXPECT_TRUE(refreshed) << out;
  EXPECT_LE(busyWhileHung, 0.1 * 60.0);
  EXPECT_TRUE(listedAfter) << out;
}

// The poll and the change delay each ask the platform for a tolerance it may fire late by.
TEST(HungClientTest, TimersCarryTheirTolerance) {
  TempHome home;
  sim::SimObserver none;
  sim::Simulation simulation(sim::Scenario{}, home.paths(), 1765000000.0, none);
  simulation.desktop().setClient(sim::runningWith({"Office PC"}));
  simulation.loop().runUntil(1.0);
  simulation.desktop().setClient(sim::runningWith({"Office PC", "Test Lab"}));
  simulation.loop().runUntil(2.0);
  EXPECT_EQ(simulation.loop().tolerances(), (std::map<double, double>{{0.25, 0.05}, {5.0, 0.5}}));
}

}  // namespace
}  // namespace velmora::testing
