// A client that stops answering on the simulated Mac, where each read waits for its time-out:
// the tracker's main thread stays free for the user, and the sessions come back with the client.
#include <gtest/gtest.h>

#include <string>

#include "tests/sim_program.h"
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

}  // namespace
}  // namespace velmora::testing
