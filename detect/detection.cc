#include "detect/detection.h"

#include <algorithm>
#include <utility>

#include "app/config.h"
#include "detect/classify.h"
#include "detect/name_list.h"
#include "detect/report_rendering.h"
#include "detect/utc_timestamp.h"

namespace velmora {
namespace {

bool seenAsIdlePanel(const AxScan& scan, std::string_view placeholder) {
  return std::find(scan.idlePanels.begin(), scan.idlePanels.end(), placeholder) !=
         scan.idlePanels.end();
}

std::string desktopName(std::string_view placeholder, std::string_view entry,
                        const SessionNameCache& cache) {
  const auto it = cache.find(std::string(placeholder));
  if (it != cache.end()) return it->second;
  return std::string(entry) + std::string(kDesktopSuffix);
}

}  // namespace

std::vector<std::string> mergeNames(const AxScan& scan, const ScriptListing& listing,
                                    const SessionNameCache& cache) {
  NameList names(scan.names);
  for (const std::string& entry : listing.names) {
    if (const auto placeholder = placeholderName(entry)) {
      // The panel the scan just skipped would otherwise come back as a desktop.
      if (seenAsIdlePanel(scan, *placeholder)) continue;
      names.add(desktopName(*placeholder, entry, cache));
    } else if (!isExcludedTitle(entry)) {
      names.add(entry);
    }
  }
  return names.release();
}

DetectionResult detectSessions(TrackerState& state, const DetectionPorts& ports) {
  std::string& log = state.debugLog;
  log.clear();
  log += "=== Detection @ " + utcTimestamp(ports.clock.now()) + " ===\n";
  if (ports.apps.runningInstances(kBundleID).empty()) {
    log += "Windows App not running\n";
    return DetectionResult{};
  }
  AxScan scan = detectViaAccessibility(ports.apps, ports.ax, state.sessionNameCache);
  log += scan.debugInfo;
  log += '\n';
  const ScriptListing listing = detectViaAppleScript(ports.scripts);
  log += listing.debugInfo;
  log += '\n';

  SessionInfo info;
  info.running = true;
  info.names = mergeNames(scan, listing, state.sessionNameCache);
  const auto named = static_cast<int64_t>(info.names.size());
  info.count = named + scan.unnamedCount;
  log += "Final: " + std::to_string(named) + " named + " + std::to_string(scan.unnamedCount) +
         " unnamed = " + std::to_string(info.count) + "\n";
  log +=
      "Names: " + renderList(info.names) + " | Cache: " + renderMap(state.sessionNameCache) + "\n";
  // Either reading that worked makes its answer, even an empty one, a fact about the sessions.
  return DetectionResult{std::move(info), scan.windowListRefused && listing.failed,
                         std::move(scan.verdicts)};
}

}  // namespace velmora
