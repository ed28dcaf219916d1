// The process-lifetime state shared by the detection passes: the placeholder-name cache and
// the latest detection report. One object lives as long as the tracker; tests make fresh ones.
#pragma once

#include <map>
#include <string>

namespace velmora {

// Placeholder title ("Devices", "RemoteApps") -> the session title remembered for it. Either
// empty or one entry per placeholder, all with the same title. Ordered, so the report lists the
// entries in a stable order.
using SessionNameCache = std::map<std::string, std::string>;

struct TrackerState {
  SessionNameCache sessionNameCache;
  std::string debugLog;
  // The last pass found the client not answering (a read or the listing timed out): the next
  // pass runs the listing only once Accessibility shows the client answering again.
  bool clientNotAnswering = false;
};

}  // namespace velmora
