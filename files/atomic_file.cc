#include "files/atomic_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "files/unique_fd.h"

namespace velmora {
namespace {

// "dir/.name.XXXXXX" beside `path`: same directory, so the rename stays on one file system.
std::string temporaryTemplate(const std::string& path) {
  std::string::size_type slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return dir + "." + name + ".XXXXXX";
}

Outcome writeAll(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return {errno};
    if (n == 0) return {EIO};  // no progress and no reason given
    content.remove_prefix(static_cast<std::size_t>(n));
  }
  return {};
}

Outcome fillTemporary(UniqueFd fd, std::string_view content, mode_t mode) {
  // mkstemp's mode is 0600 on every current libc; set the wanted one anyway, as fchmod ignores
  // the umask.
  if (::fchmod(fd.get(), mode) != 0) return {errno};
  if (const Outcome written = writeAll(fd.get(), content); !written) return written;
  return fd.close();  // a file system may report a full disk only here
}

// Fills a temporary file beside `path` and puts it in place with `place` (rename or link);
// the temporary file never stays.
Outcome writeThrough(const std::string& path, std::string_view content, mode_t mode,
                     int (*place)(const char*, const char*)) {
  if (path.empty()) return {ENOENT};
  if (path.back() == '/') return {EISDIR};
  std::string temporary = temporaryTemplate(path);
  UniqueFd fd(::mkstemp(temporary.data()));
  if (!fd.valid()) return {errno};
  ::fcntl(fd.get(), F_SETFD, FD_CLOEXEC);
  Outcome written = fillTemporary(std::move(fd), content, mode);
  if (written && place(temporary.c_str(), path.c_str()) != 0) written.error = errno;
  ::unlink(temporary.c_str());  // after a link, the file stays under `path`
  return written;
}

int placeByLink(const char* from, const char* to) {
  return ::link(from, to);
}

}  // namespace

Outcome writeFileAtomically(const std::string& path, std::string_view content, mode_t mode) {
  // rename() replaces a symbolic link at `path` rather than following it.
  return writeThrough(path, content, mode, ::rename);
}

Outcome writeNewFileAtomically(const std::string& path, std::string_view content, mode_t mode) {
  // link() fails on anything at `path`, a link included, and never follows one.
  return writeThrough(path, content, mode, placeByLink);
}

}  // namespace velmora
