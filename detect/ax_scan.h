// The Accessibility window scan: reads every window of the first running client instance into
// a WinInfo record, classifies the records and writes the scan's section of the report.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "detect/accessibility.h"
#include "detect/classify.h"
#include "detect/running_apps.h"
#include "detect/tracker_state.h"

namespace velmora {

struct AxScan {
  std::vector<std::string> names;  // session names, no two equivalent entries
  int64_t unnamedCount = 0;        // untitled background sessions
  std::string debugInfo;           // "--- AX Detection ---" and what follows, whole lines
  // Placeholder names whose window this scan took for the idle connection panel.
  std::vector<std::string> idlePanels;
  // What the classification made of each window, in the window list's order; empty when the
  // list could not be read.
  std::vector<WindowVerdict> verdicts;
  // The window-list read failed with a non-zero code (a refusal such as -25211). A read that
  // succeeds with no value or a value of another type does not count.
  bool windowListRefused = false;
  // A read ended with kAxCannotComplete: the client did not answer in time. The reads after it
  // were not made.
  bool notAnswering = false;
  // The client gave its window list: it answered this pass.
  bool answered = false;
};

// Never fails: with no client running, or a window list that cannot be read, the result is
// empty and `debugInfo` says why; `cache` is then left alone. Otherwise the classification
// fills or empties `cache`. Every element read is released before the call returns. Each
// element read gets kAxMessagingTimeout first, so a client that does not answer holds the
// scan for about that long once.
[[nodiscard]] AxScan detectViaAccessibility(RunningApps& apps, Accessibility& ax,
                                            SessionNameCache& cache);

// A window dimension as the scan's window lines show it: the value truncated toward zero;
// "nan", "inf" or "-inf" for values that are not finite.
[[nodiscard]] std::string truncatedPoints(double points);

}  // namespace velmora
