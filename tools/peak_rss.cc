// peak_rss: runs a command and writes its peak resident set size, in KiB, to a file.
//
//   peak_rss OUTFILE COMMAND [ARG...]
//
// The command inherits stdin, stdout and stderr; peak_rss exits with its status (128 + the
// signal number when it was killed). The figure is the kernel's ru_maxrss of the child, what
// GNU time's %M prints, without needing that package.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: peak_rss OUTFILE COMMAND [ARG...]\n");
    return 2;
  }
  const pid_t child = ::fork();
  if (child < 0) {
    std::perror("peak_rss: fork");
    return 2;
  }
  if (child == 0) {
    ::execvp(argv[2], argv + 2);
    std::fprintf(stderr, "peak_rss: %s: %s\n", argv[2], std::strerror(errno));
    _exit(127);
  }
  int status = 0;
  struct rusage usage;
  while (::wait4(child, &status, 0, &usage) < 0) {
    if (errno != EINTR) {
      std::perror("peak_rss: wait4");
      return 2;
    }
  }
#if defined(__APPLE__)
  const long peakKib = usage.ru_maxrss / 1024;  // bytes on macOS, KiB elsewhere
#else
  const long peakKib = usage.ru_maxrss;
#endif
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr || std::fprintf(out, "%ld\n", peakKib) < 0 || std::fclose(out) != 0) {
    std::fprintf(stderr, "peak_rss: cannot write %s\n", argv[1]);
    return 2;
  }
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}
