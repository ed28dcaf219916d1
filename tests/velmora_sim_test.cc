// The velmora-sim program as its users run it: a scenario file in, JSON Lines or plain lines
// out, the state files under --home, exit status 2 for a scenario it cannot play, 1 for output
// it cannot write; and on a terminal that stops reading, still ended at once by SIGTERM.
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "gtest/gtest.h"
#include "tests/sim_program.h"
#include "tests/temp_home.h"
#include "text/text.h"

namespace velmora::testing {
namespace {

class VelmoraSimTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(home.valid() && scratch.valid()); }
  TempHome home, scratch;
};

TEST_F(VelmoraSimTest, HeadlessStoryPrintsTheGoldenEvents) {
  const ProgramRun run =
      runSim({"--headless", "--scenario", dataFile("headless_story.json"), "--home", home.path()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, contentOf(dataFile("headless_story.jsonl")));
}

// One line per refresh and per event, then the summary with the folder it used. A title that
// would retitle the terminal window, and one that would put "rm -rf ~" on its clipboard, are
// printed with their controls shown: in the title (cut), the names and the events.
TEST_F(VelmoraSimTest, WithoutATerminalPrintsEveryEventWithControlsShown) {
  const ProgramRun run =
      runSim({"--scenario", dataFile("plain_story.json"), "--home", home.path()});
  ASSERT_EQ(run.status, 0) << run.err;
  std::string expected = contentOf(dataFile("plain_story.txt")).value_or("");
  for (std::size_t at = 0; (at = expected.find("STATE", at)) != std::string::npos;) {
    expected.replace(at, 5, home.paths().kStateDir);
  }
  EXPECT_EQ(run.out, expected);
}

// Plain lines and JSON Lines come from the same passes, on the wall clock as on virtual time:
// the refresh that falls due at "until" (here the one a second after Quit Windows App, which
// the wall clock's first sample used to push past it) is made in both.
TEST_F(VelmoraSimTest, PlainAndHeadlessRunsMakeTheSamePasses) {
  // The click waits for the launch's pass (52 ms of reads and a first listing).
  const std::string scenario = planted(scratch, R"({"start": 1765000000, "until": 1.052, "events": [
      {"at": 0, "client": )" + kOfficePc + R"(}, {"at": 0, "click": "Quit Windows App"}]})");
  const std::string out = runSim({"--headless", "--scenario", scenario, "--home", home.path()}).out;
  std::vector<double> passTimes;
  for (const nlohmann::json& pass : eventsIn(out, "report")) passTimes.push_back(pass["t"]);
  EXPECT_EQ(passTimes, (std::vector<double>{0.052, 0.302, 1.052}));
  std::vector<double> jsonTimes;  // of each title written: the launch's, then each change
  for (const nlohmann::json& title : eventsIn(out, "title")) jsonTimes.push_back(title["t"]);
  EXPECT_EQ(jsonTimes, (std::vector<double>{0.0, 0.052, 0.302}));
  const ProgramRun plain =
      runSim({"--scenario", scenario, "--home", home.path()}, {.environment = {"TERM=dumb"}});
  std::vector<std::string> plainTimes;  // "[    1.0s] RDP ●  sessions: []"
  std::istringstream lines(plain.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.find("s] RDP ") == 8) plainTimes.push_back(line.substr(0, 10));
  }
  EXPECT_EQ(plainTimes, (std::vector<std::string>{"[    0.0s]", "[    0.1s]", "[    0.3s]"}))
      << plain.out;
}

