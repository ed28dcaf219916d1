// The tracker on the simulated desktop while its state directory misbehaves: blocked paths and
// planted links. Whatever happens, no refresh crashes, no temporary file is left behind, Copy
// Debug Info still fills the pasteboard, and the first refresh after the fault is gone puts
// everything right. The faults that need Linux are in tests/linux/.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "app/launch_agent.h"
#include "tests/sim_tracker.h"

namespace velmora::sim {
namespace {

// Something other than a directory stands where the state directory or its parent should be.
struct BlockedPath {
  const char* name;
  const char* underHome;
};

class BlockedStateDirTest : public FaultInjectionTest,
                            public ::testing::WithParamInterface<BlockedPath> {};

TEST_P(BlockedStateDirTest, RefreshesAndCopiesGoOnAndTheNextRefreshAfterwardsRecovers) {
  const fs::path blocked = fs::path(home_.path()) / GetParam().underHome;
  fs::create_directories(blocked.parent_path());
  ASSERT_TRUE(testing::plant(blocked, "not a directory"));

  refreshUntil(10.0);  // three refreshes, each trying to store the start
  copyDebugReachesThePasteboard();
  EXPECT_FALSE(readStart(paths()));
  const std::pair<StateFile, int> start{StateFile::kSessionStart, ENOTDIR};
  const std::vector<std::pair<StateFile, int>> failures{
      start, start, start, {StateFile::kDebugReport, ENOTDIR}};
  EXPECT_EQ(recorder_.writeFailures, failures);  // each told, none thrown or retried at once
  EXPECT_EQ(testing::contentOf(blocked), "not a directory");  // neither replaced nor added to
  EXPECT_EQ(testing::namesIn(blocked.parent_path()),
            std::vector<std::string>{blocked.filename().string()});

  ASSERT_TRUE(fs::remove(blocked));
  recovers(15.0);
  EXPECT_EQ(recorder_.writeFailures, failures);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BlockedStateDirTest,
    ::testing::Values(BlockedPath{"StateDirIsARegularFile", ".cache/velmora_session_tracker"},
                      BlockedPath{"CacheDirIsARegularFile", ".cache"}),
    [](const ::testing::TestParamInfo<BlockedPath>& p) { return std::string(p.param.name); });

// A link planted at either state file, to a file of the user's or to nowhere, is replaced by
// the tracker's own file: the user's file keeps its content and no link target is created.
TEST_F(FaultInjectionTest, LinkAtAStateFileIsReplacedAndItsTargetLeftAlone) {
  ensureStateDir(paths());
  const std::string notes = home_.path() + "/notes.txt";
  const std::string nowhere = home_.path() + "/nowhere/file";
  ASSERT_TRUE(testing::plant(notes, "my notes"));
  const struct {
    std::string startFileTo, debugFileTo;
    double refresh;  // one that finds no stored moment through the link, so writes the start
  } rounds[] = {{notes, nowhere, 0.0}, {nowhere, notes, 5.0}};
  for (const auto& r : rounds) {
    fs::remove(paths().kStateFile);
    fs::remove(paths().kDebugFile);
    fs::create_symlink(r.startFileTo, paths().kStateFile);
    fs::create_symlink(r.debugFileTo, paths().kDebugFile);
    refreshUntil(r.refresh);
    EXPECT_TRUE(isRegularFile(paths().kStateFile));
    EXPECT_EQ(readStart(paths()), kStart + r.refresh);
    copyDebugReachesThePasteboard();
    EXPECT_TRUE(isRegularFile(paths().kDebugFile));
    EXPECT_EQ(testing::contentOf(paths().kDebugFile), recorder_.pasteboard.back());
    EXPECT_EQ(testing::contentOf(notes), "my notes");
    EXPECT_FALSE(fs::exists(home_.path() + "/nowhere"));
    noTemporaryFilesLeft();
  }
}

// macOS 11 and 12, where the tracker writes its LaunchAgent: whatever stands at its path or in
// place of its folder is never written through or replaced from the menu, whose row says why and
// is disabled; refreshes go on. Planted after the tracker looked, a link is replaced and its
// target left alone. Once the obstacle is gone, the row works.
TEST_F(FaultInjectionTest, ObstacleAtTheLaunchAgentIsLeftAndTheRowSaysSo) {
  const std::string agent = paths().kLaunchAgentFile;
  const std::string folder = fs::path(agent).parent_path().string();
  const std::string notes = home_.path() + "/notes.txt";
  const char* const kInTheWay = "Open at Login (not available: LaunchAgent file in the way)";
  enum class Obstacle { kLinkToFile, kLinkToNowhere, kDirectory, kFolderIsAFile };
  for (const Obstacle o : {Obstacle::kLinkToFile, Obstacle::kLinkToNowhere, Obstacle::kDirectory,
                           Obstacle::kFolderIsAFile}) {
    fs::remove_all(home_.path() + "/Library");
    fs::create_directories(folder);
    ASSERT_TRUE(testing::plant(notes, "my notes"));
    if (o == Obstacle::kLinkToFile) fs::create_symlink(notes, agent);
    if (o == Obstacle::kLinkToNowhere) fs::create_symlink(home_.path() + "/nowhere/x", agent);
    if (o == Obstacle::kDirectory) fs::create_directory(agent);
    if (o == Obstacle::kFolderIsAFile) {
      fs::remove(folder);
      ASSERT_TRUE(testing::plant(folder, "not a folder"));
    }
    sim_->loginItems().setHasService(false);
    const std::size_t menus = recorder_.menus.size();
    refreshUntil(sim_->loop().now() + 5.0);
    ASSERT_GT(recorder_.menus.size(), menus);
    EXPECT_EQ(recorder_.menus.back()[recorder_.menus.back().size() - 4],
              MenuEntry::infoEntry(kInTheWay));
    sim_->click(kInTheWay);
    EXPECT_TRUE(recorder_.loginItems.empty());

    const bool link = o == Obstacle::kLinkToFile || o == Obstacle::kLinkToNowhere;
    EXPECT_EQ(static_cast<bool>(writeLaunchAgent(agent, "/Applications/V.app/Contents/MacOS/V")),
              link);
    EXPECT_EQ(testing::contentOf(notes), "my notes");
    EXPECT_FALSE(fs::exists(home_.path() + "/nowhere"));
    EXPECT_EQ(isRegularFile(agent), link);
    if (o == Obstacle::kFolderIsAFile) {
      EXPECT_EQ(testing::contentOf(folder), "not a folder");
    } else {  // no temporary file left beside it
      EXPECT_EQ(testing::namesIn(folder),
                std::vector<std::string>{"com.velmora.session-tracker.plist"});
    }
  }
  fs::remove_all(home_.path() + "/Library");
  refreshUntil(sim_->loop().now() + 5.0);
  sim_->click("Open at Login");
  ASSERT_EQ(recorder_.loginItems.size(), 1u);
  EXPECT_TRUE(recorder_.loginItems[0].outcome);
  EXPECT_EQ(readLaunchAgentFile(agent), LaunchAgentFile::kOurs);
}

}  // namespace
}  // namespace velmora::sim
