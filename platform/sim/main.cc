// velmora-sim: the tracker on a simulated desktop. Interactive in a terminal, plain lines
// without one, JSON Lines on virtual time with --headless.
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <thread>

#include "app/config.h"
#include "platform/sim/from_report.h"
#include "platform/sim/output/event_lines.h"
#include "platform/sim/output/json_lines.h"
#include "platform/sim/output/plain_lines.h"
#include "platform/sim/output/run_summary.h"
#include "platform/sim/output/visible_text.h"
#include "platform/sim/scenario/built_in_story.h"
#include "platform/sim/scenario/input_file.h"
#include "platform/sim/scenario/scenario_reader.h"
#include "platform/sim/sim_home.h"
#include "platform/sim/simulation/simulation.h"
#include "platform/sim/terminal/terminal.h"
#include "platform/sim/terminal/terminal_type.h"
#include "platform/sim/terminal/terminal_ui.h"

namespace {

using namespace velmora;
using namespace velmora::sim;

constexpr const char* kUsage =
    "Usage: velmora-sim [--scenario FILE] [--home DIR] [--headless] [--help] [--version]\n"
    "       velmora-sim --from-report FILE\n"
    "\n"
    "Runs Velmora Session Tracker on a simulated desktop: a scripted \"Windows App\" client,\n"
    "its windows and \"System Events\", and a status bar in the terminal.\n"
    "\n"
    "  --scenario FILE  play this scenario (JSON; format in the README) instead of the built-in\n"
    "                   two-minute story\n"
    "  --home DIR       keep the state files under DIR/.cache/velmora_session_tracker (default:\n"
    "                   velmora-sim's own folder, $XDG_STATE_HOME/velmora-sim or\n"
    "                   ~/.local/state/velmora-sim, never the real tracker's)\n"
    "  --headless       run on virtual time as fast as possible, without a terminal UI, and\n"
    "                   print one JSON object per line for everything the tracker shows or does\n"
    "  --from-report FILE\n"
    "                   print the scenario (JSON) whose last pass writes this detection report\n"
    "                   again, byte for byte (\"-\": standard input); runs nothing\n"
    "  --help           show this text\n"
    "  --version        show the program's name and version\n"
    "\n"
    "In a terminal: the bar with the tracker's title; below it the simulated client with its\n"
    "windows and what the last detection pass made of each, the last detection report and the\n"
    "events. Enter or Space opens the menu, the arrow keys move, Enter chooses, Escape closes;\n"
    "d, r and q are the menu's key equivalents (Copy Debug Info, Refresh, Quit). 1, 2 and 3\n"
    "show or hide the client, report and event panels; Page Up and Page Down scroll the report.\n"
    "Play keys change the client (the first one takes over from the story):\n"
    "  s  start or stop Windows App            b  add an untitled background window\n"
    "  o  open a session window                a  refuse or allow Accessibility (-25211)\n"
    "  c  close the last session window        u  refuse or allow Automation (-1743)\n"
    "  f  first session full-screen and back   h  hang the client or let it answer (-25204)\n"
    "  p  show or hide the idle connection panel\n"
    "  l  the tracker's login item in System Settings: off, needs approval, on, off again\n"
    "A change shows at the next refresh, or at once with r. When the story ends the program\n"
    "stays; q quits. Ctrl-C leaves, Ctrl-Z stops (fg goes on); a summary follows the end.\n"
    "Without a terminal, or with TERM unset, \"dumb\" or unknown to the system, one line is\n"
    "printed per refresh (the title and the session names) and per event. Controls in window\n"
    "titles are shown as \\u{XX}.\n"
    "Exit status: 0 when the run ends, 1 when standard output cannot be written, 2 for bad\n"
    "arguments, an unreadable or invalid scenario, a state folder that cannot be made, or a\n"
    "report that cannot be reproduced; ended by a signal, it dies of that signal (SIGQUIT: exit\n"
    "status 131) once the terminal is restored.\n";

struct Options {
  std::optional<std::string> scenarioFile;
  std::optional<std::string> home;
  std::optional<std::string> reportFile;
  bool headless = false;
};

// `message` may quote an argument: shown visibly.
int usageError(const std::string& message) {
  std::cerr << "velmora-sim: " << visibleText(message) << "\n(see velmora-sim --help)\n";
  return 2;
}

std::optional<std::string> userHome() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* pw = ::getpwuid(::getuid());
      pw != nullptr && pw->pw_dir != nullptr && *pw->pw_dir != '\0') {
    return pw->pw_dir;
  }
  return std::nullopt;
}

