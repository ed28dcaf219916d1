// Runs a program as the tests do: no shell, standard input from /dev/null, standard output and
// standard error captured, and a deadline of its own, so that a program that never ends fails
// its test instead of hanging the suite (and needs no `timeout`, which macOS does not ship).
#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace velmora::testing {

struct Program {
  // The program (looked up in PATH when it holds no slash) and its arguments.
  std::vector<std::string> args{};
  // Changes to this process's environment: "NAME=value" sets NAME, "NAME" alone removes it.
  std::vector<std::string> environment{};
  // Where standard output goes: a pipe read into ProgramRun::out, nothing (closed), or a file
  // opened for writing at `stdoutPath`.
  enum class Stdout { kCaptured, kClosed, kFile };
  Stdout stdoutTo = Stdout::kCaptured;
  std::string stdoutPath{};
  // After this long the program and its process group are killed with SIGKILL.
  std::chrono::milliseconds deadline{10000};
};

struct ProgramRun {
  int status = -1;  // the exit status; -1 when the program did not exit by itself
  int signal = 0;   // the signal that ended it, if one did
  std::string out;  // standard output, when captured
  std::string err;  // standard error
  // Empty when the program ended by itself; otherwise why not (it could not be started, or the
  // deadline passed and it was killed), naming the command.
  std::string failure;
};

// Runs `program` to its end or its deadline. Blocks the calling thread; never throws.
[[nodiscard]] ProgramRun runProgram(const Program& program);

}  // namespace velmora::testing
