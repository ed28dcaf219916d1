// The velmora-sim program as its users run it: a scenario file in, JSON Lines or plain lines
// out, the state files under --home, exit status 2 for a scenario it cannot play, 1 for output
// it cannot write; and on a terminal that stops reading, still ended at once by SIGTERM.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "gtest/gtest.h"
#include "tests/sim_program.h"
#include "tests/temp_home.h"

namespace velmora {
namespace {

using testing::contentOf;
using testing::dataFile;
using testing::modeOf;
using testing::namesIn;
using testing::plant;
using testing::Program;
using testing::ProgramRun;
using testing::runSim;
using testing::TempHome;

// The events of one kind in JSON Lines, in order.
std::vector<nlohmann::json> eventsIn(const std::string& jsonLines, const std::string& kind) {
  std::vector<nlohmann::json> events;
  std::istringstream in(jsonLines);
  for (std::string line; std::getline(in, line);) {
    nlohmann::json event = nlohmann::json::parse(line, nullptr, false);
    if (event.is_object() && event.value("event", "") == kind) events.push_back(std::move(event));
  }
  return events;
}

class VelmoraSimTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(home.valid() && scratch.valid()); }
  TempHome home;
  TempHome scratch;
};

TEST_F(VelmoraSimTest, HeadlessStoryPrintsTheGoldenEvents) {
  const ProgramRun run =
      runSim({"--headless", "--scenario", dataFile("headless_story.json"), "--home", home.path()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, contentOf(dataFile("headless_story.jsonl")));

  // The client stopped at 10 s, so its start file went; the copied report stayed.
  const StatePaths paths = home.paths();
  EXPECT_EQ(namesIn(paths.kStateDir), std::vector<std::string>{"debug.log"});
  const std::string copied = contentOf(paths.kDebugFile).value_or("");
  EXPECT_EQ(copied.rfind("=== Detection @ 2025-12-06 05:46:46 +0000 ===\n", 0), 0u) << copied;
}

// One line per refresh and per event, then the summary with the folder it used. A title that
// would retitle the terminal window, and one that would put "rm -rf ~" on its clipboard, are
// printed with their controls shown: in the title (cut), the names and the events.
TEST_F(VelmoraSimTest, WithoutATerminalPrintsEveryEventWithControlsShown) {
  const std::string scenario = scratch.path() + "/quit.json";
  ASSERT_TRUE(plant(scenario, R"({"start": 1765000000, "until": 9, "events": [
      {"at": 0, "client": {"ax": {"windows": [
          {"title": "Evil\u001b]52;c;cm0gLXJmIH4K\u0007", "subrole": "AXStandardWindow",
           "size": [1440, 900], "minimized": false},
          {"title": "Office\u001b]2;PWNED\u0007PC", "subrole": "AXStandardWindow",
           "size": [1440, 900], "minimized": false}]}}},
      {"at": 0, "click": "▶  Office\u001b]2;PWNED\u0007PC"}, {"at": 0, "key": "q"}]})"));
  const ProgramRun run = runSim({"--scenario", scenario, "--home", home.path()});
  ASSERT_EQ(run.status, 0) << run.err;
  std::string expected = R"([    0.0s] state files in STATE
[    0.0s] RDP ○
[    0.0s] ran a script: tell application "System Events" …
[    0.0s] RDP 2● Evil\u{1B}]52;c;cm0gLXJ…  sessions: ["Evil\u{1B}]52;c;cm0gLXJmIH4K\u{7}", "Office\u{1B}]2;PWNED\u{7}PC"]
[    0.0s] wrote the start file: 2025-12-06 05:46:40 +0000
[    0.0s] the story chose "▶  Office\u{1B}]2;PWNED\u{7}PC"
[    0.0s] ran a script: tell application "System Events" …
[    0.0s] raised the windows named "Office\u{1B}]2;PWNED\u{7}PC"
[    0.0s] activated Windows App (pid 1000, options 2)
[    0.0s] the story pressed q
[    0.0s] removed the start file
velmora-sim ran 0s: 1 refresh, last title "RDP 2● Evil\u{1B}]52;c;cm0gLXJ…"
state files: STATE
)";
  for (std::size_t at = 0; (at = expected.find("STATE", at)) != std::string::npos;) {
    expected.replace(at, 5, home.paths().kStateDir);
  }
  EXPECT_EQ(run.out, expected);
}

