// The session history on a read-only or full file system, which only Linux can stage here: a
// small tmpfs over the history's folder. Recording pauses with the reason in the submenu, the
// tracker goes on, and what is in memory is written at the first change once the disk allows.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/sim/simulation/simulation.h"
#include "tests/linux/small_tmpfs.h"
#include "tests/sim_windows.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

struct HistoryRecorder : SimObserver {
  std::vector<HistoryWrite> writes;
  std::vector<MenuEntry> menu;
  void onHistory(const HistoryWrite& w) override { writes.push_back(w); }
  void onMenu(const std::vector<MenuEntry>& m) override { menu = m; }

  [[nodiscard]] std::string notice() const {
    for (const MenuEntry& e : menu) {
      if (e.title == "Session History") return e.submenu.back().title;
    }
    return "";
  }
};

TEST(HistoryFaultsLinuxTest, AReadOnlyOrFullDiskPausesRecordingUntilTheNextChange) {
  const struct {
    bool readOnly;
    const char* notice;
  } cases[] = {
      {true, "History paused: Read-only file system (tried again at the next change)"},
      {false, "History paused: No space left on device (tried again at the next change)"},
  };
  for (const auto& c : cases) {
    const testing::TempHome home;
    const StatePaths paths = home.paths();
    std::filesystem::create_directories(paths.kHistoryDir);
    // Room for the database and its WAL companions once the filler goes.
    const testing::SmallTmpfs tmpfs(paths.kHistoryDir, "1m");
    if (!tmpfs.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here: " << tmpfs.error();
    ASSERT_TRUE(c.readOnly ? tmpfs.setReadOnly(true)
                           : testing::fillUp(paths.kHistoryDir + "/fill"));
    HistoryRecorder recorder;
    Scenario scenario;
    scenario.history = true;
    Simulation sim(scenario, paths, 1765000000.0, recorder);
    sim.desktop().setClient(runningWith({"Office PC"}));
    sim.loop().runUntil(10.0);
    EXPECT_EQ(recorder.notice(), c.notice);
    EXPECT_TRUE(recorder.writes.empty());
    // The disk allows again; the next session's start writes both rows.
    ASSERT_TRUE(c.readOnly ? tmpfs.setReadOnly(false)
                           : std::filesystem::remove(paths.kHistoryDir + "/fill"));
    sim.desktop().setClient(runningWith({"Office PC", "Lab"}));
    sim.loop().runUntil(20.0);
    ASSERT_EQ(recorder.writes.size(), 2u) << recorder.notice();
    EXPECT_EQ(recorder.writes[0].name, "Office PC");
    EXPECT_EQ(recorder.writes[0].started, 1765000000.0);
    EXPECT_EQ(recorder.notice(), "Keep Session History");
  }
}

}  // namespace
}  // namespace velmora::sim
