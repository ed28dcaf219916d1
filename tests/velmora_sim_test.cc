// The velmora-sim program as its users run it: a scenario file in, JSON Lines or plain lines
// out, the state files under --home, exit status 2 for a scenario it cannot play.
#include <sys/wait.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

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
  for (const char* option :
       {"--scenario FILE", "--home DIR", "--headless", "--from-report FILE", "--help"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
}

// The text of every report event in JSON Lines, in order.
std::vector<std::string> reportsIn(const std::string& jsonLines) {
  std::vector<std::string> reports;
  std::istringstream in(jsonLines);
  for (std::string line; std::getline(in, line);) {
    const nlohmann::json event = nlohmann::json::parse(line, nullptr, false);
    if (event.is_object() && event.value("event", "") == "report") {
      reports.push_back(event.value("text", ""));
    }
  }
  return reports;
}

// Every report recorded in tests/data (the story's passes and the report_*.txt files) comes
// back from its scenario byte for byte, as the last report of the replay.
TEST_F(VelmoraSimTest, FromReportPrintsAScenarioThatWritesTheSameReportAgain) {
  std::vector<std::string> reports =
      reportsIn(contentOf(dataFile("headless_story.jsonl")).value_or(""));
  for (const char* name :
       {"report_idle_after_full_screen.txt", "report_failures.txt", "report_raw_titles.txt"}) {
    reports.push_back(contentOf(dataFile(name)).value_or(""));
  }
  ASSERT_EQ(reports.size(), 9u);
  const std::string reportFile = scratch.path() + "/report.txt";
  const std::string scenarioFile = scratch.path() + "/scenario.json";
  for (const std::string& report : reports) {
    ASSERT_TRUE(plant(reportFile, report));
    const RunResult converted = runSim({"--from-report", reportFile}, scratch.path());
    ASSERT_EQ(converted.status, 0) << converted.err << report;
    EXPECT_EQ(converted.err, "");
    ASSERT_TRUE(plant(scenarioFile, converted.out));
    const RunResult replay =
        runSim({"--headless", "--scenario", scenarioFile, "--home", home.path()}, scratch.path());
    ASSERT_EQ(replay.status, 0) << replay.err;
    const auto replayed = reportsIn(replay.out);
    ASSERT_FALSE(replayed.empty());
    EXPECT_EQ(replayed.back(), report);
  }
}

// The refusal quotes the report, whose text comes from remote window titles: its controls are
// shown, never sent to the terminal.
TEST_F(VelmoraSimTest, FromReportRefusesWithTheLineExitsTwoAndPrintsNoScenario) {
  const std::string file = scratch.path() + "/report.txt";
  ASSERT_TRUE(plant(file, "=== Detection @ \x1b]0;owned\x07 +0000 ===\nWindows App not running\n"));
  const RunResult run = runSim({"--from-report", file}, scratch.path());
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "velmora-sim: " + file +
                         ": line 1: the tracker writes no moment as \"\\u{1B}]0;owned\\u{7} "
                         "+0000\" (UTC, \"YYYY-MM-DD HH:MM:SS +0000\")\n");
  EXPECT_EQ(runSim({"--from-report", file, "--headless"}, scratch.path()).status, 2);
}

}  // namespace
}  // namespace velmora
