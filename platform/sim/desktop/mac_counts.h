// What the simulated Mac counted of the tracker's work: the platform calls that cost a Mac time
// or energy, and how long the main thread was busy. The hour table reads them; they only grow.
#pragma once

#include <cstdint>

namespace velmora::sim {

struct MacCounts {
  int64_t axRoundTrips = 0;   // Accessibility reads answered or timed out (one per call)
  int64_t appleEvents = 0;    // scripts run against "System Events" (listing, raise)
  int64_t compiles = 0;       // script sources compiled
  int64_t titleWrites = 0;    // the status item's title written
  int64_t menuBuilds = 0;     // the status item's menu replaced
  int64_t timerFirings = 0;   // repeating timers and delayed tasks that woke the main thread
  double busy = 0.0;          // seconds the main thread spent waiting on platform calls
  double longestBlock = 0.0;  // the longest one task held the main thread, in seconds

  friend MacCounts operator-(MacCounts a, const MacCounts& b) {
    a.axRoundTrips -= b.axRoundTrips;
    a.appleEvents -= b.appleEvents;
    a.compiles -= b.compiles;
    a.titleWrites -= b.titleWrites;
    a.menuBuilds -= b.menuBuilds;
    a.timerFirings -= b.timerFirings;
    a.busy -= b.busy;
    return a;  // the longest block is the caller's to reset
  }
};

}  // namespace velmora::sim
