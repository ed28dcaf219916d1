#include "ui/client_control.h"

#include <gtest/gtest.h>

#include "platform/sim/desktop/sim_desktop.h"
#include "platform/sim/desktop/sim_running_apps.h"
#include "platform/sim/desktop/sim_script_runner.h"

namespace velmora {
namespace {

// Backslashes doubled first, then quotes escaped; the raise script names the window exactly.
// The script's bytes are golden in velmora-sim's headless story (tests/data/headless_story.jsonl).
TEST(ClientControlTest, EscapesTheNameForAppleScript) {
  const struct {
    const char* name;
    const char* escaped;
  } cases[] = {{"Office PC", "Office PC"}, {"a\"b", "a\\\"b"},           {"a\\b", "a\\\\b"},
               {"\\\"", "\\\\\\\""},       {"line\nfeed", "line\nfeed"}, {"", ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(escapeForAppleScript(c.name), c.escaped);
    EXPECT_EQ(sim::raisedName(raiseScript("Windows App", c.name), "Windows App"), c.name);
  }
}

// The raise script runs whether or not the client runs; only its first instance is activated or
// terminated.
TEST(ClientControlTest, ActsOnTheFirstInstanceOnly) {
  for (const std::vector<RunningInstance>& instances :
       {std::vector<RunningInstance>{{10}, {11}}, std::vector<RunningInstance>{}}) {
    SimRunningApps apps;
    sim::SimScriptRunner scripts;
    apps.instances = instances;
    focusWindow("X", scripts, apps);
    quitApp(apps);
    EXPECT_EQ(scripts.sources.size(), 1u);
    EXPECT_EQ(apps.activations.size(), instances.empty() ? 0u : 1u);
    for (const auto& a : apps.activations) EXPECT_EQ(a.instance, RunningInstance{10});
    EXPECT_EQ(apps.terminations, instances.empty() ? std::vector<RunningInstance>{}
                                                   : std::vector<RunningInstance>{{10}});
  }
}

}  // namespace
}  // namespace velmora
