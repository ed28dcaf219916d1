// One detection pass: is the client running, what do the Accessibility scan and the script
// listing see, and what do both make together. Writes the pass's whole report to debugLog.
#pragma once

#include <optional>

#include "clock/wall_clock.h"
#include "detect/accessibility.h"
#include "detect/ax_scan.h"
#include "detect/classify.h"
#include "detect/running_apps.h"
#include "detect/script_listing.h"
#include "detect/script_runner.h"
#include "detect/session_info.h"
#include "detect/tracker_state.h"

namespace velmora {

// The platform services one pass uses; held for the call only.
struct DetectionPorts {
  RunningApps& apps;
  Accessibility& ax;
  ScriptRunner& scripts;
  WallClock& clock;
};

// What one pass found, and whether it could look at all.
struct DetectionResult {
  SessionInfo info;
  // The client runs, but neither reading got at its windows: the Accessibility scan was refused
  // its window list with a non-zero code and the script listing failed. `info` then holds no
  // sessions because none could be seen, not because none are open.
  bool windowsUnreadable = false;
  // What the classification made of each window the Accessibility scan read, in the client's
  // window order; empty when it read none.
  std::vector<WindowVerdict> verdicts;
  // The client's first running instance as the pass looked it up (the one the scan reads);
  // none when the client does not run.
  std::optional<RunningInstance> firstInstance;

  friend bool operator==(const DetectionResult&, const DetectionResult&) = default;
};

// Replaces `state.debugLog` with this pass's report; the scan keeps `state.sessionNameCache`.
// Both scans run when a client instance runs, except that the listing is left out while the
// client does not answer (its reads time out; see `state.clientNotAnswering`), so that a hung
// client holds a pass for about one messaging time-out. Main thread only; never fails.
[[nodiscard]] DetectionResult detectSessions(TrackerState& state, const DetectionPorts& ports);

// The names of both scans together: `scanNames` (no two equivalent) unchanged, then each of
// `listingNames` not yet present. A placeholder name maps through `cache`, or gets
// " (Desktop)"; it is dropped when it is one of `idlePanels`, whose window the scan took for
// the idle connection panel. `listingNames` are the listing's names as detectViaAppleScript
// leaves them: none of them is an excluded title.
[[nodiscard]] std::vector<std::string> mergeNames(std::vector<std::string> scanNames,
                                                  const std::vector<std::string>& idlePanels,
                                                  const std::vector<std::string>& listingNames,
                                                  const SessionNameCache& cache);

}  // namespace velmora
