// The fixture of the fault-injection tests: the tracker on the simulated desktop with a real
// state directory in a temporary home, and the checks every fault ends with.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "clock/start_file.h"
#include "clock/state_dir.h"
#include "platform/sim/simulation.h"
#include "tests/sim_windows.h"
#include "tests/temp_home.h"

namespace velmora::sim {

namespace fs = std::filesystem;

inline constexpr double kStart = 1765000000.0;

struct PasteboardRecorder : SimObserver {
  std::vector<std::string> texts;
  void onPasteboard(const std::string& t) override { texts.push_back(t); }
};

inline bool isRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(fs::symlink_status(path, ec));
}

class FaultInjectionTest : public ::testing::Test {
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
    const std::size_t before = recorder_.texts.size();
    sim_->key("d");
    ASSERT_EQ(recorder_.texts.size(), before + 1);
    EXPECT_EQ(recorder_.texts.back(), sim_->state().debugLog);
    EXPECT_NE(recorder_.texts.back().find("Names: [\"Office PC\"]"), std::string::npos);
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
    EXPECT_EQ(testing::contentOf(paths().kDebugFile), recorder_.texts.back());
    noTemporaryFilesLeft();
  }

  testing::TempHome home_;
  PasteboardRecorder recorder_;
  std::unique_ptr<Simulation> sim_;
};

}  // namespace velmora::sim
