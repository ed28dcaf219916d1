// Which TERM values get the interactive screen: only types with a terminfo description.
#include "platform/sim/terminal/terminal_type.h"

#include <sys/stat.h>

#include "gtest/gtest.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

TEST(TerminalTypeTest, KnowsOnlyTypesWithADescription) {
  testing::TempHome dir;
  ASSERT_TRUE(dir.valid());
  for (const char* file : {"/x/xterm-test", "/68/hexterm", "/d/dumb"}) {  // 68: "h" in hex
    const std::string path = dir.path() + file;
    ASSERT_EQ(::mkdir(path.substr(0, path.rfind('/')).c_str(), 0700), 0);
    ASSERT_TRUE(testing::plant(path, "description"));
  }
  const std::vector<std::string> dirs{dir.path() + "/missing", dir.path()};
  for (const char* term : {"xterm-test", "hexterm"}) EXPECT_TRUE(knowsTerminal(term, dirs)) << term;
  for (const char* term : {"dumb", "", "nosuch", "x", "../x/xterm-test"}) {
    EXPECT_FALSE(knowsTerminal(term, dirs)) << term;
  }
}

}  // namespace
}  // namespace velmora::sim
