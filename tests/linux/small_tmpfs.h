// A small tmpfs mounted over a test's directory, in a mount namespace of the test process only,
// so that the host never sees it: a full or read-only file system on demand. Needs the right
// to mount (root in most containers); a test skips when it is missing.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace velmora::testing {

class SmallTmpfs {
 public:
  // `size` (64 KiB unless given) at `at`, mode 0700.
  explicit SmallTmpfs(const std::string& at, const std::string& size = "64k")
      : options_("size=" + size + ",mode=0700") {
    // A private / first: the mount never propagates back to the namespace this process left.
    if (::unshare(CLONE_NEWNS) != 0) {
      error_ = "unshare(CLONE_NEWNS)";
    } else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      error_ = "making / private";
    } else if (::mount("tmpfs", at.c_str(), "tmpfs", 0, options_.c_str()) != 0) {
      error_ = "mount -t tmpfs -o " + options_;
    } else {
      at_ = at;
    }
    if (!error_.empty()) error_ += std::string(": ") + std::strerror(errno);
  }
  ~SmallTmpfs() {
    if (!at_.empty()) ::umount2(at_.c_str(), MNT_DETACH);
  }
  SmallTmpfs(const SmallTmpfs&) = delete;
  SmallTmpfs& operator=(const SmallTmpfs&) = delete;

  [[nodiscard]] bool mounted() const { return !at_.empty(); }
  [[nodiscard]] const std::string& error() const { return error_; }

  // Makes the file system read-only (true) or writable again (false).
  [[nodiscard]] bool setReadOnly(bool readOnly) const {
    const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
    return ::mount(nullptr, at_.c_str(), nullptr, flags, options_.c_str()) == 0;
  }

 private:
  std::string options_;
  std::string at_;
  std::string error_;
};

// Fills the file system of `path` by writing zeros to it until no byte more fits.
inline bool fillUp(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const std::string block(4096, '\0');
  // Blocks while one fits, then the last few bytes one at a time.
  while (::write(fd, block.data(), block.size()) > 0 || ::write(fd, "", 1) == 1) {
  }
  const bool noSpace = errno == ENOSPC;
  ::close(fd);
  return noSpace;
}

}  // namespace velmora::testing
