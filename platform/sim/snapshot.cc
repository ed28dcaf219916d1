#include "platform/sim/snapshot.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "files/atomic_file.h"
#include "platform/sim/output/menu_picture.h"
#include "platform/sim/output/visible_text.h"
#include "platform/sim/simulation/simulation.h"
#include "text/decimal.h"

namespace velmora::sim {
namespace {

// How long before the moment the user opens the menu: its times tick once a second.
constexpr double kOpenedBefore = 1.0;

}  // namespace

void fixSnapshotStart(Scenario& scenario) {
  if (!scenario.start) scenario.start = kSnapshotStart;
}

int writeSnapshot(Run& run, const std::string& file, std::optional<double> at, std::ostream& err) {
  ObserverList observers;
  const std::unique_ptr<Simulation> sim = simulate(run, observers);
  const double moment = at.value_or(sim->until());
  if (moment > sim->until()) {
    err << "velmora-sim: --at " << text::shortestDecimal(moment) << " is past the scenario's end ("
        << text::shortestDecimal(sim->until()) << " s)\n";
    return 2;
  }
  sim->loop().runUntil(std::max(0.0, moment - kOpenedBefore));
  sim->setMenuOpen(true);
  sim->loop().runUntil(moment);
  const SimStatusBar& bar = sim->statusBar();
  const std::string svg =
      menuPictureSvg(bar.title(), sim->loop().terminated() ? std::vector<MenuEntry>{} : bar.menu());
  sim->finish();
  if (const Outcome written = writeFileAtomically(file, svg, 0644); !written) {
    err << "velmora-sim: " << visibleText(file)
        << ": cannot write the picture: " << std::strerror(written.error) << "\n";
    return 2;
  }
  return 0;
}

}  // namespace velmora::sim
