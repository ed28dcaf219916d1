#include "app/session_clock.h"

#include "clock/state_dir.h"

namespace velmora {

SessionClock::SessionClock(const StatePaths& paths, WallClock& clock, TrackerObserver& observer)
    : paths_(paths), clock_(clock), observer_(observer) {}

void SessionClock::move(bool running, std::optional<double> since) {
  const bool firstPass = !firstPassDone_;
  firstPassDone_ = true;
  if (running) {
    if (!since) {
      const double now = clock_.now();
      ensureStateDir(paths_);
      if (const Outcome written = writeStart(paths_, now); !written) {
        observer_.stateFileNotWritten(StateFile::kSessionStart, written);
      } else {
        observer_.startFileChanged(now);
      }
    }
    wasActive = true;
  } else if (wasActive || firstPass) {
    remove();
    wasActive = false;
  }
}

void SessionClock::remove() {
  if (clearStart(paths_)) observer_.startFileChanged(std::nullopt);
}

}  // namespace velmora
