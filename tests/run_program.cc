#include "tests/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <thread>

#include "files/unique_fd.h"
#include "text/control_escape.h"

extern char** environ;

namespace velmora::testing {
namespace {

using Clock = std::chrono::steady_clock;

// A pipe whose ends are closed on exec: the child gets its end through dup2, which clears the
// flag on the copy, and keeps no other.
struct Pipe {
  UniqueFd read;
  UniqueFd write;
};

std::optional<Pipe> makePipe() {
  int ends[2];
  if (::pipe(ends) != 0) return std::nullopt;
  Pipe pipe{UniqueFd(ends[0]), UniqueFd(ends[1])};
  for (const int fd : ends) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  return pipe;
}

// This process's environment with `changes` applied ("NAME=value" sets, "NAME" removes).
std::vector<std::string> environmentWith(const std::vector<std::string>& changes) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
  for (const std::string& change : changes) {
    const std::size_t equals = change.find('=');
    const std::string prefix = change.substr(0, equals) + "=";
    std::erase_if(env, [&prefix](const std::string& e) { return e.starts_with(prefix); });
    if (equals != std::string::npos) env.push_back(change);
  }
  return env;
}

// The C view of `strings` for exec: pointers into them, then a null pointer.
std::vector<char*> cArray(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

// Starts the program in a process group of its own, its output going to the write ends of
// `out` (when captured) and `err`. Returns 0 or the error number of the failure.
int spawn(const Program& program, const Pipe& out, const Pipe& err, pid_t& pid) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawnattr_init(&attributes);
  ::posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (program.stdoutTo == Program::Stdout::kCaptured) {
    ::posix_spawn_file_actions_adddup2(&actions, out.write.get(), STDOUT_FILENO);
  } else if (program.stdoutTo == Program::Stdout::kClosed) {
    ::posix_spawn_file_actions_addclose(&actions, STDOUT_FILENO);
  } else {
    ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, program.stdoutPath.c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  ::posix_spawn_file_actions_adddup2(&actions, err.write.get(), STDERR_FILENO);
  // Its own group, so that the deadline also ends whatever it started; no signal blocked, and
  // SIGPIPE as programs expect it, whatever this process does with them.
  sigset_t none;
  sigset_t brokenPipe;
  sigemptyset(&none);
  sigemptyset(&brokenPipe);
  sigaddset(&brokenPipe, SIGPIPE);
  ::posix_spawnattr_setflags(
      &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  ::posix_spawnattr_setpgroup(&attributes, 0);
  ::posix_spawnattr_setsigmask(&attributes, &none);
  ::posix_spawnattr_setsigdefault(&attributes, &brokenPipe);

  std::vector<std::string> args = program.args;
  std::vector<std::string> env = environmentWith(program.environment);
  const std::vector<char*> argv = cArray(args);
  const std::vector<char*> envp = cArray(env);
  const int error = ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
  ::posix_spawn_file_actions_destroy(&actions);
  ::posix_spawnattr_destroy(&attributes);
  return error;
}

// Reads the open ones of `fds` into `texts` until all are closed. False when the deadline
// passes first.
bool readUntilClosed(UniqueFd* fds[2], std::string* texts[2], Clock::time_point deadline) {
  char buffer[65536];
  while (fds[0]->valid() || fds[1]->valid()) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return false;
    pollfd polled[2] = {{fds[0]->get(), POLLIN, 0}, {fds[1]->get(), POLLIN, 0}};  // -1: skipped
    const int ready = ::poll(polled, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno != EINTR) return false;
    for (int i = 0; i < 2 && ready > 0; ++i) {
      if (polled[i].revents == 0) continue;
      const ssize_t n = ::read(fds[i]->get(), buffer, sizeof buffer);
      if (n > 0) texts[i]->append(buffer, static_cast<std::size_t>(n));
      if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) (void)fds[i]->close();
    }
  }
  return true;
}

// The wait status of `pid` once it has ended, or nothing when the deadline passes first.
std::optional<int> waitUntil(pid_t pid, Clock::time_point deadline) {
  for (;;) {
    int status = 0;
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid) return status;
    if (ended < 0 && errno != EINTR) return std::nullopt;
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

// The command as a shell would read it, for messages: every argument single-quoted where needed,
// controls shown visibly (never raw to a terminal).
std::string commandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty()) line += ' ';
    const bool plain = !arg.empty() && arg.find_first_not_of(
                                           "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                           "0123456789_-./=:,+@%") == std::string::npos;
    if (!plain) line += '\'';
    for (const char c : arg) {
      if (c == '\'') {
        line += "'\\''";
      } else if (text::isC0ControlOrDelete(c)) {
        text::appendControlEscape(static_cast<unsigned char>(c), line);
      } else {
        line += c;
      }
    }
    if (!plain) line += '\'';
  }
  return line;
}

}  // namespace

ProgramRun runProgram(const Program& program) {
  ProgramRun run;
  std::optional<Pipe> out = makePipe();
  std::optional<Pipe> err = makePipe();
  pid_t pid = 0;
  const int error = !out || !err || program.args.empty() ? EINVAL : spawn(program, *out, *err, pid);
  if (error != 0) {
    run.failure = "cannot start " + commandLine(program.args) + ": " + std::strerror(error);
    return run;
  }
  const Clock::time_point deadline = Clock::now() + program.deadline;
  (void)out->write.close();
  (void)err->write.close();
  if (program.stdoutTo != Program::Stdout::kCaptured) (void)out->read.close();
  UniqueFd* fds[2] = {&out->read, &err->read};
  std::string* texts[2] = {&run.out, &run.err};
  std::optional<int> status;
  if (readUntilClosed(fds, texts, deadline)) status = waitUntil(pid, deadline);
  if (!status) {
    ::kill(-pid, SIGKILL);
    (void)waitUntil(pid, Clock::time_point::max());
    run.failure = commandLine(program.args) + " did not end within " +
                  std::to_string(program.deadline.count()) + " ms; killed it and its process group";
    return run;
  }
  if (WIFEXITED(*status)) run.status = WEXITSTATUS(*status);
  if (WIFSIGNALED(*status)) run.signal = WTERMSIG(*status);
  return run;
}

}  // namespace velmora::testing