// Plain lines and JSON Lines come from the same passes, on the wall clock as on virtual time:
// the refresh that falls due at "until" (here the one a second after Quit Windows App, which
// the wall clock's first sample used to push past it) is made in both.
TEST_F(VelmoraSimTest, PlainAndHeadlessRunsMakeTheSamePasses) {
  const std::string scenario = scratch.path() + "/quit_client.json";
  ASSERT_TRUE(plant(scenario, R"({"start": 1765000000, "until": 1, "events": [
      {"at": 0, "client": {"ax": {"windows": [{"title": "Office PC", "subrole": "AXStandardWindow",
                                              "size": [1440, 900], "minimized": false}]}}},
      {"at": 0, "click": "Quit Windows App"}]})"));
  const ProgramRun headless = runSim({"--headless", "--scenario", scenario, "--home", home.path()});
  ASSERT_EQ(headless.status, 0) << headless.err;
  std::vector<std::string> jsonTimes;  // of each title: the launch's, then one a pass
  for (const nlohmann::json& title : eventsIn(headless.out, "title")) {
    char time[32];
    std::snprintf(time, sizeof time, "%.1f", title["t"].get<double>());
    jsonTimes.push_back(time);
  }
  EXPECT_EQ(jsonTimes, (std::vector<std::string>{"0.0", "0.0", "1.0"}));

  const ProgramRun plain =
      runSim({"--scenario", scenario, "--home", home.path()}, {.environment = {"TERM=dumb"}});
  ASSERT_EQ(plain.status, 0) << plain.err;
  std::vector<std::string> plainTimes;
  std::istringstream lines(plain.out);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t end = line.find("s] RDP ");  // "[    1.0s] RDP ●  sessions: []"
    const std::size_t begin = line.find_first_not_of("[ ");
    if (line.starts_with("[") && end != std::string::npos && begin < end) {
      plainTimes.push_back(line.substr(begin, end - begin));
    }
  }
  EXPECT_EQ(plainTimes, jsonTimes) << plain.out;
}

