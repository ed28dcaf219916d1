#include "app/session_clock.h"

#include "clock/state_dir.h"

namespace velmora {

SessionClock::SessionClock(const StatePaths& paths, TrackerObserver& observer)
    : paths_(paths), observer_(observer) {}

void SessionClock::move(bool running, std::optional<double> since, double moment) {
  const bool firstPass = !firstPassDone_;
  firstPassDone_ = true;
  if (running) {
    if (!since) {
      ensureStateDir(paths_);
      if (const Outcome written = writeStart(paths_, moment); !written) {
        observer_.stateFileNotWritten(StateFile::kSessionStart, written);
      } else {
        observer_.startFileChanged(moment);
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
