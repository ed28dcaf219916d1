#include "platform/sim/prepared_run.h"

#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <utility>

#include "platform/sim/scenario/built_in_story.h"
#include "platform/sim/scenario/input_file.h"
#include "platform/sim/scenario/scenario_reader.h"

namespace velmora::sim {
namespace {

std::optional<std::string> userHome() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* pw = ::getpwuid(::getuid());
      pw != nullptr && pw->pw_dir != nullptr && *pw->pw_dir != '\0') {
    return pw->pw_dir;
  }
  return std::nullopt;
}

double wallClockNow() {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

// The home of the state files: `home` as given; when `temporary` a fresh one, kept in `run`;
// else velmora-sim's own folder.
std::variant<std::string, SimError> stateHome(const std::optional<std::string>& home,
                                              bool temporary, Run& run) {
  if (home) return *home;
  if (temporary) {
    const char* tmpdir = std::getenv("TMPDIR");
    auto made = TemporaryHome::make(tmpdir == nullptr ? "" : tmpdir);
    if (auto* e = std::get_if<SimError>(&made)) return std::move(*e);
    run.temporaryHome = std::move(std::get<std::unique_ptr<TemporaryHome>>(made));
    return run.temporaryHome->path();
  }
  const char* xdg = std::getenv("XDG_STATE_HOME");
  std::optional<std::string> own =
      defaultSimHome(xdg == nullptr ? "" : xdg, userHome().value_or(""));
  if (!own) return SimError{"", "no home directory for velmora-sim's own state folder"};
  return std::move(*own);
}

// Where the state files are, in words. A temporary folder's name would make two runs differ,
// so it is not given.
std::string stateNotice(const Run& run, bool ownFolder) {
  if (run.temporaryHome) {
    return "state files in a temporary folder, removed at the end (--home keeps them)";
  }
  return "state files in " + run.paths.kStateDir +
         (ownFolder ? " (velmora-sim's own folder; --home chooses another)" : "");
}

}  // namespace

std::variant<Scenario, SimError> readScenario(const std::optional<std::string>& file) {
  const std::string name = file.value_or("<built-in scenario>");
  std::string json(builtInStoryJson());
  if (file) {
    InputFileResult read = readInputFile(*file);
    if (const auto* e = std::get_if<SimError>(&read)) {
      return SimError{name, "cannot read the scenario: " + e->message};
    }
    json = std::move(std::get<std::string>(read));
  }
  ScenarioResult parsed = parseScenario(json);
  if (const auto* e = std::get_if<SimError>(&parsed))
    return SimError{name + ": " + e->where, e->message};
  return std::move(std::get<Scenario>(parsed));
}

std::variant<Run, SimError> prepareRun(Scenario scenario, const std::optional<std::string>& home,
                                       bool temporary) {
  Run run;
  std::variant<std::string, SimError> folder = stateHome(home, temporary, run);
  if (auto* e = std::get_if<SimError>(&folder)) return std::move(*e);
  run.paths = StatePaths::forHome(std::get<std::string>(folder));
  HomeResult made = prepareStateFolder(run.paths);
  if (auto* e = std::get_if<SimError>(&made)) return std::move(*e);
  if (run.temporaryHome) run.temporaryHome->removeOnEndSignals(run.paths);
  run.stateNotice = stateNotice(run, !home);
  run.start = scenario.start.value_or(wallClockNow());
  run.scenario = std::move(scenario);
  return run;
}

std::unique_ptr<Simulation> simulate(Run& run, ObserverList& observers) {
  auto sim = std::make_unique<Simulation>(*run.scenario, run.paths, run.start, observers);
  run.scenario.reset();
  return sim;
}

}  // namespace velmora::sim
