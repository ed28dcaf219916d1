// velmora-sim: the tracker on a simulated desktop. Interactive in a terminal, plain lines
// without one, JSON Lines on virtual time with --headless.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

#include "app/config.h"
#include "platform/sim/from_report.h"
#include "platform/sim/output/event_lines.h"
#include "platform/sim/output/json_lines.h"
#include "platform/sim/output/plain_lines.h"
#include "platform/sim/output/run_summary.h"
#include "platform/sim/output/visible_text.h"
#include "platform/sim/prepared_run.h"
#include "platform/sim/scenario/sim_error.h"
#include "platform/sim/simulation/simulation.h"
#include "platform/sim/simulation/stopwatch.h"
#include "platform/sim/snapshot.h"
#include "platform/sim/terminal/terminal.h"
#include "platform/sim/terminal/terminal_type.h"
#include "platform/sim/tui/interactive_loop.h"
#include "platform/sim/tui/terminal_ui.h"

namespace {

using namespace velmora;
using namespace velmora::sim;

// Every line within 80 columns.
constexpr const char* kUsage =
    "Usage: velmora-sim [--scenario FILE] [--home DIR] [--headless]\n"
    "       velmora-sim [--scenario FILE] [--home DIR] --snapshot FILE [--at SECONDS]\n"
    "       velmora-sim --from-report FILE\n"
    "       velmora-sim --help | --version\n"
    "\n"
    "Runs Velmora Session Tracker on a simulated desktop: a scripted \"Windows App\"\n"
    "client, its windows and \"System Events\", and a status bar in the terminal.\n"
    "\n"
    "  --scenario FILE     play this scenario (JSON; format in\n"
    "                      docs/velmora-sim.md) instead of the built-in story\n"
    "                      (\"-\": standard input)\n"
    "  --home DIR          keep the state files in\n"
    "                      DIR/.cache/velmora_session_tracker, where they carry\n"
    "                      over from run to run (default: velmora-sim's own folder,\n"
    "                      $XDG_STATE_HOME/velmora-sim or ~/.local/state/velmora-sim;\n"
    "                      with --headless or --snapshot a new temporary one,\n"
    "                      removed at the end)\n"
    "  --headless          run on virtual time, as fast as it goes, without a\n"
    "                      terminal UI: one JSON object a line for everything the\n"
    "                      tracker shows or does\n"
    "  --snapshot FILE     draw the status item and its open menu at the scenario's\n"
    "                      end as a Mac shows them, as SVG into FILE; runs on\n"
    "                      virtual time (time 0 is 2025-01-06 09:00 UTC unless the\n"
    "                      scenario has a \"start\")\n"
    "  --at SECONDS        with --snapshot: draw at this time instead (the menu\n"
    "                      opened a second before)\n"
    "  --from-report FILE  print the scenario (JSON) whose last pass writes this\n"
    "                      detection report again, byte for byte (\"-\": standard\n"
    "                      input); runs nothing\n"
    "  --help              show this text\n"
    "  --version           show the program's name and version\n"
    "\n"
    "In a terminal: the bar with the tracker's title; below it the simulated client\n"
    "with its windows and what the last pass made of each, the last detection report\n"
    "and the events. Enter or Space opens the menu, the arrow keys move, Enter\n"
    "chooses, Escape closes; d, r and q are the menu's key equivalents (Copy Debug\n"
    "Info, Refresh, Quit). 1, 2 and 3 show or hide the client, report and event\n"
    "panels; Page Up and Page Down scroll the report.\n"
    "Play keys change the client (the first one takes over from the story):\n"
    "  s  start or stop Windows App         b  add an untitled background window\n"
    "  o  open a session window             a  refuse or allow Accessibility\n"
    "  c  close the last session window     u  refuse or allow Automation\n"
    "  f  first session full-screen & back  h  hang the client or let it answer\n"
    "  p  show or hide the idle connection panel\n"
    "  l  the tracker's login item in System Settings: off, needs approval, on\n"
    "  n  its notifications there: not asked, allowed, denied, unavailable\n"
    "The client announces each change, which shows a quarter second later (at once\n"
    "with r). When the story ends the program stays; q quits. Ctrl-C leaves, Ctrl-Z\n"
    "stops (fg goes on); a summary follows the end.\n"
    "Without a terminal, or with TERM unset, \"dumb\" or unknown to the system, one\n"
    "line is printed per refresh (the title and the session names) and per event.\n"
    "Control and invisible format characters in window titles are shown as \\u{XX}.\n"
    "Exit status: 0 when the run ends; 1 when standard output cannot be written;\n"
    "2 for bad arguments, an unreadable or invalid scenario, a state folder that\n"
    "cannot be made or written, or a report that cannot be reproduced. Ended by a\n"
    "signal, it dies of that signal (SIGQUIT: exit status 131) once the terminal is\n"
    "restored.\n";

// What the command line asks for. kRun plays the scenario, in the terminal or, without one, as
// plain lines.
enum class Mode { kRun, kHeadless, kSnapshot, kFromReport, kHelp, kVersion };

struct Options {
  Mode mode = Mode::kRun;
  std::optional<std::string> scenarioFile;
  std::optional<std::string> home;
  std::optional<std::string> reportFile;
  std::optional<std::string> snapshotFile;
  std::optional<double> at;  // --snapshot's moment
};

// Ends velmora-sim early: the error on standard error (its controls shown), `hint` on a line of
// its own, and the exit status.
int fail(const SimError& error, std::string_view hint = {}, int status = 2) {
  std::cerr << "velmora-sim: ";
  if (!error.where.empty()) std::cerr << visibleText(error.where) << ": ";
  std::cerr << visibleText(error.message) << "\n";
  if (!hint.empty()) std::cerr << hint << "\n";
  return status;
}

// Standard output cannot be written: exit status 1.
int failOutput(const std::string& why) {
  return fail(SimError{"", "cannot write to standard output: " + why}, {}, 1);
}

using ArgumentsResult = std::variant<Options, SimError>;

// --at's seconds: a finite number, 0 or more.
std::optional<double> secondsOf(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value) || value < 0) return std::nullopt;
  return value;
}

