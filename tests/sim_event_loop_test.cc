#include "platform/sim/desktop/sim_event_loop.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora::sim {
namespace {

// Delayed tasks run once; nothing runs after termination, and the time stays at its task.
TEST(SimEventLoopTest, OrdersByTimeThenKindThenSchedulingUntilTermination) {
  SimEventLoop loop;
  std::string order;
  loop.at(1.0, TaskKind::kRefresh, [&] { order += "r"; });
  loop.at(1.0, TaskKind::kInput, [&] { order += "i1"; });
  loop.at(1.0, TaskKind::kClient, [&] { order += "c"; });
  loop.at(1.0, TaskKind::kInput, [&] { order += "i2"; });
  loop.at(0.5, TaskKind::kRefresh, [&] { order += "early"; });
  loop.runAfter(2.0, 0.0, [&] { order += "+"; });
  loop.at(3.0, TaskKind::kInput, [&] { loop.terminate(); });
  loop.at(4.0, TaskKind::kInput, [&] { order += "late"; });
  loop.runUntil(10.0);
  EXPECT_EQ(order, "earlyci1i2r+");
  EXPECT_TRUE(loop.terminated());
  EXPECT_EQ(loop.now(), 3.0);
}

// From its scheduling on; late (the main thread busy), it fires once and resumes its schedule;
// releasing the handle stops it.
TEST(SimEventLoopTest, RepeatingTimerFiresEveryIntervalAndSkipsMissedOnes) {
  SimEventLoop loop;
  loop.runUntil(2.0);
  std::vector<double> firings;
  auto timer = loop.scheduleRepeating(5.0, 0.5, [&] { firings.push_back(loop.now()); });
  loop.runUntil(22.0);
  loop.catchUp(40.0);  // busy from 22 s to 40 s
  loop.catchUp(42.0);
  timer.reset();
  loop.runUntil(60.0);
  EXPECT_EQ(firings, (std::vector<double>{7.0, 12.0, 17.0, 22.0, 40.0, 42.0}));
}

}  // namespace
}  // namespace velmora::sim