// Without --home the state files go to velmora-sim's own folder, made private, and the real
// tracker's ~/.cache/velmora_session_tracker is never touched. --headless keeps them in a fresh
// temporary folder, removed at the end, so that a run never finds what another left: two runs of
// a scenario that ends with the client running print the same bytes (with one --home the second
// would find the start file).
TEST_F(VelmoraSimTest, TheDefaultHomeIsAFolderOfItsOwn) {
  const std::string scenario =
      planted(scratch, R"({"start": 1765000000, "until": 0, "events": [{"at": 0, "client": )" +
                           kOfficePc + "}]}");
  const std::string h = home.path();
  const std::pair<std::string, std::string> cases[] = {
      {"", h + "/.local/state/velmora-sim"},
      {"relative/state", h + "/.local/state/velmora-sim"},  // not absolute: ignored
      {h + "/xdg state", h + "/xdg state/velmora-sim"},
  };
  for (const auto& [xdg, own] : cases) {
    std::vector<std::string> env{"XDG_STATE_HOME", "HOME=" + h, "TMPDIR=" + scratch.path()};
    if (!xdg.empty()) env.push_back("XDG_STATE_HOME=" + xdg);
    const ProgramRun first = runSim({"--scenario", scenario, "--headless"}, {.environment = env});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(runSim({"--scenario", scenario, "--headless"}, {.environment = env}).out, first.out);
    EXPECT_TRUE(namesIn(h).empty()) << own;
    const ProgramRun run = runSim({"--scenario", scenario}, {.environment = env});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(modeOf(own), 0700) << own;
    EXPECT_TRUE(contentOf(own + "/.cache/velmora_session_tracker/session_start")) << own;
    EXPECT_FALSE(std::filesystem::exists(h + "/.cache")) << own;
    EXPECT_NE(run.out.find("state files in " + own + "/.cache/"), std::string::npos);
    std::filesystem::remove_all(h + "/.local");
    std::filesystem::remove_all(h + "/xdg state");
  }
  EXPECT_EQ(namesIn(scratch.path()), std::vector<std::string>{"scenario.json"});
}

// An end signal removes that folder too, any a handler can catch, and the program still dies of
// that signal (SIGXCPU, which would leave a core file: status 128 + 24). The shell's helper
// sends it once the tracker has written its start file; the shell's pid is velmora-sim's.
TEST_F(VelmoraSimTest, AnEndSignalRemovesTheTemporaryFolderOfAHeadlessRun) {
  const std::string history = "\"$TMPDIR\"/*/Library/*/*/history.sqlite3";
  const struct {
    const char* keys;
    std::string written;  // what the run has written when the signal comes
    std::vector<int> signals;
  } runs[] = {{"",
               "\"$TMPDIR\"/*/.cache/velmora_session_tracker/session_start",
               {SIGTERM, SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU}},
              {R"("history": true, )", history, {SIGTERM}}};
  for (const auto& r : runs) {
    const std::string scenario = planted(
        scratch, std::string(R"({"until": 1e8, )") + r.keys +
                     R"("events": [{"at": 0, "client": {"ax": {"windows": [{"title": "Office PC",
                     "subrole": "AXStandardWindow", "size": [1440, 900]}]}}}]})");
    for (const int signo : r.signals) {
      const std::string send = "(until ls " + r.written + "; do sleep 0.01; done; kill -" +
                               std::to_string(signo) + " $$) >/dev/null 2>&1 & exec \"$0\" \"$@\"";
      const ProgramRun run = runProgram(
          {.args = {"sh", "-c", send, VELMORA_SIM_PATH, "--headless", "--scenario", scenario},
           .environment = {"TMPDIR=" + home.path()},
           .stdoutTo = Program::Stdout::kFile,
           .stdoutPath = "/dev/null",
           .deadline = std::chrono::seconds(3)});
      EXPECT_EQ(run.failure, "") << signo;
      EXPECT_EQ(run.signal, signo == SIGXCPU ? 0 : signo) << signo;
      EXPECT_EQ(run.status, signo == SIGXCPU ? 128 + SIGXCPU : -1) << signo;
      EXPECT_EQ(namesIn(home.path()), std::vector<std::string>{}) << signo << " " << r.keys;
    }
  }
}

