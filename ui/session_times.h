// What the menu shows of the sessions' times: since when each listed session has been listed,
// and the sessions that ended. Plain values; the tracker's memory of its sessions
// (app/session_memory.h) decides them.
#pragma once

#include <string>

namespace velmora {

// A listed session's first listing. `atLeast`: it was already there when the tracker started
// watching, so `since` (the launch) is later than its real start and the time is a lower bound.
struct SessionTime {
  double since = 0.0;
  bool atLeast = false;

  friend bool operator==(const SessionTime&, const SessionTime&) = default;
};

// A session that ended: listed from `first` to `end` (both seconds since 1970).
struct EndedSession {
  std::string name;
  double first = 0.0;
  double end = 0.0;
  bool atLeast = false;

  friend bool operator==(const EndedSession&, const EndedSession&) = default;
};

}  // namespace velmora
