#include "platform/sim/terminal/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <utility>

namespace velmora::sim {
namespace {

// Written by the signal handler: one byte per signal, read by drainSignals().
int signalPipe[2] = {-1, -1};

void onSignal(int signo) {
  const int saved = errno;
  const auto byte = static_cast<char>(signo);
  (void)!::write(signalPipe[1], &byte, 1);
  errno = saved;
}

constexpr int kHandled[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP, SIGCONT, SIGWINCH};
constexpr std::size_t kHandledCount = sizeof kHandled / sizeof kHandled[0];

// Alternate screen, cursor hidden, no automatic wrap (a line a little too wide for the
// terminal's idea of a character's width must not scroll the screen), cleared.
constexpr std::string_view kEnterScreen = "\x1b[?1049h\x1b[?25l\x1b[?7l\x1b[2J";
constexpr std::string_view kLeaveScreen = "\x1b[0m\x1b[?7h\x1b[?25h\x1b[?1049l";
// Output cut in the middle of a sequence leaves the terminal inside it; CAN ends any.
constexpr std::string_view kCancelSequence = "\x18";
// How long giving the terminal back waits for it to take the last bytes.
constexpr int kGiveBackMilliseconds = 200;
constexpr std::size_t kMaxInputPerWait = std::size_t{64} * 1024;
// How often a process that waits for the foreground, and cannot be stopped, looks again.
constexpr double kForegroundRetrySeconds = 0.25;

void setNonBlocking(int fd, bool on) {
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, on ? flags | O_NONBLOCK : flags & ~O_NONBLOCK);
}

void handle(int signo, void (*handler)(int), struct sigaction* old) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  ::sigaction(signo, &action, old);
}

// Whether this process's group is the terminal's foreground group, which alone may change the
// terminal's settings. A terminal without job control has none: then it is.
bool inForeground() {
  const pid_t owner = ::tcgetpgrp(STDIN_FILENO);
  return owner < 0 || owner == ::getpgrp();
}

