#include "platform/sim/terminal/terminal_type.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace velmora::sim {
namespace {

constexpr const char* kSystemDirectories[] = {
    "/etc/terminfo",
    "/lib/terminfo",
    "/usr/share/terminfo",
    "/usr/lib/terminfo",
    "/usr/local/share/terminfo",
    "/opt/homebrew/share/terminfo",
};

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? "" : value;
}

void addSystemDirectories(std::vector<std::string>& out) {
  for (const char* d : kSystemDirectories) out.emplace_back(d);
}

bool isRegularFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::vector<std::string> terminfoDirectories() {
  std::vector<std::string> out;
  if (const std::string own = environment("TERMINFO"); !own.empty()) out.push_back(own);
  if (const std::string home = environment("HOME"); !home.empty())
    out.push_back(home + "/.terminfo");
  const std::string list = environment("TERMINFO_DIRS");
  bool systemAdded = false;
  for (std::size_t start = 0; !list.empty() && start <= list.size();) {
    const std::size_t end = std::min(list.find(':', start), list.size());
    if (end == start) {
      addSystemDirectories(out);
      systemAdded = true;
    } else {
      out.push_back(list.substr(start, end - start));
    }
    start = end + 1;
  }
  if (!systemAdded) addSystemDirectories(out);
  return out;
}

bool knowsTerminal(std::string_view term, const std::vector<std::string>& directories) {
  // The name becomes part of a path: nothing that could leave the directory.
  if (term.empty() || term == "dumb" || term == "." || term == ".." ||
      term.find('/') != std::string_view::npos || term.find('\0') != std::string_view::npos) {
    return false;
  }
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(term[0]));
  const std::string name(term);
  const std::string byLetter = "/" + name.substr(0, 1) + "/" + name;
  const std::string byHex = std::string("/") + hex + "/" + name;
  for (const std::string& d : directories) {
    if (isRegularFile(d + byLetter) || isRegularFile(d + byHex)) {
      return true;
    }
  }
  return false;
}

}  // namespace velmora::sim
