#include "platform/sim/output/line_output.h"

#include <cerrno>
#include <cstring>

namespace velmora::sim {
namespace {

// A batch that held one huge line keeps no more memory than this once written.
constexpr std::size_t kKeptCapacity = std::size_t{1} << 20;

}  // namespace

void LineOutput::writeLine(std::string_view line) {
  pending_ += line;
  endLine();
}

void LineOutput::endLine() {
  pending_ += '\n';
  if (pending_.size() >= batchBytes_) flush();
}

void LineOutput::flush() {
  if (!failed_ && !pending_.empty()) {
    errno = 0;
    out_.write(pending_.data(), static_cast<std::streamsize>(pending_.size()));
    out_.flush();
    if (!out_) {
      failed_ = true;
      // The stream keeps no reason; the failed write(2) under it left one in errno.
      failure_ = errno != 0 ? std::strerror(errno) : "write error";
    }
  }
  pending_.clear();
  if (pending_.capacity() > kKeptCapacity) pending_.shrink_to_fit();
}

}  // namespace velmora::sim
