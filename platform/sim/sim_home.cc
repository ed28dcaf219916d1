#include "platform/sim/sim_home.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace velmora::sim {

std::optional<std::string> defaultSimHome(std::string_view xdgStateHome, std::string_view home) {
  if (!xdgStateHome.empty() && xdgStateHome.front() == '/') {
    return std::string(xdgStateHome) + "/velmora-sim";
  }
  if (home.empty()) return std::nullopt;
  return std::string(home) + "/.local/state/velmora-sim";
}

HomeResult makePrivateDirectories(const std::string& path) {
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string part = path.substr(0, end);
    if (!part.empty() && part.back() != '/' && ::mkdir(part.c_str(), 0700) != 0 &&
        errno != EEXIST) {
      return HomeError{part + ": " + std::strerror(errno)};
    }
    if (end == std::string::npos) break;
  }
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return HomeError{path + ": " + std::strerror(errno)};
  if (!S_ISDIR(info.st_mode)) return HomeError{path + ": not a directory"};
  return path;
}

}  // namespace velmora::sim
