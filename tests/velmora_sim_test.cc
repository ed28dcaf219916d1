// The velmora-sim program as its users run it: a scenario file in, JSON Lines or plain lines
// out, the state files under --home, exit status 2 for a scenario it cannot play.
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/temp_home.h"

namespace velmora {
namespace {

using testing::contentOf;
using testing::namesIn;
using testing::plant;
using testing::TempHome;

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

std::string quoted(const std::string& word) {
  std::string result = "'";
  for (char c : word) result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return result + "'";
}

// Runs velmora-sim with `args`; its output goes to files in `scratch`, not in the home.
RunResult runSim(const std::vector<std::string>& args, const std::string& scratch) {
  std::string command = quoted(VELMORA_SIM_PATH);
  for (const std::string& arg : args) command += " " + quoted(arg);
  const std::string out = scratch + "/out";
  const std::string err = scratch + "/err";
  command += " </dev/null >" + quoted(out) + " 2>" + quoted(err);
  RunResult result;
  const int raw = std::system(command.c_str());
  if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
  result.out = contentOf(out).value_or("");
  result.err = contentOf(err).value_or("");
  return result;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string dataFile(const std::string& name) {
  return std::string(VELMORA_TEST_DATA) + "/" + name;
}

class VelmoraSimTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(home.valid() && scratch.valid()); }
  TempHome home;
  TempHome scratch;
};

TEST_F(VelmoraSimTest, HeadlessStoryPrintsTheGoldenEventsLineByLine) {
  const RunResult run =
      runSim({"--headless", "--scenario", dataFile("headless_story.json"), "--home", home.path()},
             scratch.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");

  const auto golden = linesOf(contentOf(dataFile("headless_story.jsonl")).value_or(""));
  const auto actual = linesOf(run.out);
  ASSERT_FALSE(golden.empty());
  for (size_t i = 0; i < std::min(golden.size(), actual.size()); ++i) {
    EXPECT_EQ(actual[i], golden[i]) << "line " << i + 1;
  }
  EXPECT_EQ(actual.size(), golden.size());
  EXPECT_EQ(run.out.back(), '\n');

  // The client stopped at 10 s, so its start file went; the copied report stayed.
  const StatePaths paths = home.paths();
  EXPECT_EQ(namesIn(paths.kStateDir), std::vector<std::string>{"debug.log"});
  const std::string copied = contentOf(paths.kDebugFile).value_or("");
  EXPECT_EQ(copied.rfind("=== Detection @ 2025-12-06 05:46:46 +0000 ===\n", 0), 0u) << copied;
}

TEST_F(VelmoraSimTest, WithoutATerminalPrintsOnePlainLinePerRefresh) {
  const std::string scenario = scratch.path() + "/one.json";
  ASSERT_TRUE(plant(scenario, R"({"until": 0, "events": [{"at": 0, "client": {"ax": {"windows": [
      {"title": "Office PC", "subrole": "AXStandardWindow", "size": [1440, 900],
       "minimized": false}]}}}]})"));
  const RunResult run = runSim({"--scenario", scenario, "--home", home.path()}, scratch.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "[    0.0s] RDP ○\n[    0.0s] RDP 1● Office PC\n");
}

// The menu of each refresh, without its time stamp.
std::vector<std::string> menusOf(const std::string& out) {
  std::vector<std::string> menus;
  for (const std::string& line : linesOf(out)) {
    if (line.rfind("{\"event\":\"menu\",", 0) == 0)
      menus.push_back(line.substr(0, line.rfind(",\"t\":")));
  }
  return menus;
}

