// The tracker on the simulated desktop, on virtual time, with real files in a temporary home.
#include "app/app_delegate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "clock/start_file.h"
#include "clock/state_dir.h"
#include "platform/sim/simulation.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

constexpr double kStart = 1765000000.0;

SimClientState runningWith(std::vector<std::string> titles) {
  SimClientState c;
  c.pid = 4242;
  for (auto& t : titles) {
    c.ax.windows.push_back({SimAttribute::ofText(std::move(t)),
                            SimAttribute::ofText("AXStandardWindow"),
                            SimAttribute::ofSize(1440, 900), SimAttribute::ofBool(false)});
  }
  return c;
}

// Records what the tracker shows and does.
struct Recorder : SimObserver {
  std::vector<std::vector<MenuEntry>> menus;
  std::vector<std::string> reports;
  std::vector<int32_t> terminations;
  std::vector<std::string> pasteboard;
  std::vector<std::string> urls;
  void onMenu(const std::vector<MenuEntry>& e) override { menus.push_back(e); }
  void onReport(const std::string& r) override { reports.push_back(r); }
  void onTerminate(int32_t pid) override { terminations.push_back(pid); }
  void onPasteboard(const std::string& t) override { pasteboard.push_back(t); }
  void onOpenUrl(const std::string& u) override { urls.push_back(u); }
};

bool hasUptimeRow(const std::vector<MenuEntry>& menu) {
  return std::any_of(menu.begin(), menu.end(),
                     [](const MenuEntry& e) { return e.style == MenuStyle::kUptime; });
}

class AppDelegateTest : public ::testing::Test {
 protected:
  void start(Scenario scenario = {}) {
    scenario.until = 1000;
    sim_ = std::make_unique<Simulation>(scenario, home_.paths(), kStart, recorder_);
  }
  bool startFileExists() const { return std::filesystem::exists(home_.paths().kStateFile); }

  testing::TempHome home_;
  Recorder recorder_;
  std::unique_ptr<Simulation> sim_;
};

TEST_F(AppDelegateTest, FirstRefreshWritesTheStartFileAndTheNextMenuShowsUptime) {
  start();
  sim_->desktop().setClient(runningWith({"Office PC"}));
  sim_->loop().runUntil(0.0);
  ASSERT_EQ(recorder_.menus.size(), 2u);  // launch (not running) and the first refresh
  EXPECT_EQ(sim_->statusBar().accessibilityLabel(), "1 remote session, first: Office PC");
  EXPECT_FALSE(hasUptimeRow(recorder_.menus[1]));
  EXPECT_EQ(readStart(home_.paths()), kStart);
  sim_->loop().runUntil(5.0);
  ASSERT_EQ(recorder_.menus.size(), 3u);
  EXPECT_TRUE(hasUptimeRow(recorder_.menus[2]));
  EXPECT_EQ(recorder_.menus[2][4].title, "\u23f1 Uptime: 5s");
}

TEST_F(AppDelegateTest, TheDesktopKeepsNoHistoryOfRequestsOverALongRun) {
  start();
  sim_->desktop().setClient(runningWith({"Office PC"}));
  sim_->loop().runUntil(500.0);
  EXPECT_EQ(recorder_.reports.size(), 101u);
  EXPECT_TRUE(sim_->desktop().scripts().sources.empty());
  EXPECT_TRUE(sim_->desktop().accessibility().requestedPids.empty());
}

TEST_F(AppDelegateTest, StoredMomentSurvivesATrackerRestartWhileTheClientRuns) {
  ensureStateDir(home_.paths());
  ASSERT_TRUE(writeStart(home_.paths(), kStart - 3600));
  start();
  sim_->desktop().setClient(runningWith({"Office PC"}));
  sim_->loop().runUntil(0.0);
  EXPECT_EQ(readStart(home_.paths()), kStart - 3600);
  EXPECT_EQ(recorder_.menus[1][4].title, "\u23f1 Uptime: 1h 0m 0s");
}

TEST_F(AppDelegateTest, UnreadableStartFileIsOverwritten) {
  ensureStateDir(home_.paths());
  ASSERT_TRUE(testing::plant(home_.paths().kStateFile, "not a number"));
  start();
  sim_->desktop().setClient(runningWith({}));
  sim_->loop().runUntil(0.0);
  EXPECT_EQ(readStart(home_.paths()), kStart);
}

TEST_F(AppDelegateTest, LeftoverStartFileIsRemovedWhenTheFirstRefreshFindsNoClient) {
  ensureStateDir(home_.paths());
  ASSERT_TRUE(writeStart(home_.paths(), kStart - 86400 * 3));
  start();
  sim_->loop().runUntil(0.0);
  EXPECT_FALSE(startFileExists());
  sim_->desktop().setClient(runningWith({"Office PC"}));
  sim_->loop().runUntil(5.0);
  EXPECT_EQ(readStart(home_.paths()), kStart + 5);  // a fresh start, not three days ago
}

