// What the tracker's last detection pass made of the simulated client's windows: the client as
// that pass read it (shared with the desktop, not copied) and its verdict for each window,
// joined with the windows the client has now for the screen's client panel.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "detect/classify.h"
#include "platform/sim/desktop/sim_client.h"

namespace velmora::sim {

// What the last pass made of one window the client has now.
struct SeenWindow {
  enum class Kind {
    kVerdict,  // that pass read this very window here and gave `verdict`
    kNotSeen,  // the window is new or changed since that pass
    kNotRead,  // that pass could not read the window list
  };
  Kind kind = Kind::kNotSeen;
  WindowVerdict verdict = WindowVerdict::kPassedOver;
};

class LastPass {
 public:
  // A pass read `client` and gave `verdicts`, one per window, or none when it read no windows.
  void record(std::shared_ptr<const SimClientState> client,
              const std::vector<WindowVerdict>& verdicts);

  // What the last pass made of each of `windows` (the client's now), in their order. A verdict
  // belongs to the window as that pass read it: only an unchanged window at the same place
  // keeps it. Before any pass, every window is kNotSeen.
  [[nodiscard]] std::vector<SeenWindow> seen(const std::vector<SimWindow>& windows) const;

  // How many passes were recorded: what seen() answers changes only with it and the windows.
  [[nodiscard]] uint64_t recorded() const { return recorded_; }

 private:
  std::shared_ptr<const SimClientState> client_;
  std::vector<WindowVerdict> verdicts_;
  uint64_t recorded_ = 0;
};

}  // namespace velmora::sim
