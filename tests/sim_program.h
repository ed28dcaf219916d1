// The built velmora-sim run as a program, for the tests that run it (and their Linux-only
// cases): every run bounded by a deadline, a run that has to be killed a failure of the test.
#pragma once

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "tests/run_program.h"
#include "tests/temp_home.h"

namespace velmora::testing {

// Runs velmora-sim with `args` as `program` says (environment, standard output, deadline).
inline ProgramRun runSim(const std::vector<std::string>& args, Program program = {}) {
  program.args = {VELMORA_SIM_PATH};
  program.args.insert(program.args.end(), args.begin(), args.end());
  // Local times as every machine shows them; a test may set another zone after it.
  program.environment.insert(program.environment.begin(), "TZ=UTC");
  ProgramRun run = runProgram(program);
  if (!run.failure.empty()) ADD_FAILURE() << run.failure;
  return run;
}

inline std::string dataFile(const std::string& name) {
  return std::string(VELMORA_TEST_DATA) + "/" + name;
}

// A client state with one session window open, "Office PC".
inline const std::string kOfficePc = R"({"ax": {"windows": [{"title": "Office PC",
    "subrole": "AXStandardWindow", "size": [1440, 900], "minimized": false}]}})";

// `text` planted as `name` in `dir`: its path.
inline std::string planted(const TempHome& dir, const std::string& text,
                           const std::string& name = "scenario.json") {
  const std::string path = dir.path() + "/" + name;
  EXPECT_TRUE(plant(path, text)) << path;
  return path;
}

// The scenario `text` played headless with the state files under `home`: its JSON Lines.
inline std::string playHeadless(const std::string& text, const TempHome& home,
                                const TempHome& scratch, Program program = {}) {
  const ProgramRun run =
      runSim({"--headless", "--scenario", planted(scratch, text), "--home", home.path()},
             std::move(program));
  EXPECT_EQ(run.status, 0) << run.err;
  return run.out;
}

// The events of one kind in `jsonLines`, in order.
inline std::vector<nlohmann::json> eventsIn(const std::string& jsonLines, const std::string& kind) {
  std::vector<nlohmann::json> events;
  std::istringstream in(jsonLines);
  for (std::string line; std::getline(in, line);) {
    nlohmann::json event = nlohmann::json::parse(line, nullptr, false);
    if (event.is_object() && event.value("event", "") == kind) events.push_back(std::move(event));
  }
  return events;
}

// The items of the last menu drawn by the task that ran at `t` seconds: its pass's reads cost
// the simulated Mac's main thread some milliseconds first.
inline nlohmann::json menuAt(const std::string& jsonLines, double t) {
  constexpr double kLongestPass = 0.5;
  nlohmann::json last;
  for (nlohmann::json& menu : eventsIn(jsonLines, "menu")) {
    const double at = menu["t"].get<double>();
    if (at < t + kLongestPass) last = std::move(menu["items"]);
  }
  return last;
}

// Every mode that writes to standard output, with standard output going where `program` says
// and failing with `why`: each ends at once with one message and status 1. Twenty million
// refreshes of one mode: the failed write must stop the run, not come out at its end. The
// headless run without --home has its temporary folder removed on the way out.
inline void expectEveryModeStopsOnAFailedWrite(const Program& program, const std::string& why,
                                               const TempHome& home, const TempHome& scratch) {
  const std::string endless = scratch.path() + "/endless.json";
  ASSERT_TRUE(plant(endless, R"({"until": 1e8})"));
  const std::vector<std::string> modes[] = {
      {"--home", home.path(), "--headless"},
      {"--headless", "--scenario", endless},
      {"--home", home.path()},
      {"--from-report", dataFile("report_failures.txt")},
      {"--help"},
      {"--version"},
  };
  Program inTemporary = program;
  inTemporary.environment.push_back("TMPDIR=" + scratch.path());
  for (const auto& args : modes) {
    const ProgramRun run = runSim(args, inTemporary);
    EXPECT_EQ(run.status, 1) << why << " " << args.back();
    EXPECT_EQ(run.err, "velmora-sim: cannot write to standard output: " + why + "\n");
  }
  EXPECT_EQ(namesIn(scratch.path()), std::vector<std::string>{"endless.json"});
}

}  // namespace velmora::testing
