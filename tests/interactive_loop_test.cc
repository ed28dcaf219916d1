// The interactive loop on a real terminal: a child process plays on a pseudo-terminal of its
// own while the test types keys into it, all at once, as a user typing ahead does.
#include "platform/sim/tui/interactive_loop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>  // posix_openpt
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/sim_windows.h"
#include "tests/temp_home.h"

namespace velmora::sim {
namespace {

// What the child's run did, written back through a pipe.
struct Outcome {
  int refreshes = 0;          // passes that Refresh ran
  int sessionsRefreshed = 0;  // the sessions the last of them found
  int endSignal = 0;
  bool quit = false;
};

// Counts the refreshes; raises `signal` (unless 0) at the first, while keys are being handled.
struct Refreshes final : SimObserver {
  explicit Refreshes(int signal) : signo(signal) {}
  void onPass(const DetectionResult& pass) override {
    sessions = static_cast<int>(pass.info.count);
  }
  void onReport(const std::string& /*report*/, PassCause cause) override {
    if (cause != PassCause::kRefresh) return;
    if (++outcome.refreshes == 1 && signo != 0) ::raise(signo);
    outcome.sessionsRefreshed = sessions;
  }
  int signo;
  int sessions = 0;
  Outcome outcome;
};

// The loop in this (child) process, on the terminal `tty` as its controlling terminal, with
// the client showing `windows` session windows; its outcome goes to `out`.
[[noreturn]] void playOn(const char* tty, int windows, int signo, const StatePaths& paths,
                         int out) {
  ::setsid();
  const int fd = ::open(tty, O_RDWR);
  (void)::ioctl(fd, TIOCSCTTY, 0);
  ::dup2(fd, STDIN_FILENO);
  ::dup2(fd, STDOUT_FILENO);
  Refreshes refreshes(signo);
  ObserverList observers;
  Simulation sim(Scenario{}, paths, 1765000000.0, observers);
  sim.desktop().setClient(runningWith(std::vector<std::string>(windows, "Office PC")));
  TerminalUi ui(sim);
  observers.add(ui);
  observers.add(refreshes);
  auto terminal = RawTerminal::open();
  InteractiveLoop(sim, ui, *terminal).run();
  refreshes.outcome.endSignal = terminal->endSignal();
  refreshes.outcome.quit = sim.loop().terminated();
  terminal.reset();
  (void)!::write(out, &refreshes.outcome, sizeof(Outcome));
  ::_exit(0);
}

// Starts the loop in a child, types `keys` once its screen shows the title, and reads the
// screen until the child ends.
Outcome play(const std::string& keys, int windows = 1, int signo = 0) {
  const testing::TempHome home;
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
  int result[2];
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0 || ::pipe(result) != 0) {
    ADD_FAILURE() << "no pseudo-terminal";
    return {};
  }
  const pid_t child = ::fork();
  if (child == 0) playOn(::ptsname(master), windows, signo, home.paths(), result[1]);
  ::close(result[1]);
  std::string screen;
  bool typed = false;
  for (pollfd fd{master, POLLIN, 0}; ::poll(&fd, 1, 10000) > 0;) {
    char bytes[4096];
    const ssize_t n = ::read(master, bytes, sizeof bytes);
    if (n <= 0) break;  // the child closed the terminal
    screen.append(bytes, static_cast<std::size_t>(n));
    if (typed || screen.find("RDP ") == std::string::npos) continue;
    typed = ::write(master, keys.data(), keys.size()) == static_cast<ssize_t>(keys.size());
  }
  ::kill(child, SIGKILL);  // when it hangs
  ::waitpid(child, nullptr, 0);
  Outcome outcome;
  EXPECT_EQ(::read(result[0], &outcome, sizeof outcome), static_cast<ssize_t>(sizeof outcome));
  ::close(result[0]);
  ::close(master);
  return outcome;
}

// Keys typed ahead act in order, a run of Refresh is one refresh (o amid it opens a session
// window that refresh sees), q quits. An end signal at the first of many slow refreshes (1 shows
// or hides a panel between two) ends the loop after that slice of keys, not behind them all.
TEST(InteractiveLoopTest, KeysTypedAheadActInOrderAndAnEndSignalDoesNotWaitBehindThem) {
  const Outcome o = play(std::string(10, 'r') + "o" + std::string(10, 'r') + "q");
  EXPECT_TRUE(o.quit);
  EXPECT_EQ(o.refreshes, 1);
  EXPECT_EQ(o.sessionsRefreshed, 2);
  std::string keys;
  for (int i = 0; i < 400; ++i) keys += "r1";
  const Outcome ended = play(keys, 2000, SIGTERM);
  EXPECT_EQ(ended.endSignal, SIGTERM);
  EXPECT_LT(ended.refreshes, 400);
}

}  // namespace
}  // namespace velmora::sim
