// Faults in the state directory that only Linux can stage: a full file system (a small tmpfs in
// a mount namespace of this process) and the kernel's count of the bytes a read takes.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "tests/linux/small_tmpfs.h"
#include "tests/sim_tracker.h"

namespace velmora::sim {
namespace {

// Bytes this process has read through read() and its kin so far, when the kernel counts them.
std::optional<long long> bytesReadSoFar() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return std::nullopt;
}

// 100 MB of spaces where the start file belongs is turned down after its first few kilobytes,
// and the refresh replaces it.
TEST_F(FaultInjectionTest, HugeStartFileIsNotReadWholeAndIsReplaced) {
  ensureStateDir(paths());
  {
    std::ofstream out(paths().kStateFile, std::ios::binary);
    const std::string chunk(1u << 20, ' ');
    for (int i = 0; i < 100; ++i) out << chunk;
    ASSERT_TRUE(out.good());
  }
  const std::optional<long long> before = bytesReadSoFar();
  EXPECT_FALSE(readStart(paths()));
  const std::optional<long long> after = bytesReadSoFar();
  refreshUntil(0.0);
  EXPECT_EQ(readStart(paths()), kStart);
  noTemporaryFilesLeft();
  if (!before || !after) GTEST_SKIP() << "the kernel keeps no read count here (/proc/self/io)";
  EXPECT_LT(*after - *before, 1 << 20);
}

TEST_F(FaultInjectionTest, FullFileSystemKeepsTheOldReportAndLeavesNoPartialFile) {
  testing::SmallTmpfs tmpfs(home_.path());
  if (!tmpfs.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here: " << tmpfs.error();

  refreshUntil(0.0);  // the start is stored while there is room
  ASSERT_EQ(readStart(paths()), kStart);
  copyDebugReachesThePasteboard();
  const std::optional<std::string> oldReport = testing::contentOf(paths().kDebugFile);
  ASSERT_TRUE(oldReport);

  // The client stops, so the stored start goes; then the disk fills up and the client comes
  // back, so a new start must be written.
  sim_->desktop().setClient(notRunning());
  refreshUntil(5.0);
  ASSERT_FALSE(fs::exists(paths().kStateFile));
  const std::string filler = home_.path() + "/filler";
  ASSERT_TRUE(testing::fillUp(filler));
  sim_->desktop().setClient(runningWith({"Office PC"}));
  // Refreshes that cannot store the start: the one the client's launch asks for, the timer's.
  refreshUntil(15.0);
  EXPECT_FALSE(fs::exists(paths().kStateFile));
  copyDebugReachesThePasteboard();
  const std::pair<StateFile, int> start{StateFile::kSessionStart, ENOSPC};
  EXPECT_EQ(recorder_.writeFailures, (std::vector<std::pair<StateFile, int>>{
                                         start, start, start, {StateFile::kDebugReport, ENOSPC}}));
  EXPECT_EQ(testing::contentOf(paths().kDebugFile), oldReport);  // whole, not cut short
  noTemporaryFilesLeft();

  ASSERT_TRUE(fs::remove(filler));
  recovers(20.0);
}

// macOS 11 and 12 on a full disk: turning "Open at Login" on fails and says so, leaves no
// partial LaunchAgent, and the menu is built again unchecked; with room again it works.
TEST_F(FaultInjectionTest, FullFileSystemFailsOpenAtLoginWithoutAPartialAgent) {
  testing::SmallTmpfs tmpfs(home_.path());
  if (!tmpfs.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here: " << tmpfs.error();
  sim_->loginItems().setHasService(false);
  const std::string folder = fs::path(paths().kLaunchAgentFile).parent_path().string();
  fs::create_directories(folder);
  const std::string filler = home_.path() + "/filler";
  ASSERT_TRUE(testing::fillUp(filler));

  refreshUntil(0.0);
  const std::size_t menus = recorder_.menus.size();
  sim_->click("Open at Login");
  ASSERT_EQ(recorder_.loginItems.size(), 1u);
  EXPECT_FALSE(recorder_.loginItems[0].outcome);
  EXPECT_EQ(recorder_.loginItems[0].after.state, LoginItemStatus::State::kOff);
  EXPECT_TRUE(testing::namesIn(folder).empty());
  // The row reads as before, so the menu is left as it was.
  ASSERT_EQ(recorder_.menus.size(), menus);
  const MenuEntry& row = recorder_.menus.back()[recorder_.menus.back().size() - 4];
  EXPECT_EQ(row.title, "Open at Login");
  EXPECT_FALSE(row.checked);

  ASSERT_TRUE(fs::remove(filler));
  sim_->click("Open at Login");
  ASSERT_EQ(recorder_.loginItems.size(), 2u);
  EXPECT_TRUE(recorder_.loginItems[1].outcome);
  EXPECT_EQ(recorder_.loginItems[1].after.state, LoginItemStatus::State::kOn);
}

}  // namespace
}  // namespace velmora::sim
