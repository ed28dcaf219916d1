// The tracker on the simulated desktop, on virtual time, with real files in a temporary home.
#include "app/app_delegate.h"

#include <gtest/gtest.h>

#include "tests/sim_tracker.h"

namespace velmora::sim {
namespace {

class AppDelegateTest : public SimTrackerTest {};

// The first refresh that finds the client writes the start unless a readable one is stored
// (the tracker restarted while the client ran); the menu shows the uptime from the stored start.
TEST_F(AppDelegateTest, TheFirstRefreshWritesTheStartUnlessOneCanBeRead) {
  const struct {
    const char* stored;  // the start file before the launch, if any
    double start;
    std::string firstUptime, laterUptime;  // the rows at the first refresh and at 5 s
  } cases[] = {
      {nullptr, kStart, "\u23f1 Uptime: 0s", "\u23f1 Uptime: 5s"},
      {"1764996400.0", kStart - 3600, "\u23f1 Uptime: 1h 0m 0s", "\u23f1 Uptime: 1h 0m 5s"},
      {"not a number", kStart, "\u23f1 Uptime: 0s", "\u23f1 Uptime: 5s"}};
  for (const auto& c : cases) {
    testing::TempHome home;
    ensureStateDir(home.paths());
    ASSERT_TRUE(!c.stored || testing::plant(home.paths().kStateFile, c.stored));
    Recorder recorder;
    Simulation sim(Scenario{}, home.paths(), kStart, recorder);
    sim.desktop().setClient(runningWith({"Office PC"}));
    sim.loop().runUntil(0.0);
    EXPECT_EQ(sim.statusBar().accessibilityLabel(), "1 remote session, first: Office PC");
    EXPECT_EQ(readStart(home.paths()), c.start);
    sim.loop().runUntil(5.0);
    ASSERT_EQ(recorder.menus.size(), 3u);  // the launch's, the first refresh's, the timer's
    EXPECT_EQ(recorder.menus[1][5].title, c.firstUptime);
    EXPECT_EQ(recorder.menus[2][5].title, c.laterUptime);
  }
}

// A leftover start file goes at the first refresh without a client; a start is written when the
// client appears and removed once when it stops; a file appearing later is left for the next run.
TEST_F(AppDelegateTest, TheStartFileFollowsTheClient) {
  ensureStateDir(paths());
  ASSERT_TRUE(writeStart(paths(), kStart - 86400 * 3));
  sim_->desktop().setClient(notRunning());
  refreshUntil(0.0);
  EXPECT_FALSE(fs::exists(paths().kStateFile));
  sim_->desktop().setClient(runningWith({"Office PC"}));
  refreshUntil(5.0);
  // A fresh start, not three days ago: the pass that followed the launch's notification.
  EXPECT_EQ(readStart(paths()), kStart + 0.25);
  sim_->desktop().setClient(notRunning());
  refreshUntil(10.0);
  EXPECT_FALSE(fs::exists(paths().kStateFile));
  ASSERT_TRUE(writeStart(paths(), kStart));  // another tool
  refreshUntil(20.0);
  EXPECT_TRUE(fs::exists(paths().kStateFile));
}

// When the follow-up comes is in notified_refresh_test.cc's timelines.
TEST_F(AppDelegateTest, QuitClientRefreshesOneSecondLaterForEveryChoice) {
  SimClientState client = runningWith({"Office PC"});
  client.refusesQuit = true;
  sim_->desktop().setClient(client);
  refreshUntil(1.0);
  const std::size_t before = recorder_.reports.size();
  sim_->click("Quit Windows App");
  sim_->loop().runUntil(1.5);
  sim_->click("Quit Windows App");
  sim_->loop().runUntil(2.5);
  EXPECT_EQ(recorder_.reports.size(), before + 2);  // neither follow-up dropped for the other
  EXPECT_EQ(recorder_.terminations, (std::vector<int32_t>{4242, 4242}));
}

TEST_F(AppDelegateTest, SessionRowRaisesByTheWholeEscapedName) {
  const std::string name =
      "Lab \"A\" \\ build \\\"x\\\" with a very long name of over 45 characters";
  sim_->desktop().setClient(runningWith({name}));
  refreshUntil(0.0);
  const auto& menu = recorder_.menus.back();
  ASSERT_EQ(menu[2].representedObject, name);
  sim_->choose(menu[2]);
  EXPECT_EQ(sim_->desktop().lastRaisedName(), name);
}

// Of two trackers the one with the lower process id stays. Found at launch, the other one ends
// this one before the status bar or any file is touched; found later, at the next refresh,
// which leaves the start file to the one that stays.
TEST_F(AppDelegateTest, OnlyEverOneTrackerRuns) {
  const struct {
    int32_t other;
    double from;        // when the other tracker is there
    double endsAt;      // negative: never
    std::size_t menus;  // built by 15 s
  } cases[] = {
      {kSimOtherTrackerPid, 0.0, 0.0, 0},
      {kSimTrackerPid + 1, 0.0, -1.0, 5},
      {kSimOtherTrackerPid, 7.0, 10.0, 3},
  };
  for (const auto& c : cases) {
    testing::TempHome home;
    Recorder recorder;
    Simulation sim(Scenario{}, home.paths(), kStart, recorder);
    sim.desktop().setClient(runningWith({"Office PC"}));
    sim.loop().at(c.from, TaskKind::kClient, [&] { sim.desktop().setOtherTracker(c.other); });
    sim.loop().runUntil(15.0);
    EXPECT_EQ(sim.loop().terminated(), c.endsAt >= 0.0) << c.other;
    EXPECT_EQ(sim.delegate()->gaveWay(), c.endsAt >= 0.0);
    // A pass at 15 s keeps the main thread a few milliseconds.
    EXPECT_NEAR(sim.loop().now(), c.endsAt >= 0.0 ? c.endsAt : 15.0, 0.1);
    EXPECT_EQ(recorder.menus.size(), c.menus);
    EXPECT_EQ(sim.statusBar().title().empty(), c.menus == 0);
    EXPECT_EQ(readStart(home.paths()).has_value(), c.menus > 0);
    EXPECT_EQ(testing::namesIn(home.path()).empty(), c.menus == 0);  // nothing written at all
  }
}

TEST_F(AppDelegateTest, FiringAfterTheDelegateIsGoneDoesNothing) {
  SimEventLoop loop;
  SimWallClock clock(loop, kStart);
  Recorder recorder;
  SimDesktop desktop(recorder);
  SimStatusBar bar(recorder);
  SimPasteboard pasteboard(recorder);
  SimUrlOpener urls(recorder);
  SimLoginItems loginItems;
  SimNotifier notifier(recorder, loop);
  SimFileRevealer finder(recorder);
  TrackerState state;
  auto delegate = std::make_shared<AppDelegate>(
      Platform{desktop, desktop.accessibility(), desktop.scripts(), bar, pasteboard, loop, clock,
               urls, desktop.watch(), loginItems, notifier, finder},
      state, paths());
  delegate->applicationDidFinishLaunching();
  const std::size_t reports = state.debugLog.size();
  delegate->quitWindowsApp();
  delegate.reset();
  state.debugLog.clear();
  loop.runUntil(30.0);
  EXPECT_TRUE(state.debugLog.empty());
  EXPECT_GT(reports, 0u);
}

}  // namespace
}  // namespace velmora::sim
