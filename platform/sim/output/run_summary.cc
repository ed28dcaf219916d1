#include "platform/sim/output/run_summary.h"

#include "clock/uptime.h"
#include "platform/sim/output/event_lines.h"
#include "platform/sim/output/visible_text.h"

namespace velmora::sim {

void RunSummary::onTitle(const std::vector<TitleRun>& runs) {
  ++titles_;
  lastTitle_.clear();
  for (const TitleRun& r : runs) lastTitle_ += r.text;
}

void RunSummary::onExit(const std::string& reason) {
  gaveWay_ = reason == kGaveWay;
}

std::vector<std::string> RunSummary::lines(double seconds,
                                           const std::optional<std::string>& stateDir) const {
  const int64_t n = refreshes();
  std::string out = "velmora-sim ran " + fmtUptime(0.0, seconds) + ": " + std::to_string(n) +
                    (n == 1 ? " refresh" : " refreshes");
  if (titles_ > 0) out += ", last title \"" + lastTitle_ + "\"";
  if (gaveWay_) out += std::string("; ") + kGaveWayWords;
  return {visibleText(out), visibleText(stateDir ? "state files: " + *stateDir
                                                 : "state files: none, the folder is gone")};
}

}  // namespace velmora::sim
