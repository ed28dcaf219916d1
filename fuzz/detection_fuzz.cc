// Classification and merge over arbitrary window lists and listing texts, a few passes in a row
// on one tracker state: no crash, no two equivalent names, the count is the names plus the
// unnamed sessions, and the report is whole lines.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <set>
#include <string>

#include "app/config.h"
#include "clock/wall_clock.h"
#include "detect/classify.h"
#include "detect/detection.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_window_list.h"
#include "platform/sim/desktop/sim_desktop.h"
#include "text/text.h"

namespace {

using velmora::sim::SimAttribute;
using velmora::sim::SimClientState;
using velmora::sim::SimListingAnswer;
using velmora::sim::SimWindowList;

// Titles the rules treat specially, so that the fuzzer meets them without guessing them.
constexpr const char* kTitles[] = {
    "",
    "Devices",
    "RemoteApps",
    " Devices ",
    "devices",
    "Office PC",
    "Cafe\u0301",
    "Caf\u00e9",
    "Windows App",
    "Connection Center",
    "MSCTFIME UI",
    "Default IME",
    "Office PC\u2029",
    "\u0085",
    "Stra\u00dfe",
};
constexpr double kSides[] = {0.0,    1.0,    199.9,  200.0,  799.9, 800.0,
                             1099.9, 1100.0, 1399.9, 1400.0, 1e300, -5.0};

std::string title(FuzzedDataProvider& in) {
  if (in.ConsumeBool())
    return kTitles[in.ConsumeIntegralInRange<size_t>(0, std::size(kTitles) - 1)];
  return in.ConsumeRandomLengthString(24);
}

double side(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
      return kSides[in.ConsumeIntegralInRange<size_t>(0, std::size(kSides) - 1)];
    case 1:
      return std::numeric_limits<double>::quiet_NaN();
    case 2:
      return std::numeric_limits<double>::infinity();
    default:
      return in.ConsumeFloatingPoint<double>();
  }
}

SimAttribute attribute(FuzzedDataProvider& in, SimAttribute::Kind usual, bool titleLike) {
  switch (in.ConsumeIntegralInRange(0, 7)) {
    case 0:
      return SimAttribute::missing();
    case 1:
      return SimAttribute::other();
    case 2:
      return SimAttribute::ofBool(in.ConsumeBool());
    default:
      break;
  }
  switch (usual) {
    case SimAttribute::Kind::kSize:
      return SimAttribute::ofSize(side(in), side(in));
    case SimAttribute::Kind::kBool:
      return SimAttribute::ofBool(in.ConsumeBool());
    default:
      if (titleLike) return SimAttribute::ofText(title(in));
      return SimAttribute::ofText(in.ConsumeBool() ? "AXStandardWindow" : "AXUnknown");
  }
}

SimClientState client(FuzzedDataProvider& in) {
  SimClientState state;
  state.instances = in.ConsumeIntegralInRange(0, 2);
  state.pid = 1000;
  state.ax = velmora::fuzz::windowList(in, 12, attribute);
  const int answer = in.ConsumeIntegralInRange(0, 5);
  state.script.kind = static_cast<SimListingAnswer::Kind>(answer % 5);
  if (state.script.kind == SimListingAnswer::Kind::kText ||
      state.script.kind == SimListingAnswer::Kind::kError) {
    state.script.text = in.ConsumeRandomLengthString(200);
  }
  return state;
}

// "Final: N named + U unnamed = C" in `report`, or false when the line is missing. Window
// titles appear unescaped in the scan's lines and may hold the same text, but the two lines
// after it render every name escaped, so the last such line is the pass's own.
bool finalCounts(const std::string& report, long long& named, long long& unnamed,
                 long long& count) {
  const size_t at = report.rfind("\nFinal: ");
  if (at == std::string::npos) return false;
  return std::sscanf(report.c_str() + at, "\nFinal: %lld named + %lld unnamed = %lld", &named,
                     &unnamed, &count) == 3;
}

