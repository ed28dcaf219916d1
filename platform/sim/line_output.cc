#include "platform/sim/line_output.h"

#include <cerrno>
#include <cstring>

namespace velmora::sim {

void LineOutput::writeLine(std::string_view line) {
  if (failed_) return;
  errno = 0;
  out_ << line << '\n';
  out_.flush();
  if (out_) return;
  failed_ = true;
  // The stream keeps no reason; the failed write(2) under it left one in errno.
  failure_ = errno != 0 ? std::strerror(errno) : "write error";
}

}  // namespace velmora::sim
