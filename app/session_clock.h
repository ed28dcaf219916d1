// The session clock's file as the passes move it: the client found running with no readable
// start stores the moment; the client found stopped after this process saw it run removes it,
// as does the first pass that finds it stopped (a file left by an earlier run can never be the
// start of a run this process sees later). Main thread only.
#pragma once

#include <optional>

#include "app/tracker_observer.h"
#include "clock/start_file.h"

namespace velmora {

class SessionClock {
 public:
  // Both outlive the clock.
  SessionClock(const StatePaths& paths, TrackerObserver& observer);

  // After a pass that looked at `moment` and found the client `running` or not, with `since`
  // the start file's moment as that pass read it; `moment` is the start it stores. Returns the
  // client's start as the file now holds it (what the menu shows as uptime): `since`, or the
  // moment just written; nothing while the client is stopped or the write failed, which is told
  // to the observer and retried by the next pass.
  std::optional<double> move(bool running, std::optional<double> since, double moment);
  // Removes the start file (the tracker quits).
  void remove();

 private:
  const StatePaths& paths_;
  TrackerObserver& observer_;
  // A pass has found the client running since it was last found stopped.
  bool wasActive = false;
  bool firstPassDone_ = false;
};

}  // namespace velmora
