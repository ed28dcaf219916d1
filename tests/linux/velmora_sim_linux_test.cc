// velmora-sim on a full disk: /dev/full, which only Linux has, fails every write with ENOSPC.
#include <gtest/gtest.h>

#include "tests/sim_program.h"
#include "tests/temp_home.h"

namespace velmora::testing {
namespace {

TEST(VelmoraSimLinuxTest, AFullDiskEndsEveryModeWithOneMessageAndStatusOne) {
  const TempHome home;
  const TempHome scratch;
  ASSERT_TRUE(home.valid() && scratch.valid());
  expectEveryModeStopsOnAFailedWrite(
      {.stdoutTo = Program::Stdout::kFile, .stdoutPath = "/dev/full"}, "No space left on device",
      home, scratch);
}

}  // namespace
}  // namespace velmora::testing