// Unreadable exactly when the client runs, its window list is refused with a code and the
// listing fails; such a pass claims no session.
void checkReadability(const velmora::DetectionResult& pass, const SimClientState& client) {
  const bool refused = client.ax.kind == SimWindowList::Kind::kError && client.ax.error != 0;
  const bool listingFailed = client.script.kind == SimListingAnswer::Kind::kError ||
                             client.script.kind == SimListingAnswer::Kind::kNoScriptObject;
  FUZZ_CHECK(pass.windowsUnreadable == (client.instances > 0 && refused && listingFailed));
  if (pass.windowsUnreadable) FUZZ_CHECK(pass.info.count == 0 && pass.info.names.empty());
}

// One verdict per window read, as many for background sessions as were counted.
void checkVerdicts(const velmora::DetectionResult& pass, const SimClientState& client) {
  const bool read = client.instances > 0 && client.ax.kind == SimWindowList::Kind::kWindows;
  FUZZ_CHECK(pass.verdicts.size() == (read ? client.ax.windows.size() : 0));
  const auto background = std::count(pass.verdicts.begin(), pass.verdicts.end(),
                                     velmora::WindowVerdict::kUnnamedBackground);
  FUZZ_CHECK(background == pass.info.count - static_cast<int64_t>(pass.info.names.size()));
}

void checkPass(const velmora::SessionInfo& info, const velmora::TrackerState& state,
               const SimClientState& client) {
  std::set<std::string> keys;
  for (const std::string& name : info.names) {
    FUZZ_CHECK(keys.insert(velmora::text::comparisonKey(name)).second);
    // A name is shown to the user: never empty, excluded or a bare placeholder, always UTF-8.
    FUZZ_CHECK(!name.empty() && velmora::text::isValidUtf8(name));
    FUZZ_CHECK(!velmora::isExcludedTitle(name));
    FUZZ_CHECK(!velmora::placeholderName(name));
  }
  FUZZ_CHECK(info.running == (client.instances > 0));
  const std::string& report = state.debugLog;
  // Whole lines of UTF-8 text, under the pass's heading.
  FUZZ_CHECK(!report.empty() && report.back() == '\n');
  FUZZ_CHECK(report.rfind("=== Detection @ ", 0) == 0);
  FUZZ_CHECK(velmora::text::isValidUtf8(report));
  if (!info.running) {
    FUZZ_CHECK(report.substr(report.find('\n') + 1) == "Windows App not running\n");
  }
  long long named = 0, unnamed = 0, count = 0;
  if (finalCounts(report, named, unnamed, count)) {
    FUZZ_CHECK(named == static_cast<long long>(info.names.size()));
    FUZZ_CHECK(unnamed >= 0 && count == named + unnamed && count == info.count);
  } else {
    // Only a pass that found the client stopped has no summary.
    FUZZ_CHECK(!info.running && info.count == 0 && info.names.empty());
  }
  // The cache remembers one title for every placeholder, or nothing.
  const velmora::SessionNameCache& cache = state.sessionNameCache;
  FUZZ_CHECK(cache.empty() || cache.size() == velmora::kDesktopPlaceholderNames.size());
  for (const auto& [placeholder, remembered] : cache) {
    FUZZ_CHECK(velmora::placeholderName(placeholder) == placeholder);
    FUZZ_CHECK(remembered == cache.begin()->second);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  velmora::sim::SimObserver quiet;
  velmora::sim::SimDesktop desktop(quiet);
  velmora::FixedClock clock(1765000000.0);
  velmora::TrackerState state;
  const velmora::DetectionPorts ports{desktop.apps(), desktop.accessibility(), desktop.scripts(),
                                      clock};
  for (int pass = 0; pass < 3 && in.remaining_bytes() > 0; ++pass) {
    const SimClientState now = client(in);
    desktop.setClient(now);
    const velmora::DetectionResult found = velmora::detectSessions(state, ports);
    checkPass(found.info, state, now);
    checkReadability(found, now);
    checkVerdicts(found, now);
    clock.advance(5.0);
  }
  return 0;
}
