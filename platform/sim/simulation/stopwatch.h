// Seconds since a run began, on the steady clock: the time of a simulation played on the wall
// clock.
#pragma once

#include <chrono>

namespace velmora::sim {

class Stopwatch {
 public:
  [[nodiscard]] double elapsed() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  }

 private:
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

}  // namespace velmora::sim
