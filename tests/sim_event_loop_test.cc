#include "platform/sim/desktop/sim_event_loop.h"

#include <gtest/gtest.h>

#include <string>

namespace velmora::sim {
namespace {

TEST(SimEventLoopTest, OrdersByTimeThenKindThenScheduling) {
  SimEventLoop loop;
  std::string order;
  loop.at(1.0, TaskKind::kRefresh, [&] { order += "r"; });
  loop.at(1.0, TaskKind::kInput, [&] { order += "i1"; });
  loop.at(1.0, TaskKind::kClient, [&] { order += "c"; });
  loop.at(1.0, TaskKind::kInput, [&] { order += "i2"; });
  loop.at(0.5, TaskKind::kRefresh, [&] { order += "early"; });
  loop.runUntil(1.0);
  EXPECT_EQ(order, "earlyci1i2r");
  EXPECT_EQ(loop.now(), 1.0);
}

TEST(SimEventLoopTest, RepeatingTimerFiresEveryIntervalFromScheduling) {
  SimEventLoop loop;
  loop.runUntil(2.0);
  std::vector<double> firings;
  auto timer = loop.scheduleRepeating(5.0, [&] { firings.push_back(loop.now()); });
  timer.reset();  // releasing the handle does not stop the timer
  loop.runUntil(22.0);
  EXPECT_EQ(firings, (std::vector<double>{7.0, 12.0, 17.0, 22.0}));
}

TEST(SimEventLoopTest, LateFiringSkipsMissedIntervals) {
  SimEventLoop loop;
  std::vector<double> firings;
  auto timer = loop.scheduleRepeating(5.0, [&] { firings.push_back(loop.now()); });
  loop.catchUp(5.0);
  loop.catchUp(23.0);  // the main thread was busy from 5 s to 23 s
  loop.catchUp(25.0);
  EXPECT_EQ(firings, (std::vector<double>{5.0, 23.0, 25.0}));
}

TEST(SimEventLoopTest, DelayedTasksRunOnceAndTerminationStopsTheLoop) {
  SimEventLoop loop;
  int runs = 0;
  loop.runAfter(1.0, [&] { ++runs; });
  loop.runAfter(1.0, [&] { ++runs; });
  loop.at(3.0, TaskKind::kInput, [&] { loop.terminate(); });
  loop.at(4.0, TaskKind::kInput, [&] { ++runs; });
  loop.runUntil(10.0);
  EXPECT_EQ(runs, 2);
  EXPECT_TRUE(loop.terminated());
  EXPECT_EQ(loop.now(), 3.0);
}

}  // namespace
}  // namespace velmora::sim
