// The script listing: the client's window names as "System Events" knows them, trimmed and
// filtered, with the listing's section of the report.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "detect/script_runner.h"

namespace velmora {

struct ScriptListing {
  std::vector<std::string> names;  // filtered names in listing order, duplicates kept
  std::string debugInfo;           // "--- AS Detection ---" and what follows, whole lines
  bool failed = false;             // no script object, or the run reported an error
  bool timedOut = false;           // "System Events" got no answer in kListingTimeout
};

// How long the listing waits for "System Events" (and it for the client), in whole seconds:
// without it an Apple event waits 120 s.
inline constexpr int kListingTimeout = 1;

// The script that returns the names of every window of the process `appName`, each followed by
// a line feed, or nothing when there is no such process, inside "with timeout of
// kListingTimeout seconds". `appName` is inserted as it is, without escaping.
[[nodiscard]] std::string listingScript(std::string_view appName);

// Runs listingScript(kAppName) once. Never fails: a script that cannot be made or run gives
// empty names (and, for a failed run, an "  Error: " line).
[[nodiscard]] ScriptListing detectViaAppleScript(ScriptRunner& scripts);

// The listing of a pass that leaves it out because the client is not answering: failed, with
// the line that says so.
[[nodiscard]] ScriptListing listingNotRun();

}  // namespace velmora