// Under a file-size limit a write past it fails like any other (SIGXFSZ is ignored): standard
// output ends the run with one message and status 1; the debug report is a write-failed event
// and the run goes on, its temporary folder removed at the end.
TEST_F(VelmoraSimTest, AFileSizeLimitFailsTheWriteNotTheRun) {
  const std::string scenario =
      planted(scratch, R"({"events": [{"at": 0, "client": {"ax": {"windows": [{"title": ")" +
                           std::string(2000, 'x') + R"("}]}}}, {"at": 0, "key": "d"}]})");
  Program limited{{"sh", "-c", "ulimit -f 1; exec \"$0\" \"$@\"", VELMORA_SIM_PATH},
                  {"TMPDIR=" + home.path()}};
  Program copy = limited;
  copy.args.insert(copy.args.end(), {"--headless", "--scenario", scenario});
  const ProgramRun run = testing::runProgram(copy);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find(R"({"error":"File too large","event":"write-failed","file":"debug.log")"),
            std::string::npos)
      << run.out.substr(0, 300);
  EXPECT_TRUE(namesIn(home.path()).empty());
  for (const bool help : {true, false}) {
    Program output = limited;
    output.args.insert(output.args.end(), {"--headless", "--scenario", scenario});
    if (help) output.args.emplace_back("--help");
    output.stdoutTo = Program::Stdout::kFile;
    output.stdoutPath = scratch.path() + "/out";
    const ProgramRun failed = testing::runProgram(output);
    EXPECT_EQ(failed.status, 1) << help;
    EXPECT_EQ(failed.err, "velmora-sim: cannot write to standard output: File too large\n");
  }
  EXPECT_TRUE(namesIn(home.path()).empty());
}

// A state folder or state file the run could not write is found at launch, by trying: one
// message, status 2, nothing on standard output and nothing left behind. A read-only and a full
// file system are in tests/linux. Missing parents of --home are made private.
TEST_F(VelmoraSimTest, AStateFolderThatCannotBeWrittenEndsTheLaunch) {
  namespace fs = std::filesystem;
  const std::string h = home.path();
  const std::string dir = "/.cache/velmora_session_tracker";
  ASSERT_TRUE(fs::create_directory(h + "/x") && plant(h + "/x/.cache", ""));
  ASSERT_TRUE(fs::create_directories(h + "/y" + dir + "/session_start"));
  ASSERT_TRUE(fs::create_directories(h + "/z" + dir));
  ASSERT_EQ(::chmod((h + "/z" + dir).c_str(), 0500), 0);
  const std::pair<std::string, std::string> cases[] = {
      {"x", "cannot make the state folder: " + h + "/x" + dir + ": Not a directory"},
      {"y", "cannot write the state file " + h + "/y" + dir + "/session_start: Is a directory"},
      {"z", "cannot write in the state folder " + h + "/z" + dir + ": Permission denied"},
  };
  for (const auto& [folder, message] : cases) {
    // Root writes where the mode says no.
    if (folder == "z" && ::geteuid() == 0) continue;
    const ProgramRun run = runSim({"--home", h + "/" + folder});
    EXPECT_EQ(run.status, 2) << folder;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "velmora-sim: " + message + "\n(give another with --home)\n");
  }
  EXPECT_EQ(namesIn(h + "/z" + dir), std::vector<std::string>{});

  ASSERT_EQ(runSim({"--home", h + "/new/home", "--headless"}).status, 0);
  for (const std::string& made :
       std::vector<std::string>{"/new", "/new/home", "/new/home/.cache", "/new/home" + dir}) {
    EXPECT_EQ(modeOf(h + made), 0700) << made;
  }
  EXPECT_EQ(namesIn(h + "/new/home" + dir), std::vector<std::string>{});  // the story ends stopped
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
  // The client stops between the phases, so that no menu shows an uptime.
  const std::string out = playHeadless(R"json({"until": 30, "events": [
      {"at": 0, "client": {"ax": {"error": -25211},
                           "script": {"error": "Not authorised to send Apple events. (-1743)"}}},
      {"at": 0, "click": "Open Accessibility Settings…"},
      {"at": 5, "client": {"instances": 0}}, {"at": 10, "client": {"ax": {"error": -25211}}},
      {"at": 15, "client": {"instances": 0}}, {"at": 20, "client": {"script": {"error": "(-1743)"}}},
      {"at": 25, "client": {"instances": 0}}, {"at": 30, "client": {}}]})json",
                                       home, scratch);
  const std::vector<nlohmann::json> menus = eventsIn(out, "menu");
  ASSERT_EQ(menus.size(), 8u);  // the launch, then one refresh every 5 s
  EXPECT_EQ(menus[1]["items"][2]["title"], "  Can't read Windows App's windows");
  EXPECT_EQ(menus[1]["items"][3]["title"], "Open Accessibility Settings…");
  // Access asked for first, so that the setting lists the tracker.
  const std::size_t asked = out.find(R"({"event":"trust-prompt",)");
  EXPECT_LT(
      asked,
      out.find(
          R"("url":"x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"})"));
  // Listing only, scan only, both: one menu, the one of a client without sessions.
  EXPECT_EQ(menus[7]["items"][2]["title"], "  No active sessions detected");
  EXPECT_EQ(menus[3]["items"], menus[7]["items"]);
  EXPECT_EQ(menus[5]["items"], menus[7]["items"]);
}