// A standard descriptor that is closed would be handed to the next file opened (a state file,
// say), and output meant for it would land there. Each closed one gets /dev/null; standard
// output read-only, so that writing to it fails as writing to a closed descriptor does.
void occupyClosedStandardDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    (void)::open("/dev/null", fd == STDERR_FILENO ? O_WRONLY : O_RDONLY);
  }
}

// Standard output failed: one message, exit status 1.
int outputFailed(const std::string& why) {
  std::cerr << "velmora-sim: cannot write to standard output: " << why << "\n";
  return 1;
}

// The scenario to play, or nothing once what is wrong with it has been said. Its text is gone
// when this returns: a long scenario is large.
std::optional<Scenario> readScenario(const std::optional<std::string>& file,
                                     const std::string& name) {
  std::string json(builtInStoryJson());
  if (file) {
    InputFileResult read = readInputFile(*file);
    if (const auto* e = std::get_if<InputFileError>(&read)) {
      std::cerr << "velmora-sim: " << name << ": cannot read the scenario: " << e->message << "\n";
      return std::nullopt;
    }
    json = std::move(std::get<std::string>(read));
  }
  ScenarioResult parsed = parseScenario(json);
  if (const auto* e = std::get_if<ScenarioError>(&parsed)) {
    std::cerr << "velmora-sim: " << name << ": " << visibleText(e->position) << ": "
              << visibleText(e->message) << "\n";
    return std::nullopt;
  }
  return std::move(std::get<Scenario>(parsed));
}

double wallClockNow() {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

// How long the rest of an escape sequence may take to come before the bytes are taken as they
// are (a lone Escape closes the menu).
constexpr double kEscapeWait = 0.05;

constexpr const char* kStoryOver =
    "the story is over: play with s o c f p b a u h l, or quit with q";

// Plays the scenario in the terminal, then goes on refreshing the story's last state (or the
// one the user plays with) until the tracker quits, an end signal comes or the terminal goes
// away.
void runInteractive(Simulation& sim, TerminalUi& ui, RawTerminal& terminal) {
  const auto started = std::chrono::steady_clock::now();
  const auto elapsed = [&] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  };
  std::string input;
  double inputAt = 0.0;
  bool storyOverSaid = false;
  while (!sim.finished()) {
    const double t = elapsed();
    ui.setTime(t);
    sim.loop().catchUp(t);
    if (sim.loop().terminated()) break;
    if (!storyOverSaid && t >= sim.until()) {
      storyOverSaid = true;
      if (!sim.tookOver()) sim.notice(kStoryOver);
    }
    // Every whole key that came, at once; each chosen entry or play acts before the next key
    // is read, as it may change the menu.
    for (TerminalUi::Outcome o = ui.onKeys(input); o.chosen || o.play; o = ui.onKeys(input)) {
      sim.loop().catchUp(elapsed());
      if (o.chosen) {
        sim.choose(*o.chosen);
      } else {
        sim.play(*o.play);
      }
      if (sim.loop().terminated()) break;
    }
    if (sim.loop().terminated()) break;
    (void)terminal.write(ui.takePendingOutput());
    const auto size = terminal.size();
    (void)terminal.write(ui.render(size.columns, size.rows));

    double next = sim.loop().nextDue().value_or(t + 1.0);
    if (!storyOverSaid) next = std::min(next, sim.until());
    double wait = std::clamp(next - elapsed(), 0.0, 0.25);
    if (!input.empty()) wait = std::clamp(inputAt + kEscapeWait - elapsed(), 0.0, wait);
    switch (terminal.wait(wait, input)) {
      case RawTerminal::Wake::kEnd:
        sim.finish();
        return;
      case RawTerminal::Wake::kSuspend:
        terminal.suspend();
        break;
      case RawTerminal::Wake::kResume:
        terminal.resume();
        break;
      case RawTerminal::Wake::kInput:
        inputAt = elapsed();
        break;
      case RawTerminal::Wake::kTimeout:
        if (!input.empty() && elapsed() >= inputAt + kEscapeWait) (void)ui.onUnfinishedKey(input);
        break;
      case RawTerminal::Wake::kResize:
        break;  // every frame draws the whole screen
    }
  }
  sim.finish();
}

void runPlain(Simulation& sim, const LineOutput& output) {
  const auto started = std::chrono::steady_clock::now();
  while (!sim.finished()) {
    const double t =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    sim.loop().catchUp(std::min(t, sim.until()));
    if (output.failed()) return;
    if (sim.loop().terminated()) break;
    if (t >= sim.until()) {
      sim.notice("the story is over");
      break;
    }
    const double next = std::min(sim.loop().nextDue().value_or(sim.until()), sim.until());
    std::this_thread::sleep_for(std::chrono::duration<double>(std::clamp(next - t, 0.0, 1.0)));
  }
  sim.finish();
}

