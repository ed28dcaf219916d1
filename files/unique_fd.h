// Sole owner of one POSIX file descriptor: closes it when it goes out of scope.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

#include "files/outcome.h"

namespace velmora {

class UniqueFd {
 public:
  UniqueFd() = default;
  // Takes over `fd`; a negative value means no descriptor.
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(std::exchange(other.fd_, -1));
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  [[nodiscard]] int get() const { return fd_; }
  [[nodiscard]] bool valid() const { return fd_ >= 0; }

  // Closes the descriptor now; a written file whose close fails may not hold what was written.
  Outcome close() {
    if (fd_ < 0) return {EBADF};
    return {::close(std::exchange(fd_, -1)) == 0 ? 0 : errno};
  }

 private:
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

  int fd_ = -1;
};

}  // namespace velmora
