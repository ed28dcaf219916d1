// The tracker on the simulated desktop while its state directory misbehaves: blocked paths and
// planted links. Whatever happens, no refresh crashes, no temporary file is left behind, Copy
// Debug Info still fills the pasteboard, and the first refresh after the fault is gone puts
// everything right. The faults that need Linux are in tests/linux/.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

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

}  // namespace
}  // namespace velmora::sim