// A second tracker ends at launch, status 0, having written nothing: in JSON Lines with
// "already-running", in plain lines saying why, as the interactive mode's summary does.
TEST_F(VelmoraSimTest, ASecondTrackerEndsAtOnceAndSaysWhy) {
  const std::string scenario =
      planted(scratch, R"({"other_tracker": true, "events": [{"at": 0, "client": {}}]})");
  const ProgramRun headless = runSim({"--headless", "--scenario", scenario, "--home", home.path()});
  EXPECT_EQ(headless.status, 0);
  EXPECT_EQ(headless.err, "");
  EXPECT_EQ(headless.out, "{\"event\":\"exit\",\"reason\":\"already-running\",\"t\":0.0}\n");
  const ProgramRun run = runSim({"--scenario", scenario, "--home", home.path()});
  EXPECT_EQ(run.status, 0);
  const std::string state = home.paths().kStateDir;
  EXPECT_EQ(run.out, "[    0.0s] state files in " + state +
                         "\n[    0.0s] another tracker is already running\n"
                         "velmora-sim ran 0s: 0 refreshes; another tracker is already running\n"
                         "state files: " +
                         state + "\n");
  EXPECT_TRUE(namesIn(state).empty());  // the tracker wrote nothing
}

// The "Open at Login" row of each menu: its title, with " +" when enabled and " ✓" when checked.
std::vector<std::string> loginRows(const std::string& jsonLines) {
  std::vector<std::string> rows;
  for (const nlohmann::json& menu : eventsIn(jsonLines, "menu")) {
    const nlohmann::json& row = menu["items"][menu["items"].size() - 4];
    rows.push_back(row["title"].get<std::string>() + (row["enabled"] == true ? " +" : "") +
                   (row.contains("checked") ? " \u2713" : ""));
  }
  return rows;
}