// Without --home the state files go to velmora-sim's own folder, made private, and the real
// tracker's ~/.cache/velmora_session_tracker is never touched.
TEST_F(VelmoraSimTest, TheDefaultHomeIsAFolderOfItsOwn) {
  const std::string scenario = scratch.path() + "/running.json";
  ASSERT_TRUE(plant(scenario, R"({"until": 0, "events": [{"at": 0, "client": {}}]})"));
  const std::string h = home.path();
  const struct {
    std::string xdg;  // XDG_STATE_HOME, if set
    std::string own;  // the folder used
  } cases[] = {
      {"", h + "/.local/state/velmora-sim"},
      {"relative/state", h + "/.local/state/velmora-sim"},  // not absolute: ignored
      {h + "/xdg state", h + "/xdg state/velmora-sim"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> env{"XDG_STATE_HOME", "HOME=" + h};
    if (!c.xdg.empty()) env.push_back("XDG_STATE_HOME=" + c.xdg);
    for (const bool headless : {true, false}) {
      std::vector<std::string> args{"--scenario", scenario};
      if (headless) args.push_back("--headless");
      const ProgramRun run = runSim(args, {.environment = env});
      ASSERT_EQ(run.status, 0) << run.err;
      EXPECT_EQ(modeOf(c.own), 0700) << c.own;
      EXPECT_TRUE(contentOf(c.own + "/.cache/velmora_session_tracker/session_start"))
          << c.own << " headless " << headless;
      EXPECT_FALSE(std::filesystem::exists(h + "/.cache")) << c.own;
      if (!headless) {
        EXPECT_NE(run.out.find("state files in " + c.own + "/.cache/"), std::string::npos);
      }
    }
  }
  // A folder that cannot be made: one message, status 2.
  ASSERT_TRUE(plant(h + "/not-a-dir", ""));
  const ProgramRun blocked =
      runSim({"--headless"}, {.environment = {"XDG_STATE_HOME=" + h + "/not-a-dir"}});
  EXPECT_EQ(blocked.status, 2);
  EXPECT_EQ(blocked.err,
            "velmora-sim: cannot make the state folder: " + h +
                "/not-a-dir/velmora-sim: Not a directory\n(give another with --home)\n");
}

// A closed standard output; tests/linux adds a full disk.
TEST_F(VelmoraSimTest, OutputThatCannotBeWrittenEndsWithOneMessageAndStatusOne) {
  testing::expectEveryModeStopsOnAFailedWrite({.stdoutTo = Program::Stdout::kClosed},
                                              "Bad file descriptor", home, scratch);
}

// Without either grant both readings fail; the menu says so and leads to the setting, asking for
// access first so that the setting lists the tracker. As soon as either reading works, the menu
// is the one of a client without sessions again.
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
  const ProgramRun run = runSim({"--headless", "--scenario", scenario, "--home", home.path()});
  ASSERT_EQ(run.status, 0) << run.err;

  const std::vector<nlohmann::json> menus = eventsIn(run.out, "menu");
  ASSERT_EQ(menus.size(), 8u);  // the launch, then one refresh every 5 s
  EXPECT_EQ(menus[1]["items"][2]["title"], "  Can't read Windows App's windows");
  EXPECT_EQ(menus[1]["items"][3]["title"], "Open Accessibility Settings…");
  const std::string opened =
      R"({"event":"click","t":0.0,"title":"Open Accessibility Settings…"})"
      "\n"
      R"({"event":"trust-prompt","t":0.0})"
      "\n"
      R"({"event":"open-url","t":0.0,)"
      R"("url":"x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"})"
      "\n";
  EXPECT_NE(run.out.find(opened), std::string::npos) << run.out;
  // Listing only, scan only, both: one menu, the one of a client without sessions.
  EXPECT_EQ(menus[7]["items"][2]["title"], "  No active sessions detected");
  EXPECT_EQ(menus[3]["items"], menus[7]["items"]);
  EXPECT_EQ(menus[5]["items"], menus[7]["items"]);
}

// A scenario that cannot be played: one message naming the file, where and what; exit status
// 2 at once (a FIFO without a writer, or /dev/zero, must not block); nothing written.
TEST_F(VelmoraSimTest, ABadScenarioSaysWhereAndWhatExitsTwoAndWritesNothing) {
  enum class Kind { kFile, kMissing, kDirectory, kFifo, kDevice, kHuge };
  const struct {
    Kind kind;
    std::string content;
    const char* message;  // what stderr says after the file's name
  } cases[] = {
      {Kind::kMissing, "", "cannot read the scenario: No such file or directory"},
      {Kind::kDirectory, "", "cannot read the scenario: is a directory"},
      {Kind::kFifo, "", "cannot read the scenario: is a FIFO, not a regular file"},
      {Kind::kDevice, "", "cannot read the scenario: is a device, not a regular file"},
      {Kind::kHuge, "", "cannot read the scenario: larger than 64 MiB"},
      {Kind::kFile, "{\"events\": []}\nx",
       "line 2, column 1: syntax error while parsing value - invalid literal; last read: "
       "'\"events\": []}<U+000A>x'; expected end of input"},
      {Kind::kFile, std::string("{\"events\": []}\0garbage", 23),
       "line 1, column 15: unexpected NUL byte; JSON text holds none"},
      {Kind::kFile, R"({"events": [{"at": 1, "cl\u001b]2;x\u0007ent\n": {}}]})",
       R"(/events/0/cl\u{1B}]2;x\u{7}ent\u{A}: unknown key "cl\u{1B}]2;x\u{7}ent\u{A}")"},
  };
  int n = 0;
  for (const auto& c : cases) {
    std::string file = scratch.path() + "/scenario" + std::to_string(n++);
    bool made = true;
    if (c.kind == Kind::kFile || c.kind == Kind::kHuge) made = plant(file, c.content);
    if (c.kind == Kind::kHuge) std::filesystem::resize_file(file, (64 << 20) + 1);  // sparse
    if (c.kind == Kind::kDirectory) made = ::mkdir(file.c_str(), 0700) == 0;
    if (c.kind == Kind::kFifo) made = ::mkfifo(file.c_str(), 0600) == 0;
    ASSERT_TRUE(made) << file;
    if (c.kind == Kind::kDevice) file = "/dev/zero";  // endless
    const ProgramRun run = runSim({"--headless", "--scenario", file, "--home", home.path()});
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "velmora-sim: " + file + ": " + c.message + "\n");
  }
  EXPECT_TRUE(namesIn(home.path()).empty());
}

