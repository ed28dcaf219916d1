#include "ui/client_control.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_running_apps.h"
#include "platform/sim/sim_script_runner.h"

namespace velmora {
namespace {

struct EscapeCase {
  const char* name;
  const char* escaped;
};

class EscapeTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeTest, DoublesBackslashesThenEscapesQuotes) {
  EXPECT_EQ(escapeForAppleScript(GetParam().name), GetParam().escaped);
  EXPECT_EQ(sim::raisedName(raiseScript("Windows App", GetParam().name), "Windows App"),
            GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EscapeTest,
    ::testing::Values(EscapeCase{"Office PC", "Office PC"}, EscapeCase{"a\"b", "a\\\"b"},
                      EscapeCase{"a\\b", "a\\\\b"}, EscapeCase{"\\\"", "\\\\\\\""},
                      EscapeCase{"line\nfeed", "line\nfeed"}, EscapeCase{"", ""}));

TEST(ClientControlTest, RaiseScriptIsByteExact) {
  const std::string script = raiseScript("Windows App", "Office \"PC\"");
  EXPECT_EQ(script,
            "tell application \"System Events\"\n"
            "    tell process \"Windows App\"\n"
            "        set frontmost to true\n"
            "        repeat with w in (every window whose name is \"Office \\\"PC\\\"\")\n"
            "            perform action \"AXRaise\" of w\n"
            "        end repeat\n"
            "    end tell\n"
            "end tell");
  EXPECT_EQ(raiseScript("Windows App", "").size(), 51u + 11u + 86u + 85u);
}

TEST(ClientControlTest, ActsOnTheFirstInstanceOnly) {
  SimRunningApps apps;
  sim::SimScriptRunner scripts;
  apps.instances = {{10}, {11}};
  focusWindow("X", scripts, apps);
  quitApp(apps);
  ASSERT_EQ(apps.activations.size(), 1u);
  EXPECT_EQ(apps.activations[0].instance, RunningInstance{10});
  EXPECT_EQ(apps.activations[0].options, 2u);
  EXPECT_EQ(apps.terminations, std::vector<RunningInstance>{{10}});
  EXPECT_EQ(scripts.sources.size(), 1u);
}

TEST(ClientControlTest, WithoutAClientTheScriptStillRunsAndNothingIsActivated) {
  SimRunningApps apps;
  sim::SimScriptRunner scripts;
  scripts.answer = {ScriptResult::Kind::kError, "no process"};
  focusWindow("X", scripts, apps);
  quitApp(apps);
  EXPECT_EQ(scripts.sources.size(), 1u);
  EXPECT_TRUE(apps.activations.empty());
  EXPECT_TRUE(apps.terminations.empty());
}

}  // namespace
}  // namespace velmora
