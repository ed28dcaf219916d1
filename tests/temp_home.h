// A temporary home directory on the real file system for one test, removed with everything in
// it when the test ends, and small helpers to plant and inspect files there.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/config.h"

namespace velmora::testing {

class TempHome {
 public:
  TempHome() {
    std::string pattern = "/tmp/velmora-test-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempHome() {
    std::error_code ec;
    // A test may have left a directory without write permission behind.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempHome(const TempHome&) = delete;
  TempHome& operator=(const TempHome&) = delete;

  [[nodiscard]] bool valid() const { return !path_.empty(); }
  [[nodiscard]] const std::string& path() const { return path_; }
  [[nodiscard]] StatePaths paths() const { return StatePaths::forHome(path_); }

 private:
  std::string path_;
};

// The whole content of the file at `path`, or nothing when it cannot be opened.
inline std::optional<std::string> contentOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes `content` in place (not atomically): for planting files a test starts from.
inline bool plant(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
  return static_cast<bool>(out);
}

// The permission bits of whatever is at `path` (the link itself for a link), or -1.
inline int modeOf(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return -1;
  return static_cast<int>(info.st_mode & 07777);
}

// The names in directory `dir`, sorted.
inline std::vector<std::string> namesIn(const std::string& dir) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace velmora::testing
