#include "clock/state_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/temp_home.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::contentOf;
using testing::modeOf;
using testing::plant;
using testing::TempHome;

class StateDirTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(home.valid()); }

  TempHome home;
  StatePaths paths = home.paths();
};

TEST_F(StateDirTest, CreatesTheDirectoryAndItsMissingParentPrivately) {
  ASSERT_FALSE(fs::exists(home.path() + "/.cache"));
  mode_t old = ::umask(0);  // a permissive umask must not widen the mode
  ensureStateDir(paths);
  ::umask(old);
  ASSERT_TRUE(fs::is_directory(paths.kStateDir));
  EXPECT_EQ(modeOf(paths.kStateDir), 0700);
}

// A directory, or a link, already at the path is left as it is: no mode change, no link target
// made. A file there, or in place of the parent, is BlockedStateDirTest's.
TEST_F(StateDirTest, LeavesWhateverIsAtThePathAlone) {
  ASSERT_TRUE(fs::create_directories(paths.kStateDir));
  ASSERT_EQ(::chmod(paths.kStateDir.c_str(), 0755), 0);
  ASSERT_TRUE(plant(paths.kStateFile, "1e3"));
  ensureStateDir(paths);
  EXPECT_EQ(modeOf(paths.kStateDir), 0755);
  EXPECT_EQ(contentOf(paths.kStateFile), "1e3");

  fs::remove_all(paths.kStateDir);
  const std::string nowhere = home.path() + "/nowhere";
  ASSERT_EQ(::symlink(nowhere.c_str(), paths.kStateDir.c_str()), 0);
  ensureStateDir(paths);
  EXPECT_TRUE(fs::is_symlink(paths.kStateDir));
  EXPECT_FALSE(fs::exists(nowhere));
}

}  // namespace
}  // namespace velmora
