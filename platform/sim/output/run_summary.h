// What velmora-sim says when it ends: how long it ran, how many refreshes the tracker made, the
// last title or that another tracker runs, and where the state files were.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/desktop/sim_observer.h"

namespace velmora::sim {

class RunSummary final : public SimObserver {
 public:
  void onTitle(const std::vector<TitleRun>& runs) override;
  void onExit(const std::string& reason) override;

  // Refreshes so far: the launch draws the title once before its first refresh, and every
  // refresh draws it again.
  [[nodiscard]] int64_t refreshes() const { return titles_ > 0 ? titles_ - 1 : 0; }

  // Two lines of visible text: after `seconds` of the simulation, with the state files in
  // `stateDir` (nothing: the folder is gone, and not named).
  [[nodiscard]] std::vector<std::string> lines(double seconds,
                                               const std::optional<std::string>& stateDir) const;

 private:
  int64_t titles_ = 0;
  std::string lastTitle_;
  bool gaveWay_ = false;
};

}  // namespace velmora::sim
