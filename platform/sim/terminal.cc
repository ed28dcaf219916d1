#include "platform/sim/terminal.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace velmora::sim {
namespace {

// Written by the signal handler: one byte per signal, read by wait().
int signalPipe[2] = {-1, -1};

void onSignal(int signo) {
  const int saved = errno;
  const auto byte = static_cast<char>(signo);
  (void)!::write(signalPipe[1], &byte, 1);
  errno = saved;
}

constexpr const char* kEnterScreen = "\x1b[?1049h\x1b[?25l\x1b[2J";
constexpr const char* kLeaveScreen = "\x1b[0m\x1b[?25h\x1b[?1049l";

}  // namespace

struct RawTerminal::Saved {
  termios mode{};
  struct sigaction interrupt {};
  struct sigaction terminate {};
  struct sigaction hangup {};
  struct sigaction resize {};
};

std::unique_ptr<RawTerminal> RawTerminal::open() {
  if (!::isatty(STDIN_FILENO) || !::isatty(STDOUT_FILENO)) return nullptr;
  std::unique_ptr<RawTerminal> t(new RawTerminal);
  if (!t->enter()) return nullptr;
  return t;
}

bool RawTerminal::enter() {
  auto saved = std::make_unique<Saved>();
  if (::tcgetattr(STDIN_FILENO, &saved->mode) != 0) return false;
  if (signalPipe[0] < 0 && ::pipe(signalPipe) != 0) return false;
  for (int fd : signalPipe) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);

  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, &saved->interrupt);
  ::sigaction(SIGTERM, &action, &saved->terminate);
  ::sigaction(SIGHUP, &action, &saved->hangup);
  ::sigaction(SIGWINCH, &action, &saved->resize);

  termios raw = saved->mode;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | IEXTEN);  // ISIG stays: Ctrl-C signals
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  saved_ = std::move(saved);
  if (::tcsetattr(STDIN_FILENO, TCSAFLUSH, &raw) != 0) {
    restore();
    return false;
  }
  write(kEnterScreen);
  return true;
}

void RawTerminal::restore() {
  if (!saved_) return;
  write(kLeaveScreen);
  ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_->mode);
  ::sigaction(SIGINT, &saved_->interrupt, nullptr);
  ::sigaction(SIGTERM, &saved_->terminate, nullptr);
  ::sigaction(SIGHUP, &saved_->hangup, nullptr);
  ::sigaction(SIGWINCH, &saved_->resize, nullptr);
  saved_.reset();
}

RawTerminal::~RawTerminal() {
  restore();
}

RawTerminal::Size RawTerminal::size() const {
  winsize ws{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) != 0 || ws.ws_col == 0) return {};
  return {ws.ws_col, ws.ws_row};
}

void RawTerminal::write(std::string_view bytes) const {
  while (!bytes.empty()) {
    const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

RawTerminal::Wake RawTerminal::wait(double seconds, std::string& input) {
  pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {signalPipe[0], POLLIN, 0}};
  const int timeout =
      seconds <= 0.0 ? 0 : static_cast<int>(std::ceil(std::min(seconds, 3600.0) * 1000.0));
  const int ready = ::poll(fds, 2, timeout);
  if (ready <= 0) return Wake::kTimeout;
  Wake wake = Wake::kTimeout;
  if (fds[1].revents & POLLIN) {
    char signo = 0;
    while (::read(signalPipe[0], &signo, 1) == 1) {
      wake = (signo == SIGWINCH && wake != Wake::kStop) ? Wake::kResize : Wake::kStop;
    }
    if (wake == Wake::kStop) return wake;
  }
  if (fds[0].revents & (POLLIN | POLLHUP)) {
    char buffer[256];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n > 0) {
      input.append(buffer, static_cast<std::size_t>(n));
      if (wake == Wake::kTimeout) wake = Wake::kInput;
    } else if (n == 0 && (fds[0].revents & POLLHUP)) {
      return Wake::kStop;  // the terminal went away
    }
  }
  return wake;
}

}  // namespace velmora::sim
