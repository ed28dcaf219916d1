#include "files/atomic_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tests/temp_home.h"

namespace velmora {
namespace {

using testing::contentOf;
using testing::modeOf;
using testing::namesIn;
using testing::plant;
using testing::TempHome;
using Names = std::vector<std::string>;

// Runs `body` in a child process and returns its exit status, or -1 when it did not exit.
template <typename Body>
int inChild(Body body) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(body());
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

class AtomicFileTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(home.valid()); }
  std::string at(const std::string& name) const { return home.path() + "/" + name; }

  TempHome home;
};

TEST_F(AtomicFileTest, WritesExactlyTheContentWithMode0600OrTheOneAskedFor) {
  ASSERT_TRUE(plant(at("f"), std::string(5000, 'x')));
  ::chmod(at("f").c_str(), 0644);
  const mode_t old = ::umask(0);  // a permissive umask must not widen the mode
  bool written = static_cast<bool>(writeFileAtomically(at("f"), "1700000000.5"));
  ::umask(old);
  ASSERT_TRUE(written);
  EXPECT_EQ(contentOf(at("f")), "1700000000.5");
  EXPECT_EQ(modeOf(at("f")), 0600);
  ASSERT_TRUE(writeFileAtomically(at("f"), ""));
  EXPECT_EQ(contentOf(at("f")), "");
  const mode_t strict = ::umask(077);  // nor a strict one narrow the mode asked for
  written = static_cast<bool>(writeFileAtomically(at("g"), "x", 0644));
  ::umask(strict);
  ASSERT_TRUE(written);
  EXPECT_EQ(modeOf(at("g")), 0644);
  std::filesystem::remove(at("g"));
  EXPECT_EQ(namesIn(home.path()), Names{"f"});

  // A name without a directory: the temporary file goes beside it, in the working directory.
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(home.path());
  written = static_cast<bool>(writeFileAtomically("plain", "x"));
  std::filesystem::current_path(cwd);
  EXPECT_TRUE(written);
  EXPECT_EQ(namesIn(home.path()), (Names{"f", "plain"}));
}

// Symbolic links at the target are tested where the tracker writes its state files
// (fault_injection_test.cc). A failure says why. A directory without write permission fails as
// a missing one does: no temporary file can be made.
TEST_F(AtomicFileTest, FailsWithoutADirectoryOrOnOneAndLeavesNothing) {
  ASSERT_TRUE(std::filesystem::create_directory(at("dir")));
  ASSERT_TRUE(plant(at("dir/inside"), "keep"));
  const struct {
    std::string path;
    int error;
  } cases[] = {
      {at("missing/f"), ENOENT}, {"", ENOENT}, {home.path() + "/", EISDIR}, {at("dir"), EISDIR}};
  for (const auto& c : cases) EXPECT_EQ(writeFileAtomically(c.path, "x").error, c.error) << c.path;
  EXPECT_EQ(namesIn(home.path()), Names{"dir"});
  EXPECT_EQ(namesIn(at("dir")), Names{"inside"});
}

TEST_F(AtomicFileTest, AShortWriteLeavesTheOldFileAndNoTemporaryFile) {
  ASSERT_TRUE(plant(at("f"), "old"));
  // A file-size limit makes write() stop part way, even for root.
  int status = inChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit {
      1000, 1000
    };
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
    return writeFileAtomically(at("f"), std::string(5000, 'n')) ? 1 : 0;
  });
  ASSERT_NE(status, 3) << "cannot limit the file size";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(contentOf(at("f")), "old");
  EXPECT_EQ(namesIn(home.path()), Names{"f"});
}

TEST_F(AtomicFileTest, AConcurrentReaderSeesOnlyWholeVersions) {
  const std::string small(3000, 's');
  const std::string large(20000, 'L');
  const std::string path = at("f");
  ASSERT_TRUE(writeFileAtomically(path, small));
  std::atomic<bool> done{false};
  int reads = 0;
  int torn = 0;  // missing or mixed: the name must always hold one whole version
  std::thread reader([&] {
    for (; !done; ++reads) {
      const std::optional<std::string> seen = contentOf(path);
      if (!seen || (*seen != small && *seen != large)) ++torn;
    }
  });
  int failures = 0;
  for (int i = 0; i < 2000; ++i) {
    failures += writeFileAtomically(path, i % 2 ? small : large) ? 0 : 1;
  }
  done = true;
  reader.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(torn, 0);
  EXPECT_GT(reads, 0);
  EXPECT_EQ(namesIn(home.path()), Names{"f"});
}

}  // namespace
}  // namespace velmora
