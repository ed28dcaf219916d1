// Standard output of the headless and plain modes, a line at a time. A write that fails (a
// closed pipe, a full disk, a closed descriptor) is kept with its reason, so that the program
// stops and says so instead of ending as if all was well.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace velmora::sim {

class LineOutput {
 public:
  // Lines are gathered until `batchBytes` are pending, then written and flushed at once; with 0
  // every line is written and flushed as it ends.
  explicit LineOutput(std::ostream& out, std::size_t batchBytes = 0)
      : out_(out), batchBytes_(batchBytes) {}

  // Writes `line` and a line feed; does nothing once a write has failed.
  void writeLine(std::string_view line);

  // Where the next line is built in place: append it (what the string holds already are lines
  // not written yet), then call endLine().
  [[nodiscard]] std::string& buffer() { return pending_; }
  // Ends the line appended to buffer() with a line feed; writes the batch when it is full.
  void endLine();
  // Writes and flushes every line gathered so far.
  void flush();

  [[nodiscard]] bool failed() const { return failed_; }
  // Why the first failed write failed ("No space left on device"); empty while none did.
  [[nodiscard]] const std::string& failure() const { return failure_; }

 private:
  std::ostream& out_;
  std::size_t batchBytes_;
  std::string pending_;  // lines not written yet
  bool failed_ = false;
  std::string failure_;
};

}  // namespace velmora::sim