TEST_F(VelmoraSimTest, BadArgumentsExitTwoHelpAndVersionExitZero) {
  const ProgramRun unknown = runSim({"--frob\x1b]2;x\x07"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.err.rfind("velmora-sim: unknown argument: --frob\\u{1B}]2;x\\u{7}\n", 0), 0u)
      << unknown.err;
  EXPECT_EQ(runSim({"--home"}).status, 2);
  // An empty home would put the state files under /.
  const ProgramRun emptyHome = runSim({"--headless", "--home", ""});
  EXPECT_EQ(emptyHome.status, 2);
  EXPECT_NE(emptyHome.err.find("--home needs a directory"), std::string::npos) << emptyHome.err;
  const ProgramRun help = runSim({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: velmora-sim [--scenario FILE]", 0), 0u) << help.out;
  for (const char* option : {"--home DIR", "--headless", "--from-report FILE", "--version"}) {
    EXPECT_NE(help.out.find(std::string("\n  ") + option), std::string::npos) << option;
  }
  const ProgramRun version = runSim({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "velmora-sim (Velmora Session Tracker) " VELMORA_VERSION "\n");
}

// A scenario whose client has `count` session windows, titles `padding` characters longer than
// "Session N".
std::string manyWindows(int count, std::size_t padding) {
  std::string windows;
  for (int i = 0; i < count; ++i) {
    windows += std::string(i == 0 ? "" : ",") + R"({"title": "Session )" + std::to_string(i) + " " +
               std::string(padding, 'x') + R"(", "subrole": "AXStandardWindow"})";
  }
  return R"({"until": 600, "events": [{"at": 0, "client": {"ax": {"windows": [)" + windows +
         "]}}}]}";
}

// velmora-sim on a pseudo-terminal of its own (its controlling terminal, 120x40, TERM=xterm).
// The test types at the terminal's side and reads what it shows there, or never reads it; a
// program still running at the end is killed.
class SimOnPty {
 public:
  explicit SimOnPty(std::vector<std::string> args) {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    const std::string slave = ::ptsname(master_);
    args.insert(args.begin(), VELMORA_SIM_PATH);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const char* envp[] = {"TERM=xterm", nullptr};
    pid_ = ::fork();
    if (pid_ != 0) return;
    ::setsid();
    const int fd = ::open(slave.c_str(), O_RDWR);
    ::ioctl(fd, TIOCSCTTY, 0);  // the controlling terminal from now on
    const winsize size{40, 120, 0, 0};
    ::ioctl(fd, TIOCSWINSZ, &size);
    for (int target = 0; target < 3; ++target) ::dup2(fd, target);
    ::execve(argv[0], argv.data(), const_cast<char* const*>(envp));
    ::_exit(127);
  }
  ~SimOnPty() {
    if (pid_ > 0 && !ended_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) ::close(master_);
  }
  SimOnPty(const SimOnPty&) = delete;
  SimOnPty& operator=(const SimOnPty&) = delete;

  [[nodiscard]] bool started() const { return pid_ > 0; }
  [[nodiscard]] pid_t pid() const { return pid_; }
  [[nodiscard]] int master() const { return master_; }
  // Everything read from the terminal so far.
  [[nodiscard]] const std::string& shown() const { return shown_; }

  // Reads what the program shows until it has shown `text`, for at most `within`.
  bool waitToShow(const std::string& text, std::chrono::milliseconds within) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (shown_.find(text) == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      readFor(std::chrono::milliseconds(10));
    }
    return shown_.find(text) != std::string::npos;
  }

  // Types what the terminal takes of `keys` now; returns how many it took.
  std::size_t typeAhead(std::string_view keys) {
    std::size_t taken = 0;
    for (ssize_t n; taken < keys.size() &&
                    (n = ::write(master_, keys.data() + taken, keys.size() - taken)) > 0;) {
      taken += static_cast<std::size_t>(n);
    }
    return taken;
  }

  // Types `keys`, reading the screen meanwhile, for at most `within`; false when not all went.
  bool type(std::string_view keys, std::chrono::milliseconds within) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (!keys.empty() && std::chrono::steady_clock::now() < deadline) {
      keys.remove_prefix(typeAhead(keys));
      readFor(std::chrono::milliseconds(1));
    }
    return keys.empty();
  }

  // Waits at most `within` for the program to end, reading the screen meanwhile when `read`:
  // its wait status, or nothing when it had not ended.
  std::optional<int> end(std::chrono::milliseconds within, bool read = true) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        ended_ = true;
        return status;
      }
      if (read) {
        readFor(std::chrono::milliseconds(10));
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    return std::nullopt;
  }

 private:
  void readFor(std::chrono::milliseconds within) {
    pollfd fd{master_, POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(within.count())) <= 0) return;
    char buffer[65536];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n > 0) shown_.append(buffer, static_cast<std::size_t>(n));
  }

  int master_ = -1;
  pid_t pid_ = -1;
  bool ended_ = false;
  std::string shown_;
};

