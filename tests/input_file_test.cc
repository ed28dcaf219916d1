// Files named on velmora-sim's command line: only regular files are read, never blocking on a
// FIFO and never past the size limit.
#include "platform/sim/input_file.h"

#include <sys/stat.h>

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

TEST(InputFileTest, RefusesWhatIsNotARegularFileWithoutBlocking) {
  TempHome dir;
  const std::string fifo = dir.path() + "/fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const struct {
    std::string path;
    std::string message;
  } cases[] = {
      {dir.path(), "is a directory"},
      {fifo, "is a FIFO, not a regular file"},  // no writer: opening must not wait for one
      {"/dev/zero", "is a device, not a regular file"},
      {dir.path() + "/missing", "No such file or directory"},
  };
  for (const auto& c : cases) EXPECT_EQ(errorOf(readInputFile(c.path)), c.message) << c.path;
}

}  // namespace
}  // namespace velmora::sim
