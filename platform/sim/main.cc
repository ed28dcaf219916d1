// velmora-sim: the tracker on a simulated desktop. Interactive in a terminal, plain lines
// without one, JSON Lines on virtual time with --headless.
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
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
#include "platform/sim/scenario/built_in_story.h"
#include "platform/sim/scenario/input_file.h"
#include "platform/sim/scenario/scenario_reader.h"
#include "platform/sim/sim_home.h"
#include "platform/sim/simulation/client_play.h"
#include "platform/sim/simulation/simulation.h"
#include "platform/sim/terminal/keys.h"
#include "platform/sim/terminal/shown_frame.h"
#include "platform/sim/terminal/terminal.h"
#include "platform/sim/terminal/terminal_type.h"
#include "platform/sim/tui/terminal_ui.h"
#include "ui/menu_model.h"

namespace {

using namespace velmora;
using namespace velmora::sim;

// Every line within 80 columns.
constexpr const char* kUsage =
    "Usage: velmora-sim [--scenario FILE] [--home DIR] [--headless]\n"
    "       velmora-sim --from-report FILE\n"
    "       velmora-sim --help | --version\n"
    "\n"
    "Runs Velmora Session Tracker on a simulated desktop: a scripted \"Windows App\"\n"
    "client, its windows and \"System Events\", and a status bar in the terminal.\n"
    "\n"
    "  --scenario FILE     play this scenario (JSON; format in the README) instead\n"
    "                      of the built-in two-minute story\n"
    "                      (\"-\": standard input)\n"
    "  --home DIR          keep the state files in\n"
    "                      DIR/.cache/velmora_session_tracker, where they carry\n"
    "                      over from run to run (default: velmora-sim's own folder,\n"
    "                      $XDG_STATE_HOME/velmora-sim or ~/.local/state/velmora-sim;\n"
    "                      with --headless a new temporary one, removed at the end)\n"
    "  --headless          run on virtual time, as fast as it goes, without a\n"
    "                      terminal UI: one JSON object a line for everything the\n"
    "                      tracker shows or does\n"
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
enum class Mode { kRun, kHeadless, kFromReport, kHelp, kVersion };

struct Options {
  Mode mode = Mode::kRun;
  std::optional<std::string> scenarioFile;
  std::optional<std::string> home;
  std::optional<std::string> reportFile;
};

// Why velmora-sim ends early: one message on standard error (its controls shown), a hint on
// a line of its own when there is one, and the exit status.
struct Failure {
  std::string message;
  std::string hint;
  int status = 2;
};

int fail(const Failure& failure) {
  std::cerr << "velmora-sim: " << visibleText(failure.message) << "\n";
  if (!failure.hint.empty()) std::cerr << failure.hint << "\n";
  return failure.status;
}

// A command line that asks for nothing velmora-sim does; `message` may quote an argument.
Failure usage(std::string message) {
  return Failure{std::move(message), "(see velmora-sim --help)"};
}

// Standard output cannot be written: exit status 1.
Failure outputFailure(const std::string& why) {
  return Failure{"cannot write to standard output: " + why, "", 1};
}

using ArgumentsResult = std::variant<Options, Failure>;

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
    const bool takesValue = arg == "--from-report" || arg == "--scenario" || arg == "--home";
    if (arg == "--headless") {
      headless = true;
    } else if (!takesValue) {
      return usage("unknown argument: " + arg);
    } else if (i + 1 >= argc) {
      return usage(arg + " needs a value");
    } else {
      (arg == "--from-report" ? options.reportFile
       : arg == "--scenario"  ? options.scenarioFile
                              : options.home) = argv[++i];
    }
  }
  if (options.reportFile) {
    if (options.scenarioFile || options.home || headless) {
      return usage("--from-report takes no other option");
    }
    options.mode = Mode::kFromReport;
  } else if (options.home && options.home->empty()) {
    return usage("--home needs a directory (an empty one would mean /)");
  } else if (headless) {
    options.mode = Mode::kHeadless;
  }
  return options;
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