// Stores the value of an option that takes one; an error when it is no value of that option.
std::optional<SimError> takeValue(Options& options, const std::string& arg, std::string value) {
  if (arg == "--at") {
    options.at = secondsOf(value);
    if (!options.at) return SimError{"", "--at needs seconds (a number, 0 or more)"};
    return std::nullopt;
  }
  (arg == "--from-report" ? options.reportFile
   : arg == "--scenario"  ? options.scenarioFile
   : arg == "--snapshot"  ? options.snapshotFile
                          : options.home) = std::move(value);
  return std::nullopt;
}

// The mode that the options given together ask for, or why they do not go together.
std::optional<SimError> chooseMode(Options& options, bool headless) {
  if (options.reportFile) {
    if (options.scenarioFile || options.home || headless || options.snapshotFile || options.at) {
      return SimError{"", "--from-report takes no other option"};
    }
    options.mode = Mode::kFromReport;
  } else if (options.home && options.home->empty()) {
    return SimError{"", "--home needs a directory (an empty one would mean /)"};
  } else if (options.snapshotFile) {
    if (headless) return SimError{"", "--snapshot and --headless do not go together"};
    options.mode = Mode::kSnapshot;
  } else if (options.at) {
    return SimError{"", "--at needs --snapshot"};
  } else if (headless) {
    options.mode = Mode::kHeadless;
  }
  return std::nullopt;
}

// --help and --version answer at once, whatever follows them; everything else is checked
// before anything is read or written.
ArgumentsResult parseArguments(int argc, char** argv) {
  Options options;
  bool headless = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h" || arg == "--version") {
      options.mode = arg == "--version" ? Mode::kVersion : Mode::kHelp;
      return options;
    }
    const bool takesValue = arg == "--from-report" || arg == "--scenario" || arg == "--home" ||
                            arg == "--snapshot" || arg == "--at";
    if (arg == "--headless") {
      headless = true;
    } else if (!takesValue) {
      return SimError{"", "unknown argument: " + arg};
    } else if (i + 1 >= argc) {
      return SimError{"", arg + " needs a value"};
    } else if (std::optional<SimError> e = takeValue(options, arg, argv[++i])) {
      return *e;
    }
  }
  if (std::optional<SimError> e = chooseMode(options, headless)) return *e;
  return options;
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

// The summary's lines; the state folder is named only while it exists.
std::vector<std::string> summaryLines(const RunSummary& summary, const Simulation& sim,
                                      const StatePaths& paths) {
  std::error_code ec;
  const bool exists = std::filesystem::is_directory(paths.kStateDir, ec);
  return summary.lines(sim.loop().now(), exists ? std::optional(paths.kStateDir) : std::nullopt);
}

// --headless: the whole scenario on virtual time, as fast as it goes, in JSON Lines.
int playHeadless(Run& run) {
  ObserverList observers;
  const std::unique_ptr<Simulation> sim = simulate(run, observers);
  JsonLinesWriter writer(std::cout, sim->loop());
  observers.add(writer);
  sim->notice(run.stateNotice);
  sim->runHeadless([&writer] { return writer.output().failed(); });
  writer.flush();
  return writer.output().failed() ? failOutput(writer.output().failure()) : 0;
}

