// velmora-sim --snapshot: the arguments it refuses, and a hostile window title drawn as text,
// never as markup. The picture's golden is docs/menu.svg, which .ci/run compares with what the
// models draw now (scripts/snapshot.sh --check).
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/sim_program.h"
#include "tests/temp_home.h"

namespace velmora::testing {
namespace {

TEST(SnapshotTest, RefusedArgumentsExitTwoAndWriteNothing) {
  TempHome dir;
  ASSERT_TRUE(dir.valid());
  const std::string svg = dir.path() + "/menu.svg";
  const struct {
    std::vector<std::string> args;
    std::string message;
  } cases[] = {
      {{"--at", "3"}, "--at needs --snapshot"},
      {{"--snapshot", svg, "--at", "-1"}, "--at needs seconds (a number, 0 or more)"},
      {{"--snapshot", svg, "--at", "1e999"}, "--at needs seconds (a number, 0 or more)"},
      {{"--snapshot", svg, "--at", "5s"}, "--at needs seconds (a number, 0 or more)"},
      {{"--snapshot", svg, "--headless"}, "--snapshot and --headless do not go together"},
      {{"--snapshot", svg, "--at", "120.5"}, "--at 120.5 is past the scenario's end (120 s)"},
      {{"--snapshot", dir.path() + "/none/menu.svg"},
       dir.path() + "/none/menu.svg: cannot write the picture: No such file or directory"},
  };
  for (const auto& c : cases) {
    const ProgramRun run = runSim(c.args);
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_EQ(run.err.rfind("velmora-sim: " + c.message + "\n", 0), 0u) << run.err;
  }
  EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{});
}

TEST(SnapshotTest, HostileTitleIsEscapedTextWithItsControlsShown) {
  TempHome dir;
  ASSERT_TRUE(dir.valid());
  const std::string scenario = planted(dir, R"({"until": 10, "events": [{"at": 0, "client":
      {"ax": {"windows": [{"title": "<svg onload='x'>&\"\u001b]2;x\u0007\u202e",
      "subrole": "AXStandardWindow", "size": [1440, 900], "minimized": false}]}}}]})");
  const std::string svg = dir.path() + "/menu.svg";
  ASSERT_EQ(runSim({"--scenario", scenario, "--snapshot", svg}).status, 0);
  const std::string picture = contentOf(svg).value_or("");
  // The session row's title in the menu, whole; the status item's is cut.
  EXPECT_NE(picture.find("&lt;svg onload=&apos;x&apos;&gt;&amp;&quot;\\u{1B}]2;x\\u{7}\\u{202E}"),
            std::string::npos)
      << picture;
  EXPECT_EQ(picture.find("<svg onload"), std::string::npos);
  for (const char c : picture) EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20);
}

}  // namespace
}  // namespace velmora::testing