// The scenario to play, `name` naming it in a failure. Its text is gone when this returns: a
// long scenario is large.
std::variant<Scenario, Failure> readScenario(const std::optional<std::string>& file,
                                             const std::string& name) {
  std::string json(builtInStoryJson());
  if (file) {
    InputFileResult read = readInputFile(*file);
    if (const auto* e = std::get_if<InputFileError>(&read)) {
      return Failure{name + ": cannot read the scenario: " + e->message, ""};
    }
    json = std::move(std::get<std::string>(read));
  }
  ScenarioResult parsed = parseScenario(json);
  if (const auto* e = std::get_if<ScenarioError>(&parsed)) {
    return Failure{name + ": " + e->position + ": " + e->message, ""};
  }
  return std::move(std::get<Scenario>(parsed));
}

double wallClockNow() {
  using namespace std::chrono;
  return duration<double>(system_clock::now().time_since_epoch()).count();
}

// Seconds since it was made, on the steady clock.
class Stopwatch {
 public:
  [[nodiscard]] double elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  }

 private:
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

// What a run plays and where it keeps its files, all checked before anything is written.
struct Run {
  std::optional<Scenario> scenario;  // gone once the simulation has what it needs of it
  StatePaths paths;
  std::string stateNotice;
  double start = 0.0;                            // the wall-clock moment of time 0
  std::unique_ptr<TemporaryHome> temporaryHome;  // --headless without --home: removed at the end
};

// The home of the state files: --home as given; for --headless without it a fresh temporary
// one, kept in `run`; else velmora-sim's own folder.
std::variant<std::string, Failure> stateHome(const Options& options, Run& run) {
  if (options.home) return *options.home;
  if (options.mode == Mode::kHeadless) {
    const char* tmpdir = std::getenv("TMPDIR");
    auto made = TemporaryHome::make(tmpdir == nullptr ? "" : tmpdir);
    if (const auto* e = std::get_if<HomeError>(&made))
      return Failure{e->message, "(give one with --home)"};
    run.temporaryHome = std::move(std::get<std::unique_ptr<TemporaryHome>>(made));
    return run.temporaryHome->path();
  }
  const char* xdg = std::getenv("XDG_STATE_HOME");
  const std::optional<std::string> home = userHome();
  std::optional<std::string> own = defaultSimHome(xdg == nullptr ? "" : xdg, home.value_or(""));
  if (!own) return usage("no home directory for the state files; give one with --home");
  return std::move(*own);
}

// Where the state files are, in words. A temporary folder's name would make two runs differ,
// so it is not given.
std::string stateNotice(const Options& options, const Run& run) {
  if (run.temporaryHome) {
    return "state files in a temporary folder, removed at the end (--home keeps them)";
  }
  return "state files in " + run.paths.kStateDir +
         (options.home ? "" : " (velmora-sim's own folder; --home chooses another)");
}

// The run the options ask for: the scenario read, the state folder made and its writes tried.
std::variant<Run, Failure> prepareRun(const Options& options) {
  const std::string name = visibleText(options.scenarioFile.value_or("<built-in scenario>"));
  std::variant<Scenario, Failure> scenario = readScenario(options.scenarioFile, name);
  if (auto* e = std::get_if<Failure>(&scenario)) return std::move(*e);
  Run run;
  std::variant<std::string, Failure> home = stateHome(options, run);
  if (auto* e = std::get_if<Failure>(&home)) return std::move(*e);
  run.paths = StatePaths::forHome(std::get<std::string>(home));
  const HomeResult folder = prepareStateFolder(run.paths);
  if (const auto* e = std::get_if<HomeError>(&folder)) {
    return Failure{e->message, "(give another with --home)"};
  }
  if (run.temporaryHome) run.temporaryHome->removeOnEndSignals(run.paths);
  run.stateNotice = stateNotice(options, run);
  Scenario& played = std::get<Scenario>(scenario);
  run.start = played.start.value_or(wallClockNow());
  run.scenario = std::move(played);
  return run;
}

// The summary's lines; the state folder is named only while it exists.
std::vector<std::string> summaryLines(const RunSummary& summary, const Simulation& sim,
                                      const StatePaths& paths) {
  std::error_code ec;
  const bool exists = std::filesystem::is_directory(paths.kStateDir, ec);
  return summary.lines(sim.loop().now(), exists ? std::optional(paths.kStateDir) : std::nullopt);
}

