#include "app/session_clock.h"

#include "clock/state_dir.h"

namespace velmora {

SessionClock::SessionClock(const StatePaths& paths, TrackerObserver& observer)
    : paths_(paths), observer_(observer) {}

std::optional<double> SessionClock::move(bool running, std::optional<double> since, double moment) {
  const bool firstPass = !firstPassDone_;
  firstPassDone_ = true;
  if (!running) {
    if (wasActive || firstPass) remove();
    wasActive = false;
    return std::nullopt;
  }
  wasActive = true;
  if (since) return since;
  ensureStateDir(paths_);
  if (const Outcome written = writeStart(paths_, moment); !written) {
    observer_.stateFileNotWritten(StateFile::kSessionStart, written);
    return std::nullopt;
  }
  observer_.startFileChanged(moment);
  return moment;
}

void SessionClock::remove() {
  if (clearStart(paths_)) observer_.startFileChanged(std::nullopt);
}

}  // namespace velmora
