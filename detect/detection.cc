#include "detect/detection.h"

#include <algorithm>
#include <utility>

#include "app/config.h"
#include "detect/classify.h"
#include "detect/name_list.h"
#include "detect/report_format.h"
#include "detect/report_rendering.h"
#include "detect/utc_timestamp.h"

namespace velmora {
namespace {

bool isIdlePanel(const std::vector<std::string>& idlePanels, std::string_view placeholder) {
  return std::find(idlePanels.begin(), idlePanels.end(), placeholder) != idlePanels.end();
}

// A listed placeholder name as a desktop: the name remembered for it, or the entry with
// kDesktopSuffix.
void addDesktopName(NameList& names, std::string_view placeholder, std::string_view entry,
                    const SessionNameCache& cache) {
  const auto it = cache.find(std::string(placeholder));
  if (it != cache.end()) {
    names.add(it->second);
    return;
  }
  std::string name(entry);
  name += kDesktopSuffix;
  names.add(name);
}

// The "Final: " and "Names: " lines.
void appendSummary(std::string& log, const SessionInfo& info, int64_t unnamed,
                   const SessionNameCache& cache) {
  log += report::kFinal;
  appendDecimal(log, static_cast<int64_t>(info.names.size()));
  log += report::kFinalNamed;
  appendDecimal(log, unnamed);
  log += report::kFinalUnnamed;
  appendDecimal(log, info.count);
  log += '\n';
  log += report::kNames;
  appendList(log, info.names);
  log += report::kCache;
  appendMap(log, cache);
  log += '\n';
}

// "System Events" asks the client itself, so a listing of a client that does not answer waits
// its whole time-out. It is left out when this pass's reads timed out, and when the last pass
// found the client not answering unless the reads now show it answering: with Accessibility
// refused, it is tried every other pass.
bool runsListing(const AxScan& scan, const TrackerState& state) {
  if (scan.notAnswering) return false;
  return scan.answered || !state.clientNotAnswering;
}

}  // namespace

std::vector<std::string> mergeNames(std::vector<std::string> scanNames,
                                    const std::vector<std::string>& idlePanels,
                                    const std::vector<std::string>& listingNames,
                                    const SessionNameCache& cache) {
  NameList names(std::move(scanNames), listingNames.size());
  for (const std::string& entry : listingNames) {
    TitleKey key = titleKey(entry);
    if (key.placeholder) {
      // The panel the scan just skipped would otherwise come back as a desktop.
      if (isIdlePanel(idlePanels, *key.placeholder)) continue;
      addDesktopName(names, *key.placeholder, entry, cache);
    } else {
      // The listing has already dropped the excluded titles.
      names.add(entry, std::move(key.separate));
    }
  }
  return names.release();
}

DetectionResult detectSessions(TrackerState& state, const DetectionPorts& ports) {
  std::string& log = state.debugLog;
  log.clear();
  log += report::kHeadingStart;
  appendUtcTimestamp(log, ports.clock.now());
  log += report::kHeadingEnd;
  const std::vector<RunningInstance> instances = ports.apps.runningInstances(kBundleID);
  if (instances.empty()) {
    log += report::kNotRunning;
    state.clientNotAnswering = false;
    return DetectionResult{};
  }
  AxScan scan = detectViaAccessibility(ports.apps, ports.ax, state.sessionNameCache);
  log += scan.debugInfo;
  log += '\n';
  const ScriptListing listing =
      runsListing(scan, state) ? detectViaAppleScript(ports.scripts) : listingNotRun();
  state.clientNotAnswering = scan.notAnswering || listing.timedOut;
  log += listing.debugInfo;
  log += '\n';

  SessionInfo info;
  info.running = true;
  info.names =
      mergeNames(std::move(scan.names), scan.idlePanels, listing.names, state.sessionNameCache);
  const auto named = static_cast<int64_t>(info.names.size());
  info.count = named + scan.unnamedCount;
  appendSummary(log, info, scan.unnamedCount, state.sessionNameCache);
  // Either reading that worked makes its answer, even an empty one, a fact about the sessions.
  return DetectionResult{std::move(info), scan.windowListRefused && listing.failed,
                         std::move(scan.verdicts), instances.front()};
}

}  // namespace velmora
