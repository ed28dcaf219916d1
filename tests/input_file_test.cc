// Files named on velmora-sim's command line are never read past the size limit. What is not a
// regular file is refused by the program test (velmora_sim_test.cc).
#include "platform/sim/input_file.h"

#include <string>

#include "gtest/gtest.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

using testing::plant;
using testing::TempHome;

std::string errorOf(const InputFileResult& r) {
  const auto* e = std::get_if<InputFileError>(&r);
  return e == nullptr ? "(read)" : e->message;
}

TEST(InputFileTest, ReadsRegularFilesWholeUpToTheLimit) {
  TempHome dir;
  const std::string file = dir.path() + "/f";
  ASSERT_TRUE(plant(file, std::string("{\"a\":\0}", 7)));
  const InputFileResult r = readInputFile(file, 7);
  ASSERT_TRUE(std::holds_alternative<std::string>(r)) << errorOf(r);
  EXPECT_EQ(std::get<std::string>(r), std::string("{\"a\":\0}", 7));
  EXPECT_EQ(errorOf(readInputFile(file, 6)), "larger than 6 bytes");
}

}  // namespace
}  // namespace velmora::sim
