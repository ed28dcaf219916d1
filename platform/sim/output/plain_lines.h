// velmora-sim without a terminal: one plain line per refresh with the status title's text and
// the session names the pass found, and one per event (event_lines.h), each stamped with the
// simulation time. Every line is visible text (controls as \u{XX}), since the output may well
// be a terminal after all.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/sim/desktop/sim_event_loop.h"
#include "platform/sim/desktop/sim_observer.h"
#include "platform/sim/output/line_output.h"

namespace velmora::sim {

class PlainLinesWriter final : public SimObserver {
 public:
  // Lines are stamped with the time of `loop`, the simulation's; `loop` outlives the writer.
  PlainLinesWriter(std::ostream& out, const SimEventLoop& loop) : out_(out), loop_(loop) {}
  void onPass(const DetectionResult& pass) override;
  void onTitle(const std::vector<TitleRun>& runs) override;

  // One line for an event, stamped like the title lines.
  void event(const std::string& text);
  // One line as it is (the summary).
  void line(const std::string& text) { out_.writeLine(text); }

  // Whether a line could not be written, and why.
  [[nodiscard]] const LineOutput& output() const { return out_; }

 private:
  [[nodiscard]] std::string stamp() const;

  LineOutput out_;
  const SimEventLoop& loop_;
  SessionInfo lastPass_;  // the launch draws its title before any pass
};

}  // namespace velmora::sim
