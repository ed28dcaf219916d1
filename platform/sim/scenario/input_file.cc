#include "platform/sim/scenario/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "files/unique_fd.h"

namespace velmora::sim {
namespace {

std::string sizeText(std::size_t bytes) {
  if (bytes % (std::size_t{1} << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
  return std::to_string(bytes) + " bytes";
}

SimError tooLarge(std::size_t limit) {
  return {"", "larger than " + sizeText(limit)};
}

const char* kindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "is a directory";
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
    if (n < 0) return SimError{"", std::strerror(errno)};
    if (n == 0) return content;
    if (content.size() + static_cast<std::size_t>(n) > limit) return tooLarge(limit);
    content.append(buffer, static_cast<std::size_t>(n));
  }
}

InputFileResult readFile(const std::string& path, std::size_t limit) {
  if (path == "-") return readCapped(STDIN_FILENO, limit);
  // A FIFO is opened as standard input is given: waiting for its writer, which opening it
  // without waiting would miss (it reads as empty until the writer has it open). Anything else
  // is opened without waiting, so that a device is refused before it is waited on.
  struct stat named {};
  const bool fifo = ::stat(path.c_str(), &named) == 0 && S_ISFIFO(named.st_mode);
  const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | (fifo ? 0 : O_NONBLOCK)));
  if (!fd.valid()) return SimError{"", std::strerror(errno)};
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return SimError{"", std::strerror(errno)};
  if (S_ISFIFO(info.st_mode)) {
    // Reads block from here on; a pipe reopened through /dev/fd on macOS shares the flags of
    // the descriptor it comes from.
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags == -1 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) == -1) {
      return SimError{"", std::strerror(errno)};
    }
    return readCapped(fd.get(), limit);
  }
  if (!S_ISREG(info.st_mode)) return SimError{"", kindOf(info.st_mode)};
  if (static_cast<std::size_t>(info.st_size) > limit) return tooLarge(limit);
  return readCapped(fd.get(), limit, static_cast<std::size_t>(info.st_size));
}

}  // namespace

InputFileResult readInputFile(const std::string& path, std::size_t limit) {
  InputFileResult read = readFile(path, limit);
  if (auto* e = std::get_if<SimError>(&read)) e->where = path;
  return read;
}

}  // namespace velmora::sim
