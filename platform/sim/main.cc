// velmora-sim: the tracker on a simulated desktop. Interactive in a terminal, plain lines
// without one, JSON Lines on virtual time with --headless.
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

#include "app/config.h"
#include "platform/sim/default_scenario.h"
#include "platform/sim/from_report.h"
#include "platform/sim/input_file.h"
#include "platform/sim/json_lines.h"
#include "platform/sim/plain_lines.h"
#include "platform/sim/scenario.h"
#include "platform/sim/simulation.h"
#include "platform/sim/terminal.h"
#include "platform/sim/terminal_ui.h"
#include "platform/sim/visible_text.h"

namespace {

using namespace velmora;
using namespace velmora::sim;

constexpr const char* kUsage =
    "Usage: velmora-sim [--scenario FILE] [--home DIR] [--headless] [--help]\n"
    "       velmora-sim --from-report FILE\n"
    "\n"
    "Runs Velmora Session Tracker on a simulated desktop: a scripted \"Windows App\" client,\n"
    "its windows and \"System Events\", and a status bar in the terminal.\n"
    "\n"
    "  --scenario FILE  play this scenario (JSON; format in the README) instead of the built-in\n"
    "                   two-minute story\n"
    "  --home DIR       keep the state files under DIR/.cache/velmora_session_tracker\n"
    "                   (default: your home directory)\n"
    "  --headless       run on virtual time as fast as possible, without a terminal UI, and\n"
    "                   print one JSON object per line for everything the tracker shows or does\n"
    "  --from-report FILE\n"
    "                   print the scenario (JSON) whose last pass writes this detection report\n"
    "                   again, byte for byte (\"-\": standard input); runs nothing\n"
    "  --help           show this text\n"
    "\n"
    "In a terminal: Enter or Space opens the menu, the arrow keys move, Enter chooses, Escape\n"
    "closes; d, r and q are the menu's key equivalents (Copy Debug Info, Refresh, Quit).\n"
    "Ctrl-C leaves. Without a terminal, one line is printed per refresh.\n"
    "Exit status: 0 when the run ends, 2 for bad arguments, an unreadable or invalid scenario,\n"
    "or a report that cannot be reproduced.\n";

struct Options {
  std::optional<std::string> scenarioFile;
  std::optional<std::string> home;
  std::optional<std::string> reportFile;
  bool headless = false;
};

int usageError(const std::string& message) {
  std::cerr << "velmora-sim: " << message << "\n(see velmora-sim --help)\n";
  return 2;
}

std::string userHome() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    return pw->pw_dir;
  }
  return "/";
}

double wallClockNow() {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

void runInteractive(Simulation& sim, TerminalUi& ui, RawTerminal& terminal) {
  const auto started = std::chrono::steady_clock::now();
  const auto elapsed = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  };
  std::string input;
  bool redraw = true;
  while (!sim.finished()) {
    const double t = std::min(elapsed(), sim.until());
    ui.setTime(t);
    sim.loop().catchUp(t);
    if (sim.loop().terminated() || t >= sim.until()) break;
    terminal.write(ui.takePendingOutput());
    const auto size = terminal.size();
    if (redraw) terminal.write(ui.render(size.columns, size.rows));
    redraw = true;  // the clock on the bar moves

    const double next = std::min(sim.loop().nextDue().value_or(sim.until()), sim.until());
    const double wait = std::clamp(next - elapsed(), 0.0, 0.25);
    switch (terminal.wait(input.empty() ? wait : 0.05, input)) {
      case RawTerminal::Wake::kStop:
        sim.finish();
        return;
      case RawTerminal::Wake::kResize:
        terminal.write("\x1b[2J");
        break;
      case RawTerminal::Wake::kTimeout:
        // A lone Escape that no sequence followed.
        if (input == "\x1b") {
          input.clear();
          (void)ui.onEscape();
        }
        break;
      case RawTerminal::Wake::kInput:
        break;
    }
    ui.setTime(elapsed());
    const TerminalUi::Outcome outcome = ui.onKeys(input);
    if (outcome.chosen) {
      sim.loop().catchUp(std::min(elapsed(), sim.until()));
      sim.choose(*outcome.chosen);
    }
  }
  sim.finish();
}

void runPlain(Simulation& sim) {
  const auto started = std::chrono::steady_clock::now();
  while (!sim.finished()) {
    const double t =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    sim.loop().catchUp(std::min(t, sim.until()));
    if (sim.loop().terminated() || t >= sim.until()) break;
    const double next = std::min(sim.loop().nextDue().value_or(sim.until()), sim.until());
    std::this_thread::sleep_for(std::chrono::duration<double>(std::clamp(next - t, 0.0, 1.0)));
  }
  sim.finish();
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
    if (arg == "--headless") {
      options.headless = true;
    } else if (arg == "--from-report") {
      if (i + 1 >= argc) return usageError(arg + " needs a value");
      options.reportFile = argv[++i];
    } else if (arg == "--scenario" || arg == "--home") {
      if (i + 1 >= argc) return usageError(arg + " needs a value");
      (arg == "--scenario" ? options.scenarioFile : options.home) = argv[++i];
    } else {
      return usageError("unknown argument: " + arg);
    }
  }

  if (options.reportFile) {
    if (options.scenarioFile || options.home || options.headless) {
      return usageError("--from-report takes no other option");
    }
    return printScenarioOfReport(*options.reportFile, std::cout, std::cerr);
  }

  // Everything is checked before anything is written.
  std::string json(defaultScenarioJson());
  const std::string name = visibleText(options.scenarioFile.value_or("<built-in scenario>"));
  if (options.scenarioFile) {
    InputFileResult read = readInputFile(*options.scenarioFile);
    if (const auto* e = std::get_if<InputFileError>(&read)) {
      std::cerr << "velmora-sim: " << name << ": cannot read the scenario: " << e->message << "\n";
      return 2;
    }
    json = std::move(std::get<std::string>(read));
  }
  ScenarioResult parsed = parseScenario(json);
  if (const auto* e = std::get_if<ScenarioError>(&parsed)) {
    std::cerr << "velmora-sim: " << name << ": " << visibleText(e->position) << ": "
              << visibleText(e->message) << "\n";
    return 2;
  }
  const Scenario& scenario = std::get<Scenario>(parsed);
  const StatePaths paths = StatePaths::forHome(options.home.value_or(userHome()));
  const double start = scenario.start.value_or(wallClockNow());

  ObserverList observers;
  if (options.headless) {
    std::unique_ptr<Simulation> sim;
    JsonLinesWriter writer(std::cout, [&sim] { return sim ? sim->loop().now() : 0.0; });
    observers.add(writer);
    sim = std::make_unique<Simulation>(scenario, paths, start, observers);
    sim->runHeadless();
    return 0;
  }

  std::setlocale(LC_CTYPE, "C.UTF-8");  // for the display width of names
  std::unique_ptr<RawTerminal> terminal = RawTerminal::open();
  std::unique_ptr<Simulation> sim;
  if (!terminal) {
    PlainLinesWriter writer(std::cout, [&sim] { return sim ? sim->loop().now() : 0.0; });
    observers.add(writer);
    sim = std::make_unique<Simulation>(scenario, paths, start, observers);
    runPlain(*sim);
    return 0;
  }
  TerminalUi ui;
  observers.add(ui);
  sim = std::make_unique<Simulation>(scenario, paths, start, observers);
  runInteractive(*sim, ui, *terminal);
  return 0;
}
