// Which TERM values get the interactive screen: only types with a terminfo description.
#include "platform/sim/terminal/terminal_type.h"

#include <sys/stat.h>

#include "gtest/gtest.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

using testing::plant;
using testing::TempHome;

TEST(TerminalTypeTest, KnowsOnlyTypesWithADescription) {
  TempHome dir;
  ASSERT_TRUE(dir.valid());
  for (const char* sub : {"/x", "/68", "/d"})
    ASSERT_EQ(::mkdir((dir.path() + sub).c_str(), 0700), 0);
  ASSERT_TRUE(plant(dir.path() + "/x/xterm-test", "description"));
  ASSERT_TRUE(plant(dir.path() + "/68/hexterm", "description"));  // 68: "h" in hexadecimal
  ASSERT_TRUE(plant(dir.path() + "/d/dumb", "description"));
  const std::vector<std::string> dirs{dir.path() + "/missing", dir.path()};
  const struct {
    const char* term;
    bool known;
  } cases[] = {
      {"xterm-test", true},
      {"hexterm", true},
      {"dumb", false},
      {"", false},
      {"nosuch", false},
      {"x", false},
      {"../x/xterm-test", false},
  };
  for (const auto& c : cases) EXPECT_EQ(knowsTerminal(c.term, dirs), c.known) << c.term;
}

}  // namespace
}  // namespace velmora::sim