TEST_F(AppDelegateTest, ClientStopRemovesTheStartFileOnceAndLaterRefreshesLeaveItAlone) {
  start();
  sim_->desktop().setClient(runningWith({"Office PC"}));
  sim_->loop().runUntil(5.0);
  EXPECT_TRUE(startFileExists());
  sim_->desktop().setClient(notRunning());
  sim_->loop().runUntil(10.0);
  EXPECT_FALSE(startFileExists());
  // A file appearing now (another tool) is left for the next run.
  ASSERT_TRUE(writeStart(home_.paths(), kStart));
  sim_->loop().runUntil(20.0);
  EXPECT_TRUE(startFileExists());
}

TEST_F(AppDelegateTest, QuitClientRefreshesOneSecondLaterForEveryChoice) {
  start();
  SimClientState client = runningWith({"Office PC"});
  client.refusesQuit = true;
  sim_->desktop().setClient(client);
  sim_->loop().runUntil(1.0);
  const std::size_t before = recorder_.reports.size();
  sim_->click("Quit Windows App");
  sim_->loop().runUntil(1.5);
  sim_->click("Quit Windows App");
  sim_->loop().runUntil(1.9);
  EXPECT_EQ(recorder_.reports.size(), before);
  sim_->loop().runUntil(2.0);
  EXPECT_EQ(recorder_.reports.size(), before + 1);
  sim_->loop().runUntil(2.5);
  EXPECT_EQ(recorder_.reports.size(), before + 2);
  EXPECT_EQ(recorder_.terminations, (std::vector<int32_t>{4242, 4242}));
  EXPECT_EQ(sim_->desktop().client().instances, 1);  // it refused
}

TEST_F(AppDelegateTest, CopyDebugPutsTheSameReportOnThePasteboardAndInTheFile) {
  start();
  sim_->loop().runUntil(0.0);
  sim_->key("d");
  sim_->desktop().setClient(runningWith({"Office PC"}));
  sim_->key("d");
  ASSERT_EQ(recorder_.pasteboard.size(), 2u);
  EXPECT_EQ(testing::contentOf(home_.paths().kDebugFile), recorder_.pasteboard[1]);
  EXPECT_EQ(recorder_.pasteboard[1], sim_->state().debugLog);
  EXPECT_NE(recorder_.pasteboard[1].find("Names: [\"Office PC\"]"), std::string::npos);
  EXPECT_EQ(testing::modeOf(home_.paths().kDebugFile), 0600);
}

TEST_F(AppDelegateTest, QuitTrackerRemovesTheStartFileAndTerminates) {
  start();
  sim_->desktop().setClient(runningWith({"Office PC"}));
  sim_->loop().runUntil(0.0);
  ASSERT_TRUE(startFileExists());
  sim_->key("q");
  EXPECT_FALSE(startFileExists());
  EXPECT_TRUE(sim_->loop().terminated());
}

TEST_F(AppDelegateTest, AccessibilitySettingsRowOpensTheSettingsURL) {
  start();
  sim_->loop().runUntil(0.0);
  sim_->choose(MenuEntry::actionEntry("", MenuAction::kOpenAccessibilitySettings));
  EXPECT_EQ(recorder_.urls, std::vector<std::string>{std::string(kAccessibilitySettingsURL)});
}

TEST_F(AppDelegateTest, SessionRowRaisesByTheWholeEscapedName) {
  start();
  const std::string name =
      "Lab \"A\" \\ build \\\"x\\\" with a very long name of over 45 characters";
  sim_->desktop().setClient(runningWith({name}));
  sim_->loop().runUntil(0.0);
  const auto& menu = recorder_.menus.back();
  ASSERT_EQ(menu[2].representedObject, name);
  sim_->choose(menu[2]);
  EXPECT_EQ(sim_->desktop().lastRaisedName(), name);
}

TEST_F(AppDelegateTest, FiringAfterTheDelegateIsGoneDoesNothing) {
  SimEventLoop loop;
  SimWallClock clock(loop, kStart);
  Recorder recorder;
  SimDesktop desktop(recorder);
  SimStatusBar bar(recorder);
  SimPasteboard pasteboard(recorder);
  SimUrlOpener urls(recorder);
  TrackerState state;
  auto delegate =
      std::make_shared<AppDelegate>(Platform{desktop, desktop.accessibility(), desktop.scripts(),
                                             bar, pasteboard, loop, clock, urls},
                                    state, home_.paths());
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
