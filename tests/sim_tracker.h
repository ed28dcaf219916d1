// The tracker on the simulated desktop, on virtual time, with its state directory in a
// temporary home: the fixture of the tracker's tests and of the fault-injection tests, with the
// checks every fault ends with.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/app_delegate.h"
#include "clock/start_file.h"
#include "clock/state_dir.h"
#include "platform/sim/simulation/simulation.h"
#include "tests/sim_windows.h"
#include "tests/temp_home.h"

namespace velmora::sim {

namespace fs = std::filesystem;

inline constexpr double kStart = 1765000000.0;

// Records what the tracker shows and does.
struct Recorder : SimObserver {
  // Each menu shown: built, or retitled in place (a pass that moved only its times).
  std::vector<std::vector<MenuEntry>> menus;
  std::vector<std::string> reports;
  std::vector<int32_t> terminations;
  std::vector<std::string> pasteboard;
  std::vector<LoginItemChange> loginItems;
  std::vector<std::pair<StateFile, int>> writeFailures;
  void onMenu(const std::vector<MenuEntry>& e) override { menus.push_back(e); }
  void onMenuTick(const std::vector<MenuEntry>& e) override { menus.push_back(e); }
  void onReport(const std::string& r, PassCause /*cause*/) override { reports.push_back(r); }
  void onTerminate(int32_t pid) override { terminations.push_back(pid); }
  void onPasteboard(const std::string& t) override { pasteboard.push_back(t); }
  void onLoginItem(const LoginItemChange& c) override { loginItems.push_back(c); }
  void onWriteFailure(StateFile f, int error) override { writeFailures.emplace_back(f, error); }
};

inline bool isRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(fs::symlink_status(path, ec));
}

// Windows App runs with one window, "Office PC", until a test changes it; the launch and the
// first refresh come at time 0.
class SimTrackerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.valid());
    Scenario scenario;
    scenario.until = 100000;
    sim_ = std::make_unique<Simulation>(scenario, paths(), kStart, recorder_);
    sim_->desktop().setClient(runningWith({"Office PC"}));
  }

  [[nodiscard]] StatePaths paths() const { return home_.paths(); }

  // Runs every refresh due up to `seconds` after the launch.
  void refreshUntil(double seconds) { sim_->loop().runUntil(seconds); }

  // Copy Debug Info as the user chooses it; the report must reach the pasteboard.
  void copyDebugReachesThePasteboard() {
    const std::size_t before = recorder_.pasteboard.size();
    sim_->key("d");
    ASSERT_EQ(recorder_.pasteboard.size(), before + 1);
    EXPECT_EQ(recorder_.pasteboard.back(), sim_->state().debugLog);
    EXPECT_NE(recorder_.pasteboard.back().find("Names: [\"Office PC\"]"), std::string::npos);
  }

  // Nothing but the two state files (or nothing at all) in the state directory.
  void noTemporaryFilesLeft() {
    std::error_code ec;
    if (!fs::is_directory(paths().kStateDir, ec)) return;
    for (const std::string& name : testing::namesIn(paths().kStateDir)) {
      EXPECT_TRUE(name == "session_start" || name == "debug.log") << "left behind: " << name;
    }
  }

  // The fault is gone: the next refresh stores the start, Copy Debug Info writes its file.
  void recovers(double nextRefresh) {
    refreshUntil(nextRefresh);
    EXPECT_TRUE(isRegularFile(paths().kStateFile));
    EXPECT_EQ(readStart(paths()), kStart + nextRefresh);
    copyDebugReachesThePasteboard();
    EXPECT_EQ(testing::contentOf(paths().kDebugFile), recorder_.pasteboard.back());
    noTemporaryFilesLeft();
  }

  testing::TempHome home_;
  Recorder recorder_;
  std::unique_ptr<Simulation> sim_;
};

// The fault-injection tests, of which tests/linux/ holds those that need Linux.
class FaultInjectionTest : public SimTrackerTest {};

}  // namespace velmora::sim
