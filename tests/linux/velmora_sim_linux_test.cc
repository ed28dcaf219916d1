// velmora-sim on a full disk and on file systems that only Linux can stage: /dev/full, which
// fails every write with ENOSPC, and a small tmpfs (full or read-only) under the state folder.
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/linux/small_tmpfs.h"
#include "tests/sim_program.h"
#include "tests/temp_home.h"

namespace velmora::testing {
namespace {

TEST(VelmoraSimLinuxTest, AFullDiskEndsEveryModeWithOneMessageAndStatusOne) {
  const TempHome home, scratch;
  ASSERT_TRUE(home.valid() && scratch.valid());
  expectEveryModeStopsOnAFailedWrite(
      {.stdoutTo = Program::Stdout::kFile, .stdoutPath = "/dev/full"}, "No space left on device",
      home, scratch);
}

// The default state folder on a read-only file system, with or without the folder, or on a
// full one: found at launch, one message and status 2.
TEST(VelmoraSimLinuxTest, AReadOnlyOrFullFileSystemEndsTheLaunch) {
  const TempHome home;
  ASSERT_TRUE(home.valid());
  const SmallTmpfs tmpfs(home.path());
  if (!tmpfs.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here: " << tmpfs.error();
  const std::string own = home.path() + "/velmora-sim";
  const std::string dir = own + "/.cache/velmora_session_tracker";
  const std::pair<std::string, std::string> cases[] = {
      {"read-only", "cannot make the state folder: " + own + ": Read-only file system"},
      {"folder, read-only", "cannot write in the state folder " + dir + ": Read-only file system"},
      {"folder, full", "cannot write in the state folder " + dir + ": No space left on device"},
  };
  for (const auto& [stage, message] : cases) {
    if (stage.starts_with("folder")) std::filesystem::create_directories(dir);
    ASSERT_TRUE(tmpfs.setReadOnly(stage.ends_with("read-only")));
    ASSERT_TRUE(!stage.ends_with("full") || fillUp(home.path() + "/filler"));
    const ProgramRun run = runSim({}, {.environment = {"XDG_STATE_HOME=" + home.path()}});
    EXPECT_EQ(run.status, 2) << stage;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "velmora-sim: " + message + "\n(give another with --home)\n");
    ASSERT_TRUE(tmpfs.setReadOnly(false));
  }
  EXPECT_EQ(namesIn(dir), std::vector<std::string>{});
}

// Room for the start file but not for the debug report: the launch's probe passes (and frees
// its room again), and the failed write of Copy Debug Info is an event of its own.
TEST(VelmoraSimLinuxTest, AStateFileWriteThatFailsLaterIsAnEvent) {
  const TempHome home, scratch;
  ASSERT_TRUE(home.valid() && scratch.valid());
  const std::string scenario =
      planted(scratch, R"({"start": 1765000000, "until": 0, "events": [{"at": 0, "client": )" +
                           kOfficePc + R"(}, {"at": 0, "key": "d"}]})");
  const SmallTmpfs tmpfs(home.path());
  if (!tmpfs.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here: " << tmpfs.error();
  const StatePaths paths = home.paths();
  ASSERT_TRUE(std::filesystem::create_directories(paths.kStateDir));
  const std::string filler = home.path() + "/filler";
  ASSERT_TRUE(fillUp(filler));
  std::filesystem::resize_file(filler, std::filesystem::file_size(filler) - 4096);  // one page

  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--headless"},
       R"({"error":"No space left on device","event":"write-failed","file":"debug.log","t":0.084})"},
      {{},
       "[    0.1s] could not write the debug report: No space left on device (the pasteboard "
       "has it)"},
  };
  for (const auto& [mode, line] : cases) {
    std::vector<std::string> args{"--scenario", scenario, "--home", home.path()};
    args.insert(args.end(), mode.begin(), mode.end());
    const ProgramRun run = runSim(args);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\n" + line + "\n"), std::string::npos) << run.out;
    EXPECT_TRUE(contentOf(paths.kStateFile)) << "the start file had room";
    EXPECT_FALSE(contentOf(paths.kDebugFile));
    std::filesystem::remove(paths.kStateFile);
  }
}

}  // namespace
}  // namespace velmora::testing
