#include "platform/sim/scenario/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "clock/unique_fd.h"

namespace velmora::sim {
namespace {

std::string sizeText(std::size_t bytes) {
  if (bytes % (std::size_t{1} << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  return std::to_string(bytes) + " bytes";
}

InputFileError tooLarge(std::size_t limit) {
  return {"larger than " + sizeText(limit)};
}

const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "is a directory";
  if (S_ISFIFO(mode)) return "is a FIFO, not a regular file";
  if (S_ISSOCK(mode)) return "is a socket, not a regular file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a regular file";
  return "is not a regular file";
}

// Reads at most `limit` + 1 bytes, so that a file growing past the limit is caught too. A file
// of the size it is expected to have is read into its exact room: a long scenario is large.
InputFileResult readCapped(int fd, std::size_t limit, std::size_t expected = 0) {
  std::string content;
  content.reserve(expected);
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return InputFileError{std::strerror(errno)};
    if (n == 0) return content;
    if (content.size() + static_cast<std::size_t>(n) > limit) return tooLarge(limit);
    content.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace

InputFileResult readInputFile(const std::string& path, std::size_t limit) {
  if (path == "-") return readCapped(STDIN_FILENO, limit);
  // O_NONBLOCK: opening a FIFO without a writer must not hang; it is refused below anyway.
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.valid()) return InputFileError{std::strerror(errno)};
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return InputFileError{std::strerror(errno)};
  if (!S_ISREG(info.st_mode)) return InputFileError{kindOf(info.st_mode)};
  if (static_cast<std::size_t>(info.st_size) > limit) return tooLarge(limit);
  return readCapped(fd.get(), limit, static_cast<std::size_t>(info.st_size));
}

}  // namespace velmora::sim
