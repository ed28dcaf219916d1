// The tracker on the simulated desktop while its state directory misbehaves: blocked paths,
// planted links and a huge start file. Whatever happens, no refresh crashes, no temporary file is
// left behind, Copy Debug Info still fills the pasteboard, and the first refresh after the fault
// is gone puts everything right. The faults that need Linux are in tests/linux/.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/fault_injection.h"

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
  EXPECT_EQ(testing::contentOf(blocked), "not a directory");  // neither replaced nor added to
  EXPECT_EQ(testing::namesIn(blocked.parent_path()),
            std::vector<std::string>{blocked.filename().string()});

  ASSERT_TRUE(fs::remove(blocked));
  recovers(15.0);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BlockedStateDirTest,
    ::testing::Values(BlockedPath{"StateDirIsARegularFile", ".cache/velmora_session_tracker"},
                      BlockedPath{"CacheDirIsARegularFile", ".cache"}),
    [](const ::testing::TestParamInfo<BlockedPath>& p) { return std::string(p.param.name); });

// A link planted at one of the two state files, pointing at a file of the user's.
TEST_F(FaultInjectionTest, LinkAtTheStartFileIsReplacedAndItsTargetLeftAlone) {
  ensureStateDir(paths());
  const std::string target = home_.path() + "/notes.txt";
  ASSERT_TRUE(testing::plant(target, "my notes"));
  fs::create_symlink(target, paths().kStateFile);

  refreshUntil(0.0);
  EXPECT_TRUE(isRegularFile(paths().kStateFile));
  EXPECT_EQ(readStart(paths()), kStart);
  EXPECT_EQ(testing::contentOf(target), "my notes");
  copyDebugReachesThePasteboard();
  noTemporaryFilesLeft();
}

TEST_F(FaultInjectionTest, DanglingLinkAtTheStartFileIsReplacedWithoutCreatingItsTarget) {
  ensureStateDir(paths());
  const std::string target = home_.path() + "/nowhere/start";
  fs::create_symlink(target, paths().kStateFile);

  refreshUntil(0.0);
  EXPECT_TRUE(isRegularFile(paths().kStateFile));
  EXPECT_EQ(readStart(paths()), kStart);
  EXPECT_FALSE(fs::exists(home_.path() + "/nowhere"));
  noTemporaryFilesLeft();
}

TEST_F(FaultInjectionTest, LinkToAStoredMomentIsReadButOnlyTheLinkIsRemovedWhenTheClientStops) {
  ensureStateDir(paths());
  const std::string target = home_.path() + "/elsewhere";
  ASSERT_TRUE(testing::plant(target, "1764990000.5"));
  fs::create_symlink(target, paths().kStateFile);

  refreshUntil(0.0);
  EXPECT_EQ(readStart(paths()), 1764990000.5);  // a stored moment: nothing to write
  sim_->desktop().setClient(notRunning());
  refreshUntil(5.0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(paths().kStateFile)));
  EXPECT_EQ(testing::contentOf(target), "1764990000.5");
}

TEST_F(FaultInjectionTest, LinkAtTheDebugFileIsReplacedAndItsTargetLeftAlone) {
  ensureStateDir(paths());
  const std::string target = home_.path() + "/notes.txt";
  ASSERT_TRUE(testing::plant(target, "my notes"));
  fs::create_symlink(target, paths().kDebugFile);

  refreshUntil(0.0);
  copyDebugReachesThePasteboard();
  EXPECT_FALSE(isLink(paths().kDebugFile));
  EXPECT_EQ(testing::contentOf(paths().kDebugFile), recorder_.texts.back());
  EXPECT_EQ(testing::contentOf(target), "my notes");
  noTemporaryFilesLeft();
}

// The huge start file is turned down and the refresh replaces it.
TEST_F(FaultInjectionTest, HugeStartFileIsRejectedAndThenRewritten) {
  plantHugeStartFile(paths());
  EXPECT_FALSE(readStart(paths()));

  refreshUntil(0.0);
  EXPECT_EQ(readStart(paths()), kStart);
  EXPECT_LT(fs::file_size(paths().kStateFile), 64u);
  copyDebugReachesThePasteboard();
  noTemporaryFilesLeft();
}

}  // namespace
}  // namespace velmora::sim
