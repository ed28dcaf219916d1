// The result of one detection pass.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora {

struct SessionInfo {
  int64_t count = 0;               // names plus unnamed background sessions; 0 when not running
  std::vector<std::string> names;  // no two equivalent entries
  bool running = false;            // at least one client instance runs

  friend bool operator==(const SessionInfo&, const SessionInfo&) = default;
};

}  // namespace velmora
