// Standard output of the headless and plain modes, a line at a time. A write that fails (a
// closed pipe, a full disk, a closed descriptor) is kept with its reason, so that the program
// stops and says so instead of ending as if all was well.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace velmora::sim {

class LineOutput {
 public:
  explicit LineOutput(std::ostream& out) : out_(out) {}

  // Writes `line` and a line feed, and flushes; does nothing once a write has failed.
  void writeLine(std::string_view line);

  [[nodiscard]] bool failed() const { return failed_; }
  // Why the first failed write failed ("No space left on device"); empty while none did.
  [[nodiscard]] const std::string& failure() const { return failure_; }

 private:
  std::ostream& out_;
  bool failed_ = false;
  std::string failure_;
};

}  // namespace velmora::sim
