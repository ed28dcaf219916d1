// The deadline of the tests' program runs: a program that never ends is killed, with whatever it
// started, and the run fails naming the command.
#include <chrono>
#include <string>

#include "gtest/gtest.h"
#include "tests/run_program.h"

namespace velmora::testing {
namespace {

TEST(RunProgramTest, AProgramThatNeverEndsIsKilledAtTheDeadlineAndNamed) {
  // The shell waits for a child of its own, which holds the output pipes too.
  const Program program{.args = {"/bin/sh", "-c", "sleep 600 & echo started; wait"},
                        .deadline = std::chrono::milliseconds(200)};
  const auto began = std::chrono::steady_clock::now();
  const ProgramRun run = runProgram(program);
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(60));  // not 600
  EXPECT_EQ(run.failure,
            "/bin/sh -c 'sleep 600 & echo started; wait' did not end within 200 ms; killed it "
            "and its process group");
  EXPECT_EQ(run.status, -1);
  EXPECT_EQ(run.out, "started\n");  // what it wrote before the deadline is kept
}

}  // namespace
}  // namespace velmora::testing