// The login item as System Settings has it, read into every menu, and changed from the menu.
// What macOS reports before the first registration is off: choosing the row registers; only a
// refused registration says the app cannot be found, and choosing that row tries again. A row
// chosen after System Settings changed acts on what it showed, never on what it did not:
// "approve" opens System Settings though the item is on now; a checked row finds the item gone
// (already off, nothing to remove), an unchecked one finds it wanting approval (refused). Each
// choice rebuilds the menu at once.
TEST_F(VelmoraSimTest, OpenAtLoginFollowsSystemSettingsAndActsOnWhatTheRowShowed) {
  const std::string kOff = "Open at Login +";
  const std::string kOn = "Open at Login + \u2713";
  const std::string kApprove = "Open at Login (approve in System Settings\u2026) +";
  const std::string kNotFound = "Open at Login (not available: macOS can't find the app)";
  const struct {
    const char* scenario;
    std::vector<std::string> rows;  // the launch's menu, then each menu that differs from it
    std::vector<std::string> events;
  } cases[] = {
      {R"json({"until": 6, "login_item": "needs-approval", "events": [
          {"at": 0, "click": "Open at Login (approve in System Settings…)"},
          {"at": 5, "login_item": "on"}, {"at": 6, "click": "Open at Login"}]})json",
       {kApprove, kOn, kOff},
       {R"({"event":"login-item","request":"open-settings","status":"needs-approval","t":0.0})",
        R"({"event":"login-item","request":"off","status":"off","t":6.0})"}},
      {R"json({"until": 2, "login_item": "unavailable", "events": [{"at": 0, "click": "Open at Login"},
          {"at": 1, "click": "Open at Login (not available: macOS can't find the app)"},
          {"at": 2, "login_item": "not-found"},
          {"at": 2, "click": "Open at Login (not available: macOS can't find the app)"}]})json",
       {kOff, kNotFound + " +", kOn},
       {R"({"event":"login-item","failed":true,"request":"on","status":"unavailable","t":0.0})",
        R"({"event":"login-item","failed":true,"request":"on","status":"unavailable","t":1.0})",
        R"({"event":"login-item","request":"on","status":"on","t":2.0})"}},
      {R"json({"start":1765000000,"login_item":"needs-approval","until":3,"events":[{"at":2,)json"
       R"json("login_item":"on"},{"at":2,"click":"Open at Login (approve in System Settings…)"}]})json",
       {kApprove, kOn},
       {R"({"event":"login-item","request":"open-settings","status":"on","t":2.0})"}},
      {R"({"login_item": "on", "until": 4, "events": [
          {"at": 2, "login_item": "unavailable"}, {"at": 2, "click": "Open at Login"},
          {"at": 4, "login_item": "needs-approval"}, {"at": 4, "click": "Open at Login"}]})",
       {kOn, kOff, kApprove},
       {R"({"event":"login-item","request":"off","status":"off","t":2.0})",
        R"({"event":"login-item","failed":true,"request":"on","status":"needs-approval","t":4.0})"}},
  };
  for (const auto& c : cases) {
    const std::string out = playHeadless(c.scenario, home, scratch);
    EXPECT_EQ(loginRows(out), c.rows) << c.scenario;
    std::vector<std::string> events;
    for (const nlohmann::json& e : eventsIn(out, "login-item")) events.push_back(e.dump());
    EXPECT_EQ(events, c.events) << c.scenario;
  }
}

// A scenario that cannot be played, or a report that cannot be turned into one: one message
// naming the file, where and what; exit status 2 at once (/dev/zero must not block); nothing
// written. "-" is standard input (empty here). The report's text comes from remote window
// titles: its controls are shown, never sent to the terminal.
TEST_F(VelmoraSimTest, ABadScenarioSaysWhereAndWhatExitsTwoAndWritesNothing) {
  const std::string huge = planted(scratch, "", "huge.json"), dir = scratch.path();
  std::filesystem::resize_file(huge, (64 << 20) + 1);  // sparse
  const struct {
    std::string file;  // planted with `content` unless that is empty; "report" for --from-report
    std::string content;
    const char* message;  // what stderr says after the file's name
  } cases[] = {
      {dir + "/missing", "", "cannot read the scenario: No such file or directory"},
      {dir, "", "cannot read the scenario: is a directory"},
      {"-", "",
       "line 1, column 1: syntax error while parsing value - unexpected end of "
       "input; expected '[', '{', or a literal"},
      {"/dev/zero", "", "cannot read the scenario: is a device, not a regular file"},  // endless
      {huge, "", "cannot read the scenario: larger than 64 MiB"},
      {dir + "/text", "{\"events\": []}\nx",
       "line 2, column 1: syntax error while parsing value - invalid literal; last read: "
       "'\"events\": []}<U+000A>x'; expected end of input"},
      {dir + "/nul", std::string("{\"events\": []}\0garbage", 23),
       "line 1, column 15: unexpected NUL byte; JSON text holds none"},
      {dir + "/key", R"({"events": [{"at": 1, "cl\u001b]2;x\u0007ent\n": {}}]})",
       R"(/events/0/cl\u{1B}]2;x\u{7}ent\u{A}: unknown key "cl\u{1B}]2;x\u{7}ent\u{A}")"},
      {dir + "/report", "=== Detection @ \x1b]0;owned\x07 +0000 ===\nWindows App not running\n",
       "line 1: the tracker writes no moment as \"\\u{1B}]0;owned\\u{7} +0000\" (UTC, "
       "\"YYYY-MM-DD HH:MM:SS +0000\")"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(c.content.empty() || plant(c.file, c.content)) << c.file;
    const ProgramRun run =
        c.file.ends_with("/report")
            ? runSim({"--from-report", c.file})
            : runSim({"--headless", "--scenario", c.file, "--home", home.path()});
    EXPECT_EQ(run.status, 2) << c.message;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "velmora-sim: " + c.file + ": " + c.message + "\n");
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
  std::istringstream lines(help.out);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_LE(text::displayWidth(line), 80u) << line;
  }
  const ProgramRun version = runSim({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "velmora-sim (Velmora Session Tracker) " VELMORA_VERSION "\n");
}