// The simulation of `run`, telling `observers` everything: the caller adds them (which read the
// simulation's time and state) before anything happens, the state folder's notice first. The
// simulation's tasks share what they need of the scenario, which then goes.
std::unique_ptr<Simulation> simulate(Run& run, ObserverList& observers) {
  auto sim = std::make_unique<Simulation>(*run.scenario, run.paths, run.start, observers);
  run.scenario.reset();
  return sim;
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
  return writer.output().failed() ? fail(outputFailure(writer.output().failure())) : 0;
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
    return fail(outputFailure(writer.output().failure()));
  }
  if (!sim->loop().terminated()) sim->notice("the story is over");
  sim->finish();
  for (const std::string& line : summaryLines(summary, *sim, run.paths)) writer.line(line);
  return writer.output().failed() ? fail(outputFailure(writer.output().failure())) : 0;
}

// How long the rest of an escape sequence may take to come before the bytes are taken as they
// are (a lone Escape closes the menu).
constexpr double kEscapeWait = 0.05;
// Keys are handled in slices of about this long; between two the screen is drawn and the
// signals are looked at, so that neither an end signal nor q waits behind keys typed ahead.
constexpr double kKeySlice = 0.05;

constexpr const char* kStoryOver =
    "the story is over: play with s o c f p b a u h l n, or quit with q";

// The interactive mode's loop: the simulation on the wall clock, the screen, the keys.
class Interactive {
 public:
  Interactive(Simulation& sim, TerminalUi& ui, RawTerminal& terminal)
      : sim_(sim), ui_(ui), terminal_(terminal) {}

  // Plays the scenario, then goes on refreshing the story's last state (or the one the user
  // plays with) until the tracker quits, an end signal comes or the terminal goes away.
  void run() {
    while (!sim_.finished()) {
      const double t = clock_.elapsed();
      sim_.loop().catchUp(t);
      if (sim_.loop().terminated()) break;
      if (!storyOverSaid_ && t >= sim_.until()) {
        storyOverSaid_ = true;
        if (!sim_.tookOver()) sim_.notice(kStoryOver);
      }
      if (!actOnKeys()) break;
      if (!nextKey(input_)) draw();  // keys left: the screen can wait for them
      if (!await(t)) break;
    }
    sim_.finish();
  }

 private:
  // Writes what is not part of the screen, then the rows of the screen that changed.
  void draw() {
    const std::string pending = ui_.takePendingOutput();
    const auto size = terminal_.size();
    const std::string rows = shown_.update(size.columns, ui_.renderRows(size.columns, size.rows));
    // Output dropped leaves the screen unknown.
    if (!terminal_.write(pending) || !terminal_.write(rows)) shown_.forget();
  }

  // Acts on the keys that came, for one slice at most. Play keys change one copy of the client,
  // set when another choice comes or no key is left; a run of Refresh choices among them is one
  // refresh after them. Any other choice acts before the next key is read, as it may change the
  // menu. False once the tracker has quit.
  bool actOnKeys() {
    std::size_t used = 0;
    const bool on = actOnSlice(used);
    input_.erase(0, used);
    return on && (nextKey(input_) || flush());
  }

  bool actOnSlice(std::size_t& used) {
    const double end = clock_.elapsed() + kKeySlice;
    while (clock_.elapsed() < end) {
      if (refresh_ && !joinsPendingRefresh(used) && !flush()) return false;
      const TerminalUi::Outcome o = ui_.onKeys(input_, used);
      if (o.play) {
        plays_.push_back(*o.play);
      } else if (o.chosen && o.chosen->action == MenuAction::kRefresh) {
        refresh_ = o.chosen;
      } else if (o.chosen) {
        if (!flush()) return false;
        sim_.choose(*o.chosen);
        if (sim_.loop().terminated()) return false;
      } else {
        break;
      }
    }
    return true;
  }

  // Whether the key at `at` leaves the pending refresh for later: another Refresh adds nothing
  // to it, and a play key only changes the client, which that refresh then sees. Any other key
  // may read the menu the refresh rebuilds.
  [[nodiscard]] bool joinsPendingRefresh(std::size_t at) const {
    const std::optional<KeyPress> key = nextKey(std::string_view(input_).substr(at));
    if (!key || key->kind != KeyPress::Kind::kCharacter) return false;
    if (playActionForKey(key->character)) return true;
    const MenuEntry* entry = ui_.entryWithKey(key->character);
    return entry != nullptr && entry->action == MenuAction::kRefresh;
  }

