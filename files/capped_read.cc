#include "files/capped_read.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace velmora {

std::optional<std::string> readCapped(int fd, std::size_t limit) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  // Room for what the file holds now (a few bytes), not for the limit: some files are read at
  // every refresh. A file that grows meanwhile is read on, up to one byte past the limit.
  const auto size = static_cast<std::size_t>(std::max<off_t>(info.st_size, 0));
  std::string bytes(std::min(size, limit) + 1, '\0');
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) {
      if (bytes.size() > limit) break;
      bytes.resize(std::min(2 * bytes.size(), limit + 1));
    }
    ssize_t n = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  bytes.resize(filled);
  return bytes;
}

}  // namespace velmora
