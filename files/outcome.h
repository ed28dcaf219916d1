// What became of a call to the system that can fail: done, or the C library's error number
// saying why not. The one way the core's file operations and ports report a failure; where a
// failure is dropped by contract they return nothing at all.
#pragma once

namespace velmora {

struct [[nodiscard]] Outcome {
  int error = 0;  // 0 when done; else the C library's error number (ENOSPC, EROFS, ...)
  explicit operator bool() const { return error == 0; }
};

}  // namespace velmora