// Without a terminal: the scenario on the wall clock, a plain line per refresh and per event,
// then the summary. The story's end ends the run.
int playPlain(Run& run) {
  ObserverList observers;
  const std::unique_ptr<Simulation> sim = simulate(run, observers);
  RunSummary summary;
  PlainLinesWriter writer(std::cout, sim->loop());
  EventLines events([&writer](const std::string& line) { writer.event(line); });
  observers.add(summary);
  observers.add(writer);
  observers.add(events);
  sim->notice(run.stateNotice);
  // Each task runs at its own due time once the wall clock has come to it, as headless runs it,
  // not at the moment the clock was read: those passes are the same.
  const Stopwatch clock;
  const auto wait = [&clock](double time) {
    std::this_thread::sleep_for(
        std::chrono::duration<double>(std::max(0.0, time - clock.elapsed())));
  };
  if (!sim->playToEnd(wait, [&writer] { return writer.output().failed(); })) {
    return failOutput(writer.output().failure());
  }
  if (!sim->loop().terminated()) sim->notice("the story is over");
  sim->finish();
  for (const std::string& line : summaryLines(summary, *sim, run.paths)) writer.line(line);
  return writer.output().failed() ? failOutput(writer.output().failure()) : 0;
}

// In a terminal: the screen until the tracker quits or an end signal comes; then the terminal
// is given back, with the summary, before anything else.
int playInteractive(Run& run, std::unique_ptr<RawTerminal> terminal) {
  ObserverList observers;
  const std::unique_ptr<Simulation> sim = simulate(run, observers);
  RunSummary summary;
  TerminalUi ui(*sim, colorDepthFromEnvironment());
  ui.setMenuTracking([&sim](bool open) { sim->setMenuOpen(open); });
  EventLines events([&ui](const std::string& line) { ui.logEvent(line); });
  observers.add(summary);
  observers.add(ui);
  observers.add(events);
  sim->notice(run.stateNotice);
  InteractiveLoop(*sim, ui, *terminal).run();
  const int signo = terminal->endSignal();
  const bool lost = terminal->lost();
  std::string farewell;
  for (const std::string& line : summaryLines(summary, *sim, run.paths)) farewell += line + "\n";
  terminal->setFarewell(std::move(farewell));
  terminal.reset();
  if (signo != 0) dieOf(signo);
  return lost ? fail(SimError{"", "the terminal went away"}, {}, 1) : 0;
}

// The terminal to play in: none without one, or when TERM is unset, "dumb" or unknown here.
std::unique_ptr<RawTerminal> openTerminal() {
  const char* term = std::getenv("TERM");
  if (!knowsTerminal(term == nullptr ? "" : term, terminfoDirectories())) return nullptr;
  return RawTerminal::open();
}

// --help and --version.
int printHelp() {
  std::cout << kUsage << std::flush;
  return std::cout ? 0 : failOutput(std::strerror(errno));
}

int printVersion() {
  std::cout << "velmora-sim (Velmora Session Tracker) " VELMORA_VERSION "\n" << std::flush;
  return std::cout ? 0 : failOutput(std::strerror(errno));
}

}  // namespace

int main(int argc, char** argv) {
  occupyClosedStandardDescriptors();
  // Local times (Recently Ended) in the zone TZ names, UTC without one, as on any machine.
  ::setenv("TZ", "UTC", 0);
  ::tzset();
  // A closed pipe on standard output is a failed write to report, not a silent death.
  ::signal(SIGPIPE, SIG_IGN);
  ::signal(SIGXFSZ, SIG_IGN);  // past a file-size limit too: EFBIG, not death
  const ArgumentsResult parsed = parseArguments(argc, argv);
  if (const auto* e = std::get_if<SimError>(&parsed)) return fail(*e, "(see velmora-sim --help)");
  const Options& options = std::get<Options>(parsed);
  switch (options.mode) {
    case Mode::kHelp:
      return printHelp();
    case Mode::kVersion:
      return printVersion();
    case Mode::kFromReport:
      return printScenarioOfReport(*options.reportFile, std::cout, std::cerr);
    case Mode::kHeadless:
    case Mode::kSnapshot:
    case Mode::kRun:
      break;
  }
  std::variant<Scenario, SimError> scenario = readScenario(options.scenarioFile);
  if (const auto* e = std::get_if<SimError>(&scenario)) return fail(*e);
  const bool snapshot = options.mode == Mode::kSnapshot;
  if (snapshot) fixSnapshotStart(std::get<Scenario>(scenario));
  std::variant<Run, SimError> prepared =
      prepareRun(std::move(std::get<Scenario>(scenario)), options.home,
                 options.mode == Mode::kHeadless || snapshot);
  if (const auto* e = std::get_if<SimError>(&prepared))
    return fail(*e, "(give another with --home)");
  Run& run = std::get<Run>(prepared);
  if (options.mode == Mode::kHeadless) return playHeadless(run);
  if (snapshot) return writeSnapshot(run, *options.snapshotFile, options.at, std::cerr);
  std::unique_ptr<RawTerminal> terminal = openTerminal();
  return terminal ? playInteractive(run, std::move(terminal)) : playPlain(run);
}
