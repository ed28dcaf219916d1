#include "clock/state_dir.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

namespace velmora {

void ensurePrivateDir(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path dir(path);
  if (fs::exists(fs::symlink_status(dir, ec))) return;
  fs::path parent = dir.parent_path();
  if (!parent.empty()) fs::create_directories(parent, ec);
  if (::mkdir(dir.c_str(), S_IRWXU) != 0) return;
  // The umask can only have removed bits; this makes the mode exact without ever widening it.
  ::chmod(dir.c_str(), S_IRWXU);
}

void ensureStateDir(const StatePaths& paths) {
  ensurePrivateDir(paths.kStateDir);
}

}  // namespace velmora