// Without either grant both readings fail; the menu says so and leads to the setting. As soon as
// either reading works, the menu is the one of a client without sessions again.
TEST_F(VelmoraSimTest, WithoutBothGrantsTheMenuLeadsToTheAccessibilitySetting) {
  const std::string scenario = scratch.path() + "/no_grants.json";
  // The client stops between the phases, so that no menu shows an uptime.
  ASSERT_TRUE(plant(scenario, R"json({"until": 30, "events": [
      {"at": 0, "client": {"ax": {"error": -25211},
                           "script": {"error": "Not authorised to send Apple events. (-1743)"}}},
      {"at": 0, "click": "Open Accessibility Settings…"},
      {"at": 5, "client": {"instances": 0}},
      {"at": 10, "client": {"ax": {"error": -25211}}},
      {"at": 15, "client": {"instances": 0}},
      {"at": 20, "client": {"script": {"error": "(-1743)"}}},
      {"at": 25, "client": {"instances": 0}},
      {"at": 30, "client": {}}]})json"));
  const RunResult run =
      runSim({"--headless", "--scenario", scenario, "--home", home.path()}, scratch.path());
  ASSERT_EQ(run.status, 0) << run.err;

  const std::vector<std::string> menus = menusOf(run.out);
  ASSERT_EQ(menus.size(), 8u);  // the launch, then one refresh every 5 s
  const std::string twoRows =
      R"({"action":null,"enabled":false,"key":"","style":"plain",)"
      R"("title":"  Can't read Windows App's windows"},)"
      R"({"action":"openAccessibilitySettings","enabled":true,"key":"","style":"plain",)"
      R"("title":"Open Accessibility Settings…"},{"separator":true})";
  EXPECT_NE(menus[1].find(R"({"separator":true},)" + twoRows), std::string::npos) << menus[1];
  const std::string opened =
      R"({"event":"click","t":0.0,"title":"Open Accessibility Settings…"})"
      "\n"
      R"({"event":"open-url","t":0.0,)"
      R"("url":"x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"})"
      "\n";
  EXPECT_NE(run.out.find(opened), std::string::npos) << run.out;
  // Listing only, scan only, both: one menu, the one of a client without sessions.
  EXPECT_NE(menus[7].find(R"("title":"  No active sessions detected")"), std::string::npos);
  EXPECT_EQ(menus[3], menus[7]);
  EXPECT_EQ(menus[5], menus[7]);
}

struct BadScenario {
  const char* label;
  const char* content;  // null: the file does not exist
  const char* message;  // what stderr says after the file's name
};

class VelmoraSimBadScenarioTest : public VelmoraSimTest,
                                  public ::testing::WithParamInterface<BadScenario> {};

TEST_P(VelmoraSimBadScenarioTest, SaysWhereAndWhatExitsTwoAndWritesNothing) {
  const BadScenario& bad = GetParam();
  const std::string file = scratch.path() + "/scenario.json";
  if (bad.content != nullptr) {
    ASSERT_TRUE(plant(file, bad.content));
  }

  const RunResult run =
      runSim({"--headless", "--scenario", file, "--home", home.path()}, scratch.path());
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "velmora-sim: " + file + ": " + bad.message + "\n");
  EXPECT_TRUE(namesIn(home.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, VelmoraSimBadScenarioTest,
    ::testing::Values(
        BadScenario{"Missing", nullptr, "cannot read the scenario: No such file or directory"},
        BadScenario{"Syntax", "{\"events\": [\n{\"at\": 1,, }]}",
                    "line 2, column 10: syntax error while parsing object key - unexpected ','; "
                    "expected string literal"},
        BadScenario{"UnknownKey", R"({"events": [{"at": 1, "clent": {}}]})",
                    "/events/0/clent: unknown key \"clent\""}),
    [](const auto& param) { return std::string(param.param.label); });

TEST_F(VelmoraSimTest, BadArgumentsExitTwoAndHelpExitsZero) {
  EXPECT_EQ(runSim({"--frobnicate"}, scratch.path()).status, 2);
  EXPECT_EQ(runSim({"--home"}, scratch.path()).status, 2);
  const RunResult help = runSim({"--help"}, scratch.path());
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--scenario FILE", "--home DIR", "--headless", "--help"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
}

TEST_F(VelmoraSimTest, VersionIsTheProjectVersion) {
  const RunResult run = runSim({"--version"}, scratch.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "velmora-sim (Velmora Session Tracker) " VELMORA_VERSION "\n");
}

}  // namespace
}  // namespace velmora