// The home of the state files: --home as given, or velmora-sim's own folder, made private.
// Nothing, after one message, when there is none.
std::optional<std::string> stateHome(const Options& options) {
  if (options.home) return options.home;
  const char* xdg = std::getenv("XDG_STATE_HOME");
  const std::optional<std::string> home = userHome();
  std::optional<std::string> own = defaultSimHome(xdg == nullptr ? "" : xdg, home.value_or(""));
  if (!own) {
    (void)usageError("no home directory for the state files; give one with --home");
    return std::nullopt;
  }
  if (const std::string why = makePrivateDirectories(*own); !why.empty()) {
    std::cerr << "velmora-sim: cannot make the state folder: " << visibleText(why)
              << "\n(give another with --home)\n";
    return std::nullopt;
  }
  return own;
}

}  // namespace

int main(int argc, char** argv) {
  occupyClosedStandardDescriptors();
  // A closed pipe on standard output is a failed write to report, not a silent death.
  ::signal(SIGPIPE, SIG_IGN);
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage << std::flush;
      return std::cout ? 0 : outputFailed(std::strerror(errno));
    }
    if (arg == "--version") {
      std::cout << "velmora-sim (Velmora Session Tracker) " VELMORA_VERSION "\n";
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
  if (options.home && options.home->empty()) {
    return usageError("--home needs a directory (an empty one would mean /)");
  }
  const std::string name = visibleText(options.scenarioFile.value_or("<built-in scenario>"));
  std::optional<Scenario> scenario = readScenario(options.scenarioFile, name);
  if (!scenario) return 2;
  const std::optional<std::string> home = stateHome(options);
  if (!home) return 2;
  const StatePaths paths = StatePaths::forHome(*home);
  const std::string stateNotice =
      "state files in " + paths.kStateDir +
      (options.home ? "" : " (velmora-sim's own folder; --home chooses another)");
  const double start = scenario->start.value_or(wallClockNow());
  // The simulation's tasks share what they need of the scenario, which then goes.
  const auto simulate = [&](SimObserver& observer) {
    auto sim = std::make_unique<Simulation>(*scenario, paths, start, observer);
    scenario.reset();
    sim->notice(stateNotice);
    return sim;
  };

  ObserverList observers;
  if (options.headless) {
    std::unique_ptr<Simulation> sim;
    JsonLinesWriter writer(std::cout, [&sim] { return sim ? sim->loop().now() : 0.0; });
    observers.add(writer);
    sim = simulate(observers);
    sim->runHeadless([&writer] { return writer.output().failed(); });
    writer.flush();
    return writer.output().failed() ? outputFailed(writer.output().failure()) : 0;
  }

  const char* term = std::getenv("TERM");
  std::unique_ptr<RawTerminal> terminal =
      knowsTerminal(term == nullptr ? "" : term, terminfoDirectories()) ? RawTerminal::open()
                                                                        : nullptr;
  RunSummary summary;
  observers.add(summary);
  std::unique_ptr<Simulation> sim;
  if (!terminal) {
    PlainLinesWriter writer(std::cout, [&sim] { return sim ? sim->loop().now() : 0.0; });
    EventLines events([&writer](const std::string& line) { writer.event(line); });
    observers.add(writer);
    observers.add(events);
    sim = simulate(observers);
    runPlain(*sim, writer.output());
    for (const std::string& line : summary.lines(sim->loop().now(), paths.kStateDir)) {
      writer.line(line);
    }
    return writer.output().failed() ? outputFailed(writer.output().failure()) : 0;
  }
  TerminalUi ui(colorDepthFromEnvironment());
  EventLines events([&ui](const std::string& line) { ui.logEvent(line); });
  observers.add(ui);
  observers.add(events);
  sim = simulate(observers);
  runInteractive(*sim, ui, *terminal);
  const int signo = terminal->endSignal();
  const bool lost = terminal->lost();
  std::string farewell;
  for (const std::string& line : summary.lines(sim->loop().now(), paths.kStateDir)) {
    farewell += line + "\n";
  }
  terminal->setFarewell(std::move(farewell));
  terminal.reset();  // the terminal is given back, with the summary, before anything else
  if (signo != 0) dieOf(signo);
  if (lost) {
    std::cerr << "velmora-sim: the terminal went away\n";
    return 1;
  }
  return 0;
}