// velmora-sim spawned with `args` on the pseudo-terminal whose other side is `master` (its
// controlling terminal, 120x40, TERM=xterm): its pid.
pid_t spawnOnPty(int master, std::vector<std::string> args) {
  const std::string slave = ::ptsname(master);
  args.insert(args.begin(), VELMORA_SIM_PATH);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const char* envp[] = {"TERM=xterm", nullptr};
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::setsid();
  const int fd = ::open(slave.c_str(), O_RDWR);
  ::ioctl(fd, TIOCSCTTY, 0);  // the controlling terminal from now on
  const winsize size{40, 120, 0, 0};
  ::ioctl(fd, TIOCSWINSZ, &size);
  for (int target = 0; target < 3; ++target) ::dup2(fd, target);
  ::execve(argv[0], argv.data(), const_cast<char* const*>(envp));
  ::_exit(127);
}

// velmora-sim on a terminal whose other side is never read. Copy Debug Info sends the terminal
// far more than a pty holds, so its output stalls; SIGTERM must still end it at once.
TEST_F(VelmoraSimTest, SigtermEndsARunWhoseTerminalStoppedReading) {
  std::string windows;  // 600 session windows, titles of some 400 characters
  for (int i = 0; i < 600; ++i) {
    windows += std::string(i == 0 ? "" : ", ") + R"({"title": "Session )" + std::to_string(i) +
               std::string(400, 'x') + R"(", "subrole": "AXStandardWindow"})";
  }
  const std::string scenario =
      planted(scratch, R"({"until": 600, "events": [{"at": 0, "client": {"ax": {"windows": [)" +
                           windows + "]}}}]}");
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_TRUE(master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0);
  const pid_t pid = spawnOnPty(master, {"--scenario", scenario, "--home", home.path()});
  // Press d, then wait until the pty holds all it can and a little more; never read it.
  EXPECT_EQ(::write(master, "d", 1), 1);
  int queued = 0;
  for (int i = 0; i < 100 && queued < 4000 && ::ioctl(master, FIONREAD, &queued) == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  ::kill(pid, SIGTERM);
  int status = 0;
  pid_t ended = 0;
  for (int i = 0; i < 100 && ended == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ended = ::waitpid(pid, &status, WNOHANG);
  }
  if (ended == 0 && ::kill(pid, SIGKILL) == 0) ::waitpid(pid, nullptr, 0);
  ::close(master);
  ASSERT_EQ(ended, pid) << "still running 1 s after SIGTERM";
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
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
  ASSERT_EQ(reports.size(), 11u);
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

}  // namespace
}  // namespace velmora::testing
