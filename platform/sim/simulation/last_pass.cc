#include "platform/sim/simulation/last_pass.h"

#include <utility>

namespace velmora::sim {

void LastPass::record(std::shared_ptr<const SimClientState> client,
                      const std::vector<WindowVerdict>& verdicts) {
  client_ = std::move(client);
  verdicts_ = verdicts;  // in the capacity of the last pass's, as a rule
  ++recorded_;
}

std::vector<SeenWindow> LastPass::seen(const std::vector<SimWindow>& windows) const {
  std::vector<SeenWindow> seen(windows.size());
  if (!client_) return seen;
  const std::vector<SimWindow>& read = client_->ax.windows;
  for (std::size_t i = 0; i < windows.size() && i < read.size(); ++i) {
    if (!(read[i] == windows[i])) continue;
    if (i < verdicts_.size()) {
      seen[i] = {SeenWindow::Kind::kVerdict, verdicts_[i]};
    } else {
      seen[i].kind = SeenWindow::Kind::kNotRead;
    }
  }
  return seen;
}

}  // namespace velmora::sim
