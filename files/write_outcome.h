// What became of something that writes: done, or why not. The one way the core's file
// operations and ports say why they failed; where a failure is dropped by contract they return
// nothing at all.
#pragma once

namespace velmora {

struct [[nodiscard]] WriteOutcome {
  int error = 0;  // 0 when done; else the C library's error number (ENOSPC, EROFS, ...)
  explicit operator bool() const { return error == 0; }
};

}  // namespace velmora