// velmora-sim on a terminal whose other side is never read. Copy Debug Info sends the terminal
// far more than a pty holds, so its output stalls; SIGTERM must still end it at once.
TEST_F(VelmoraSimTest, SigtermEndsARunWhoseTerminalStoppedReading) {
  const std::string scenario = scratch.path() + "/big.json";
  ASSERT_TRUE(plant(scenario, manyWindows(600, 400)));
  SimOnPty sim({"--scenario", scenario, "--home", home.path()});
  ASSERT_TRUE(sim.started());
  // Press d, then wait until the pty holds all it can and a little more.
  ASSERT_EQ(::write(sim.master(), "d", 1), 1);
  int queued = 0;
  for (int i = 0; i < 100 && queued < 4000; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_EQ(::ioctl(sim.master(), FIONREAD, &queued), 0);
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  ::kill(sim.pid(), SIGTERM);
  const std::optional<int> status = sim.end(std::chrono::seconds(1), false);
  ASSERT_TRUE(status) << "still running 1 s after SIGTERM";
  EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM) << *status;
}

// Keys typed ahead on a large client, thousands of windows added and hundreds of refreshes,
// seconds of work one key at a time, keep neither SIGTERM nor q waiting: each ends the run
// within a second. The queued refreshes are one at the end of each batch read.
TEST_F(VelmoraSimTest, KeysTypedAheadKeepNoEndWaiting) {
  const std::string scenario = scratch.path() + "/large.json";
  ASSERT_TRUE(plant(scenario, manyWindows(10000, 0)));
  std::string keys;
  for (int i = 0; i < 400; ++i) keys += std::string(10, 'b') + "r";
  for (const bool bySignal : {true, false}) {
    SimOnPty sim({"--scenario", scenario, "--home", home.path()});
    ASSERT_TRUE(sim.started());
    ASSERT_TRUE(sim.waitToShow("RDP 10000", std::chrono::seconds(10)));
    // As much as the terminal holds (about 1 kB on a Mac, 4 kB on Linux), all read at once.
    ASSERT_GE(sim.typeAhead(keys), 500u);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (bySignal) {
      ::kill(sim.pid(), SIGTERM);
    } else {
      ASSERT_TRUE(sim.type("q", std::chrono::seconds(1)));
    }
    const std::optional<int> status = sim.end(std::chrono::seconds(1));
    ASSERT_TRUE(status) << (bySignal ? "SIGTERM" : "q") << ": still running 1 s later";
    EXPECT_EQ(WIFSIGNALED(*status) ? WTERMSIG(*status) : -WEXITSTATUS(*status),
              bySignal ? SIGTERM : 0);
    if (bySignal) continue;
    const std::size_t summary = sim.shown().find("velmora-sim ran ");
    ASSERT_NE(summary, std::string::npos);
    const std::size_t count = sim.shown().find(": ", summary) + 2;
    EXPECT_LT(std::stoi(sim.shown().substr(count)), 40) << sim.shown().substr(summary);
  }
}

