// velmora-sim without a terminal: one plain line per status-title update, the title's text
// shown visibly (controls as \u{XX}), since the output may well be a terminal after all.
#pragma once

#include <functional>
#include <ostream>

#include "platform/sim/line_output.h"
#include "platform/sim/sim_observer.h"

namespace velmora::sim {

class PlainLinesWriter final : public SimObserver {
 public:
  PlainLinesWriter(std::ostream& out, std::function<double()> now)
      : out_(out), now_(std::move(now)) {}
  void onTitle(const std::vector<TitleRun>& runs) override;

  // Whether a line could not be written, and why.
  [[nodiscard]] const LineOutput& output() const { return out_; }

 private:
  LineOutput out_;
  std::function<double()> now_;
};

}  // namespace velmora::sim
