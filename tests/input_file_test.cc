// The size limit of files named on velmora-sim's command line, at its boundary; the other
// refusals (directory, FIFO, device, a huge file) are the program tests' rows.
#include "platform/sim/scenario/input_file.h"

#include <string>
#include <variant>

#include "gtest/gtest.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

TEST(InputFileTest, ReadsAFileOfExactlyTheLimitAndRefusesOneByteMore) {
  testing::TempHome dir;
  const std::string file = dir.path() + "/f";
  const std::string content("{\"a\":\0}", 7);  // read whole, past a NUL
  ASSERT_TRUE(testing::plant(file, content));
  const InputFileResult whole = readInputFile(file, 7);
  ASSERT_TRUE(std::holds_alternative<std::string>(whole));
  EXPECT_EQ(std::get<std::string>(whole), content);
  const InputFileResult over = readInputFile(file, 6);
  ASSERT_TRUE(std::holds_alternative<InputFileError>(over));
  EXPECT_EQ(std::get<InputFileError>(over).message, "larger than 6 bytes");
}

}  // namespace
}  // namespace velmora::sim