// Every report recorded in tests/data (the story's passes and the report_*.txt files) comes
// back from its scenario byte for byte, as the last report of the replay.
TEST_F(VelmoraSimTest, FromReportPrintsAScenarioThatWritesTheSameReportAgain) {
  std::vector<std::string> reports;
  for (const auto& event :
       eventsIn(contentOf(dataFile("headless_story.jsonl")).value_or(""), "report")) {
    reports.push_back(event["text"]);
  }
  for (const char* name : {"report_idle_after_full_screen.txt", "report_failures.txt",
                           "report_raw_titles.txt", "report_mimic_titles.txt"}) {
    reports.push_back(contentOf(dataFile(name)).value_or(""));
  }
  ASSERT_EQ(reports.size(), 10u);
  const std::string reportFile = scratch.path() + "/report.txt";
  const std::string scenarioFile = scratch.path() + "/scenario.json";
  for (const std::string& report : reports) {
    ASSERT_TRUE(plant(reportFile, report));
    const ProgramRun converted = runSim({"--from-report", reportFile});
    ASSERT_EQ(converted.status, 0) << converted.err << report;
    EXPECT_EQ(converted.err, "");
    ASSERT_TRUE(plant(scenarioFile, converted.out));
    const ProgramRun replay =
        runSim({"--headless", "--scenario", scenarioFile, "--home", home.path()});
    ASSERT_EQ(replay.status, 0) << replay.err;
    const auto replayed = eventsIn(replay.out, "report");
    ASSERT_FALSE(replayed.empty());
    EXPECT_EQ(replayed.back()["text"], report);
  }
}

// The refusal quotes the report, whose text comes from remote window titles: its controls are
// shown, never sent to the terminal.
TEST_F(VelmoraSimTest, FromReportRefusesWithTheLineExitsTwoAndPrintsNoScenario) {
  const std::string file = scratch.path() + "/report.txt";
  ASSERT_TRUE(plant(file, "=== Detection @ \x1b]0;owned\x07 +0000 ===\nWindows App not running\n"));
  const ProgramRun run = runSim({"--from-report", file});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "velmora-sim: " + file +
                         ": line 1: the tracker writes no moment as \"\\u{1B}]0;owned\\u{7} "
                         "+0000\" (UTC, \"YYYY-MM-DD HH:MM:SS +0000\")\n");
  EXPECT_EQ(runSim({"--from-report", file, "--headless"}).status, 2);
}

}  // namespace
}  // namespace velmora