  // Sets the played changes on the client, then refreshes when a refresh is pending. False
  // once the tracker has quit.
  bool flush() {
    sim_.loop().catchUp(clock_.elapsed());
    sim_.play(plays_);
    plays_.clear();
    if (const std::optional<MenuEntry> entry = std::exchange(refresh_, std::nullopt)) {
      sim_.choose(*entry);
    }
    return !sim_.loop().terminated();
  }

  // Waits for input, a signal, the next task due after `t` or the bar clock's next second,
  // and not at all while whole keys are left; false once the run must end.
  bool await(double t) {
    double next = std::min(sim_.loop().nextDue().value_or(t + 1.0), std::floor(t) + 1.0);
    if (!storyOverSaid_) next = std::min(next, sim_.until());
    double wait = std::clamp(next - clock_.elapsed(), 0.0, 1.0);
    if (nextKey(input_)) {
      wait = 0.0;
    } else if (!input_.empty()) {
      wait = std::clamp(inputAt_ + kEscapeWait - clock_.elapsed(), 0.0, wait);
    }
    switch (terminal_.wait(wait, input_)) {
      case RawTerminal::Wake::kEnd:
        return false;
      case RawTerminal::Wake::kSuspend:
        terminal_.suspend();
        shown_.forget();
        break;
      case RawTerminal::Wake::kResume:
        shown_.forget();
        break;
      case RawTerminal::Wake::kInput:
        inputAt_ = clock_.elapsed();
        break;
      case RawTerminal::Wake::kTimeout:
        // Only the start of an escape sequence is left, and nothing more came for it.
        if (!input_.empty() && !nextKey(input_) && clock_.elapsed() >= inputAt_ + kEscapeWait) {
          (void)ui_.onUnfinishedKey(input_);
        }
        break;
      case RawTerminal::Wake::kResize:
        shown_.forget();  // the terminal may have moved what it showed
        break;
    }
    return true;
  }

  Simulation& sim_;
  TerminalUi& ui_;
  RawTerminal& terminal_;
  const Stopwatch clock_;
  ShownFrame shown_;
  std::string input_;  // keys not handled yet: a slice's rest, or the start of an escape sequence
  double inputAt_ = 0.0;
  std::vector<PlayAction> plays_;     // played, not yet set on the client
  std::optional<MenuEntry> refresh_;  // Refresh chosen, not yet run
  bool storyOverSaid_ = false;
};

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
  Interactive(*sim, ui, *terminal).run();
  const int signo = terminal->endSignal();
  const bool lost = terminal->lost();
  std::string farewell;
  for (const std::string& line : summaryLines(summary, *sim, run.paths)) farewell += line + "\n";
  terminal->setFarewell(std::move(farewell));
  terminal.reset();
  if (signo != 0) dieOf(signo);
  return lost ? fail(Failure{"the terminal went away", "", 1}) : 0;
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
  return std::cout ? 0 : fail(outputFailure(std::strerror(errno)));
}

int printVersion() {
  std::cout << "velmora-sim (Velmora Session Tracker) " VELMORA_VERSION "\n" << std::flush;
  return std::cout ? 0 : fail(outputFailure(std::strerror(errno)));
}

}  // namespace

int main(int argc, char** argv) {
  occupyClosedStandardDescriptors();
  // Local times (Recently Ended) in the zone TZ names, UTC without one, as on any machine.
  ::setenv("TZ", "UTC", 0);
  ::tzset();
  // A closed pipe on standard output is a failed write to report, not a silent death.
  ::signal(SIGPIPE, SIG_IGN);
  const ArgumentsResult parsed = parseArguments(argc, argv);
  if (const auto* e = std::get_if<Failure>(&parsed)) return fail(*e);
  const Options& options = std::get<Options>(parsed);
  switch (options.mode) {
    case Mode::kHelp:
      return printHelp();
    case Mode::kVersion:
      return printVersion();
    case Mode::kFromReport:
      return printScenarioOfReport(*options.reportFile, std::cout, std::cerr);
    case Mode::kHeadless:
    case Mode::kRun:
      break;
  }
  std::variant<Run, Failure> prepared = prepareRun(options);
  if (const auto* e = std::get_if<Failure>(&prepared)) return fail(*e);
  Run& run = std::get<Run>(prepared);
  if (options.mode == Mode::kHeadless) return playHeadless(run);
  std::unique_ptr<RawTerminal> terminal = openTerminal();
  return terminal ? playInteractive(run, std::move(terminal)) : playPlain(run);
}