// Reads the terminal's settings, again when a signal interrupted the call.
bool readMode(termios& mode) {
  while (::tcgetattr(STDIN_FILENO, &mode) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

// Sets the terminal's settings, again when a signal interrupted the call (as a continue does
// after the call stopped the process).
bool setMode(const termios& mode) {
  while (::tcsetattr(STDIN_FILENO, TCSANOW, &mode) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

int millisecondsUntil(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

}  // namespace

struct RawTerminal::Saved {
  termios mode{};
  struct sigaction actions[kHandledCount] {};
};

std::unique_ptr<RawTerminal> RawTerminal::open() {
  if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) return nullptr;
  std::unique_ptr<RawTerminal> t(new RawTerminal);
  if (!t->enter()) return nullptr;
  return t;
}

bool RawTerminal::enter() {
  auto saved = std::make_unique<Saved>();
  if (!readMode(saved->mode)) return false;
  if (signalPipe[0] < 0 && ::pipe(signalPipe) != 0) return false;
  for (int fd : signalPipe) {
    setNonBlocking(fd, true);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  for (std::size_t i = 0; i < kHandledCount; ++i) handle(kHandled[i], onSignal, &saved->actions[i]);

  // Output goes through an open file description of our own, so that making it non-blocking
  // does not change the shell's; failing that, the shared one, blocking again when given back.
  if (const char* name = ::ttyname(STDOUT_FILENO)) {
    out_ = ::open(name, O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  }
  ownsOut_ = out_ >= 0;
  if (!ownsOut_) out_ = STDOUT_FILENO;
  saved_ = std::move(saved);
  // A terminal that refuses raw mode leaves the plain lines; a program started in the
  // background that cannot be stopped waits for the foreground instead.
  if (!takeTerminal() && inForeground()) {
    restore();
    return false;
  }
  return true;
}

bool RawTerminal::takeTerminal() {
  if (!inForeground()) {
    // Stops here, as the terminal would stop a job that changes it, until continued; a job
    // that cannot be stopped (SIGTTOU ignored, or orphaned) goes on waiting for the foreground.
    ::kill(0, SIGTTOU);
    drainSignals();
    resumePending_ = false;  // this continue is handled here
    if (!inForeground()) return false;
  }
  // What the shell set while the terminal was its own is what to give back next.
  if (std::exchange(rereadMode_, false)) (void)readMode(saved_->mode);
  termios raw = saved_->mode;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);  // ISIG stays: Ctrl-C signals
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  if (!setMode(raw)) return false;
  if (!ownsOut_) setNonBlocking(out_, true);
  taken_ = true;
  stalled_ = false;
  (void)write(kEnterScreen);
  return true;
}

// Never waits long: the terminal may have stopped reading. A terminal that a job in the
// background gave up is set as the shell wants it, and is left alone.
void RawTerminal::giveBackTerminal() {
  if (!std::exchange(taken_, false)) return;
  if (inForeground()) {
    if (stalled_) {
      ::tcflush(out_, TCOFLUSH);
      (void)writeWithin(kCancelSequence, kGiveBackMilliseconds);
    }
    (void)writeWithin(kLeaveScreen, kGiveBackMilliseconds);
    (void)setMode(saved_->mode);
  }
  if (!ownsOut_) setNonBlocking(out_, false);
}

void RawTerminal::restore() {
  if (!saved_) return;
  giveBackTerminal();
  // Not from the background: the summary would land in the middle of the shell's work.
  if (!farewell_.empty() && !stalled_ && !gone_ && inForeground()) {
    (void)writeWithin(farewell_, kGiveBackMilliseconds);
  }
  for (std::size_t i = 0; i < kHandledCount; ++i) {
    ::sigaction(kHandled[i], &saved_->actions[i], nullptr);
  }
  if (ownsOut_) ::close(out_);
  out_ = -1;
  saved_.reset();
}

RawTerminal::~RawTerminal() {
  restore();
}

void RawTerminal::suspend() {
  suspendPending_ = false;
  giveBackTerminal();
  handle(SIGTSTP, SIG_DFL, nullptr);
  ::raise(SIGTSTP);  // stops here until continued
  handle(SIGTSTP, onSignal, nullptr);
  drainSignals();
  resumePending_ = false;  // this continuation is handled here
  // The shell may change the settings while we are stopped: give back those next time.
  rereadMode_ = true;
  (void)takeTerminal();
}

// Continued (after SIGSTOP, or in the background): the terminal may be set as the shell wants
// it, so it is taken anew; in the background that waits for the foreground.
RawTerminal::Wake RawTerminal::retake() {
  resumePending_ = false;
  taken_ = false;
  return takeTerminal() ? Wake::kResume : Wake::kTimeout;
}

// Not in the foreground: only the signals are looked at (the input is the shell's), and the
// terminal is taken as soon as it can be, at a continue or after a quarter second at most.
RawTerminal::Wake RawTerminal::awaitForeground(double seconds) {
  const bool signalled = endSignal_ != 0 || gone_ || suspendPending_ || resumePending_;
  const double wait = signalled ? 0.0 : std::clamp(seconds, 0.0, kForegroundRetrySeconds);
  pollfd fd{signalPipe[0], POLLIN, 0};
  if (::poll(&fd, 1, static_cast<int>(std::ceil(wait * 1000.0))) > 0) drainSignals();
  if (endSignal_ != 0 || gone_) return Wake::kEnd;
  if (suspendPending_) return Wake::kSuspend;
  return retake();
}

RawTerminal::Size RawTerminal::size() const {
  winsize ws{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) != 0 || ws.ws_col == 0 || ws.ws_row == 0) return {};
  return {ws.ws_col, ws.ws_row};
}

void RawTerminal::drainSignals() {
  char bytes[64];
  for (ssize_t n; (n = ::read(signalPipe[0], bytes, sizeof bytes)) > 0;) {
    for (ssize_t i = 0; i < n; ++i) {
      switch (const int signo = static_cast<unsigned char>(bytes[i])) {
        case SIGWINCH:
          resizePending_ = true;
          break;
        case SIGTSTP:
          suspendPending_ = true;
          break;
        case SIGCONT:
          resumePending_ = true;
          break;
        default:
          if (endSignal_ == 0) endSignal_ = signo;
          break;
      }
    }
  }
}

bool RawTerminal::write(std::string_view bytes) {
  if (!taken_) return bytes.empty();
  while (!bytes.empty()) {
    if (mustStopWriting()) {
      stalled_ = true;
      return false;
    }
    const ssize_t n = ::write(out_, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // Full: wait until the terminal takes more or a signal comes.
      pollfd fds[2] = {{out_, POLLOUT, 0}, {signalPipe[0], POLLIN, 0}};
      if (::poll(fds, 2, -1) > 0) {
        if (fds[1].revents & POLLIN) drainSignals();
        if (fds[0].revents & (POLLERR | POLLNVAL)) gone_ = true;
      }
    } else if (!(n < 0 && errno == EINTR)) {
      gone_ = true;
    }
  }
  return true;
}

bool RawTerminal::writeWithin(std::string_view bytes, int milliseconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!bytes.empty()) {
    const ssize_t n = ::write(out_, bytes.data(), bytes.size());
    if (n > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return false;
    const int left = millisecondsUntil(deadline);
    pollfd fd{out_, POLLOUT, 0};
    if (left == 0 || ::poll(&fd, 1, left) <= 0) return false;
  }
  return true;
}

RawTerminal::Wake RawTerminal::wait(double seconds, std::string& input) {
  if (!taken_) return awaitForeground(seconds);
  const bool signalled =
      endSignal_ != 0 || gone_ || suspendPending_ || resumePending_ || resizePending_;
  pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {signalPipe[0], POLLIN, 0}};
  const int timeout = signalled || seconds <= 0.0
                          ? 0
                          : static_cast<int>(std::ceil(std::min(seconds, 3600.0) * 1000.0));
  const std::size_t had = input.size();
  if (::poll(fds, 2, timeout) > 0) {
    if (fds[1].revents & POLLIN) drainSignals();
    // After a continue the process may be in the background, where reading would stop it.
    if (!resumePending_ && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
      char buffer[4096];
      std::size_t taken = 0;
      while (taken < kMaxInputPerWait) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n > 0) {
          strings_.append(input, std::string_view(buffer, static_cast<std::size_t>(n)));
          taken += static_cast<std::size_t>(n);
          if (static_cast<std::size_t>(n) < sizeof buffer) break;
        } else {
          // Nothing read although poll said so: the terminal hung up.
          const bool failed = n < 0 && errno != EINTR && errno != EAGAIN;
          if (taken == 0 && (failed || (n == 0 && (fds[0].revents & POLLHUP)))) gone_ = true;
          break;
        }
      }
    }
  }
  if (endSignal_ != 0 || gone_) return Wake::kEnd;
  if (suspendPending_) return Wake::kSuspend;
  if (resumePending_) return retake();
  if (std::exchange(resizePending_, false)) return Wake::kResize;
  return input.size() > had ? Wake::kInput : Wake::kTimeout;
}

void dieOf(int signo) {
  if (signo != SIGQUIT) {
    handle(signo, SIG_DFL, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signo);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(signo);
  }
  ::_exit(128 + signo);
}

}  // namespace velmora::sim
