// The simulated Finder: shows nothing and tells the observer which file it was asked to show.
#pragma once

#include <string>

#include "platform/sim/desktop/sim_observer.h"
#include "ui/file_revealer.h"

namespace velmora::sim {

class SimFileRevealer final : public FileRevealer {
 public:
  explicit SimFileRevealer(SimObserver& observer) : observer_(observer) {}
  void reveal(const std::string& path) override { observer_.onReveal(path); }

 private:
  SimObserver& observer_;
};

}  // namespace velmora::sim
