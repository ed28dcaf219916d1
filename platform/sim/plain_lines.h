// velmora-sim without a terminal: one plain line per status-title update.
#pragma once

#include <functional>
#include <ostream>

#include "platform/sim/sim_observer.h"

namespace velmora::sim {

class PlainLinesWriter final : public SimObserver {
 public:
  PlainLinesWriter(std::ostream& out, std::function<double()> now)
      : out_(out), now_(std::move(now)) {}
  void onTitle(const std::vector<TitleRun>& runs) override;

 private:
  std::ostream& out_;
  std::function<double()> now_;
};

}  // namespace velmora::sim
