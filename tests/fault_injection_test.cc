// The tracker on the simulated desktop while its state directory misbehaves: blocked paths, a
// full file system, planted links and a huge start file. Whatever happens, no refresh crashes,
// no temporary file is left behind, Copy Debug Info still fills the pasteboard, and the first
// refresh after the fault is gone puts everything right.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app_delegate.h"
#include "clock/start_file.h"
#include "clock/state_dir.h"
#include "platform/sim/simulation.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

namespace fs = std::filesystem;

constexpr double kStart = 1765000000.0;

SimClientState runningWith(const std::string& title) {
  SimClientState c;
  c.pid = 4242;
  c.ax.windows.push_back({SimAttribute::ofText(title), SimAttribute::ofText("AXStandardWindow"),
                          SimAttribute::ofSize(1440, 900), SimAttribute::ofBool(false)});
  return c;
}

struct PasteboardRecorder : SimObserver {
  std::vector<std::string> texts;
  void onPasteboard(const std::string& t) override { texts.push_back(t); }
};

bool isLink(const std::string& path) {
  std::error_code ec;
  return fs::is_symlink(fs::symlink_status(path, ec));
}

bool isRegularFile(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(fs::symlink_status(path, ec));
}

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

class FaultInjectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(home_.valid());
    Scenario scenario;
    scenario.until = 100000;
    sim_ = std::make_unique<Simulation>(scenario, paths(), kStart, recorder_);
    sim_->desktop().setClient(runningWith("Office PC"));
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

// 100 MB of spaces is no start file: it is turned down after its first few kilobytes and the
// refresh replaces it.
TEST_F(FaultInjectionTest, HugeStartFileIsRejectedWithoutBeingReadWholeAndThenRewritten) {
  ensureStateDir(paths());
  constexpr std::size_t kHuge = 100u << 20;
  {
    std::ofstream out(paths().kStateFile, std::ios::binary);
    const std::string chunk(1u << 20, ' ');
    for (std::size_t written = 0; written < kHuge; written += chunk.size()) out << chunk;
    ASSERT_TRUE(out.good());
  }
  ASSERT_EQ(fs::file_size(paths().kStateFile), kHuge);

  const std::optional<long long> before = bytesReadSoFar();
  EXPECT_FALSE(readStart(paths()));
  const std::optional<long long> after = bytesReadSoFar();
  if (before && after) {
    EXPECT_LT(*after - *before, 1 << 20);
  }

  refreshUntil(0.0);
  EXPECT_EQ(readStart(paths()), kStart);
  EXPECT_LT(fs::file_size(paths().kStateFile), 64u);
  copyDebugReachesThePasteboard();
  noTemporaryFilesLeft();
}

// A tmpfs of 64 KiB mounted over the home directory, in a mount namespace of this process
// only, so that the host never sees it. Needs the right to mount (root in most containers).
class SmallTmpfs {
 public:
  explicit SmallTmpfs(const std::string& at) {
    if (::unshare(CLONE_NEWNS) != 0) {
      error_ = std::string("unshare(CLONE_NEWNS): ") + std::strerror(errno);
      return;
    }
    // Keep the mount below from propagating back to the namespace this process came from.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      error_ = std::string("making / private: ") + std::strerror(errno);
      return;
    }
    if (::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=64k,mode=0700") != 0) {
      error_ = std::string("mount -t tmpfs -o size=64k: ") + std::strerror(errno);
      return;
    }
    at_ = at;
  }
  ~SmallTmpfs() {
    if (!at_.empty()) ::umount2(at_.c_str(), MNT_DETACH);
  }
  SmallTmpfs(const SmallTmpfs&) = delete;
  SmallTmpfs& operator=(const SmallTmpfs&) = delete;

  [[nodiscard]] bool mounted() const { return !at_.empty(); }
  [[nodiscard]] const std::string& error() const { return error_; }

 private:
  std::string at_;
  std::string error_;
};

// Fills the file system of `path` by writing zeros to it until no byte more fits.
bool fillUp(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const std::string block(4096, '\0');
  bool full = false;
  while (!full) {
    const ssize_t n = ::write(fd, block.data(), block.size());
    if (n < 0 && errno == EINTR) continue;
    full = n <= 0 || static_cast<std::size_t>(n) < block.size();
  }
  // The last partial block may have left a few bytes; one more byte at a time takes them.
  while (::write(fd, "", 1) == 1) {
  }
  const bool noSpace = errno == ENOSPC;
  ::close(fd);
  return noSpace;
}

TEST_F(FaultInjectionTest, FullFileSystemKeepsTheOldReportAndLeavesNoPartialFile) {
  SmallTmpfs tmpfs(home_.path());
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
  ASSERT_TRUE(fillUp(filler));
  sim_->desktop().setClient(runningWith("Office PC"));
  refreshUntil(15.0);  // two refreshes that cannot store the start
  EXPECT_FALSE(fs::exists(paths().kStateFile));
  copyDebugReachesThePasteboard();
  EXPECT_EQ(testing::contentOf(paths().kDebugFile), oldReport);  // whole, not cut short
  noTemporaryFilesLeft();

  ASSERT_TRUE(fs::remove(filler));
  recovers(20.0);
}

}  // namespace
}  // namespace velmora::sim
