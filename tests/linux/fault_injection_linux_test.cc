// Faults in the state directory that only Linux can stage: a full file system (a small tmpfs in
// a mount namespace of this process) and the kernel's count of the bytes a read takes.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

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
  sim_->desktop().setClient(runningWith({"Office PC"}));
  refreshUntil(15.0);  // two refreshes that cannot store the start
  EXPECT_FALSE(fs::exists(paths().kStateFile));
  copyDebugReachesThePasteboard();
  EXPECT_EQ(testing::contentOf(paths().kDebugFile), oldReport);  // whole, not cut short
  noTemporaryFilesLeft();

  ASSERT_TRUE(fs::remove(filler));
  recovers(20.0);
}

// macOS 11 and 12 on a full disk: turning "Open at Login" on fails and says so, leaves no
// partial LaunchAgent, and the menu is built again unchecked; with room again it works.
TEST_F(FaultInjectionTest, FullFileSystemFailsOpenAtLoginWithoutAPartialAgent) {
  SmallTmpfs tmpfs(home_.path());
  if (!tmpfs.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here: " << tmpfs.error();
  sim_->loginItems().setHasService(false);
  const std::string folder = fs::path(paths().kLaunchAgentFile).parent_path().string();
  fs::create_directories(folder);
  const std::string filler = home_.path() + "/filler";
  ASSERT_TRUE(fillUp(filler));

  refreshUntil(0.0);
  const std::size_t menus = recorder_.menus.size();
  sim_->click("Open at Login");
  ASSERT_EQ(recorder_.loginItems.size(), 1u);
  EXPECT_EQ(recorder_.loginItems[0].request, LoginItemRequest::kOn);
  EXPECT_FALSE(recorder_.loginItems[0].succeeded);
  EXPECT_EQ(recorder_.loginItems[0].after.state, LoginItemStatus::State::kOff);
  EXPECT_TRUE(testing::namesIn(folder).empty());
  ASSERT_EQ(recorder_.menus.size(), menus + 1);
  const MenuEntry& row = recorder_.menus.back()[recorder_.menus.back().size() - 3];
  EXPECT_EQ(row.title, "Open at Login");
  EXPECT_FALSE(row.checked);

  ASSERT_TRUE(fs::remove(filler));
  sim_->click("Open at Login");
  ASSERT_EQ(recorder_.loginItems.size(), 2u);
  EXPECT_TRUE(recorder_.loginItems[1].succeeded);
  EXPECT_EQ(recorder_.loginItems[1].after.state, LoginItemStatus::State::kOn);
}

}  // namespace
}  // namespace velmora::sim
