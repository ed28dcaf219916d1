// The whole way of a user's report, in process: random client states over a few passes ->
// the last pass's report -> scenarioFromReport -> the scenario printed and read back -> played
// in velmora-sim's simulation -> the same report, byte for byte. A report the converter refuses
// must be one of the shapes it cannot reproduce, and must be refused as that shape.
// Inputs that start with 'R' are report texts of their own (the seeds are real reports): the
// reader never crashes, names a line of the text, and what it accepts replays to the text.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <string>
#include <string_view>

#include "app/config.h"
#include "clock/wall_clock.h"
#include "detect/detection.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_window_list.h"
#include "platform/sim/desktop/sim_desktop.h"
#include "platform/sim/scenario/report_search.h"
#include "platform/sim/scenario/scenario_reader.h"
#include "platform/sim/scenario/scenario_writer.h"
#include "platform/sim/simulation/simulation.h"

namespace {

using velmora::sim::Scenario;
using velmora::sim::SimAttribute;
using velmora::sim::SimClientState;
using velmora::sim::SimError;
using velmora::sim::SimListingAnswer;
using velmora::sim::SimWindow;
using velmora::sim::SimWindowList;

// Texts the tracker and the reader treat specially, mimics of the report's own lines included.
constexpr std::string_view kPieces[] = {
    "Devices",
    "RemoteApps",
    "Office PC",
    "Connection Center",
    "MSCTFIME UI",
    "Lab \"A\" \\ B",
    "\" subrole=",
    "\" subrole=AXStandardWindow 1440x900",
    "\n",
    "\n  AX[1]: \"",
    "\n    -> session: \"",
    "\n    -> unnamed background session",
    "\n  AX final: 1 named, 0 unnamed\n\n--- AS Detection ---\n",
    "\n  Raw: [] -> Filtered: []\n\nFinal: 0 named + 0 unnamed = 0\nNames: [] | Cache: [:]",
    " 800x600",
    "'",
    "\\u{1B}",
    "\t\r\x1b[31m\x7f",
    std::string_view("\0", 1),
    "\u0085\u009b\u2028",
    "Cafe\u0301",
    "B\u00fcro",
    "   ",
};
constexpr double kSides[] = {0.0,    1.0,    199.0,  199.9,  200.0, 200.5, 799.9, 800.0,  1099.9,
                             1100.0, 1399.9, 1400.0, 1440.0, 1e300, -0.5,  -5.0,  9.3e18, -9.3e18};
constexpr double kMoments[] = {-62167219200.0, -1e12, 253402300800.0, 9.3e18, 1e19, -1e19, 1e300};

std::string text(FuzzedDataProvider& in) {
  std::string out;
  const int pieces = in.ConsumeIntegralInRange(0, 3);
  for (int i = 0; i < pieces; ++i) {
    if (in.ConsumeBool()) {
      out += kPieces[in.ConsumeIntegralInRange<size_t>(0, std::size(kPieces) - 1)];
    } else {
      out += in.ConsumeRandomLengthString(12);
    }
  }
  return out;
}

// Sides around every threshold; now and then one JSON cannot carry (nan, infinity).
double side(FuzzedDataProvider& in) {
  switch (in.ConsumeIntegralInRange(0, 19)) {
    case 0:
      return std::numeric_limits<double>::quiet_NaN();
    case 1:
      return (in.ConsumeBool() ? 1 : -1) * std::numeric_limits<double>::infinity();
    case 2:
      return in.ConsumeFloatingPoint<double>();
    default:
      return kSides[in.ConsumeIntegralInRange<size_t>(0, std::size(kSides) - 1)];
  }
}

SimAttribute attribute(FuzzedDataProvider& in, SimAttribute::Kind holds, bool isTitle) {
  switch (in.ConsumeIntegralInRange(0, 9)) {
    case 0:
      return SimAttribute::missing();
    case 1:
      return SimAttribute::other();
    default:
      break;
  }
  switch (holds) {
    case SimAttribute::Kind::kSize:
      return SimAttribute::ofSize(side(in), side(in));
    case SimAttribute::Kind::kBool:
      return SimAttribute::ofBool(in.ConsumeBool());
    default:
      break;
  }
  if (isTitle) return SimAttribute::ofText(text(in));
  constexpr const char* kSubroles[] = {"AXStandardWindow", "AXUnknown", "", "AXDialog"};
  const int pick = in.ConsumeIntegralInRange(0, 4);
  return SimAttribute::ofText(pick < 4 ? kSubroles[pick] : text(in));
}

SimClientState client(FuzzedDataProvider& in) {
  SimClientState state;
  state.instances = in.ConsumeIntegralInRange(0, 5) == 0 ? 0 : in.ConsumeIntegralInRange(1, 2);
  state.ax = velmora::fuzz::windowList(in, 8, attribute);
  state.script.kind = static_cast<SimListingAnswer::Kind>(in.ConsumeIntegralInRange(0, 4));
  if (state.script.kind == SimListingAnswer::Kind::kText ||
      state.script.kind == SimListingAnswer::Kind::kError) {
    const int entries = in.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < entries; ++i) state.script.text += text(in) + "\n";
  }
  return state;
}

// The running-instance list of a client that quits between the pass's two looks at it.
class QuitsDuringThePass final : public velmora::RunningApps {
 public:
  explicit QuitsDuringThePass(velmora::RunningApps& apps) : apps_(apps) {}
  std::vector<velmora::RunningInstance> runningInstances(std::string_view bundleId) override {
    if (++looks_ > 1) return {};
    return apps_.runningInstances(bundleId);
  }
  void activate(velmora::RunningInstance instance, unsigned options) override {
    apps_.activate(instance, options);
  }
  void terminate(velmora::RunningInstance instance) override { apps_.terminate(instance); }
  int32_t ownProcessIdentifier() override { return apps_.ownProcessIdentifier(); }

 private:
  velmora::RunningApps& apps_;
  int looks_ = 0;
};

// What the refusal of a genuine report may only be caused by, seen from the last pass.
struct LastPass {
  double moment = 0.0;
  bool quit = false;
  bool nonFiniteSize = false;
  bool mimickingText = false;
};

LastPass lastPassOf(const SimClientState& c, double moment, bool quit) {
  LastPass pass{moment, quit, false, false};
  if (c.instances == 0 || c.ax.kind != SimWindowList::Kind::kWindows) return pass;
  for (const SimWindow& w : c.ax.windows) {
    if (w.size.kind == SimAttribute::Kind::kSize &&
        (!std::isfinite(w.size.size.width) || !std::isfinite(w.size.size.height))) {
      pass.nonFiniteSize = true;
    }
    for (const SimAttribute* a : {&w.title, &w.subrole}) {
      if (a->kind == SimAttribute::Kind::kText &&
          (a->text.find('\n') != std::string::npos ||
           a->text.find("\" subrole=") != std::string::npos)) {
        pass.mimickingText = true;
      }
    }
  }
  return pass;
}

class LastReport final : public velmora::sim::SimObserver {
 public:
  void onReport(const std::string& report, velmora::PassCause /*cause*/) override { text = report; }
  std::string text;
};

// A home for the simulation's session-start file, removed when the fuzzer exits.
class ScratchHome {
 public:
  ScratchHome() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velmora-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchHome() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The scenario as velmora-sim gets it: printed, read back and played on virtual time.
std::string replay(const Scenario& converted) {
  static const ScratchHome home;
  const auto parsed = velmora::sim::parseScenario(velmora::sim::scenarioJson(converted));
  FUZZ_CHECK(std::holds_alternative<Scenario>(parsed));
  const Scenario& scenario = std::get<Scenario>(parsed);
  FUZZ_CHECK(scenario.start.has_value() && (scenario.until == 0.0 || scenario.until == 5.0));
  LastReport last;
  velmora::sim::Simulation simulation(scenario, velmora::StatePaths::forHome(home.path()),
                                      *scenario.start, last);
  simulation.runHeadless();
  return last.text;
}

size_t lineCount(std::string_view text) {
  size_t lines = 1;
  for (char c : text) lines += c == '\n' ? 1 : 0;
  return lines;
}

void checkGenuine(const std::string& report, const LastPass& pass) {
  const auto result = velmora::sim::scenarioFromReport(report);
  if (const auto* scenario = std::get_if<Scenario>(&result)) {
    FUZZ_CHECK(!pass.quit);
    FUZZ_CHECK(replay(*scenario) == report);
    return;
  }
  const SimError& e = std::get<SimError>(result);
  FUZZ_CHECK(e.where.starts_with("line "));
  const size_t line = std::strtoul(e.where.c_str() + 5, nullptr, 10);
  const auto says = [&e](const char* text) { return e.message.find(text) != std::string::npos; };
  // The refusals a report the tracker wrote may get, each known by its message.
  const bool quit = says("the client quit during the pass");
  const bool documented =
      (quit && pass.quit && line == 3) ||
      (says("the moment is not a finite number") && line == 1 && !std::isfinite(pass.moment)) ||
      (says("has a size of nan or infinity") && line > 3 && pass.nonFiniteSize) ||
      (says("can be read in too many ways") && pass.mimickingText) ||
      // Outside the years a scenario may start in, also once the first pass comes 5 s earlier.
      (says("the moment is outside the years") && line == 1 && std::isfinite(pass.moment) &&
       (pass.moment < velmora::kPoll || pass.moment >= velmora::sim::kStartLimit));
  if (!documented) {
    std::fprintf(stderr, "refused at %s: %s\n--- report ---\n%s---\n", e.where.c_str(),
                 e.message.c_str(), report.c_str());
  }
  FUZZ_CHECK(documented);
  FUZZ_CHECK(!pass.quit || quit);
}

void checkRaw(std::string_view text) {
  const auto result = velmora::sim::scenarioFromReport(text);
  if (const auto* e = std::get_if<SimError>(&result)) {
    FUZZ_CHECK(e->where.starts_with("line ") && !e->message.empty());
    const size_t line = std::strtoul(e->where.c_str() + 5, nullptr, 10);
    FUZZ_CHECK(line >= 1 && line <= lineCount(text));
    return;
  }
  FUZZ_CHECK(replay(std::get<Scenario>(result)) == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0 && data[0] == 'R') {
    checkRaw(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    return 0;
  }
  FuzzedDataProvider in(data, size);
  velmora::sim::SimObserver quiet;
  velmora::sim::SimDesktop desktop(quiet);
  QuitsDuringThePass quitting(desktop.apps());
  double moment = 1765000000.0 + in.ConsumeFloatingPointInRange(0.0, 1e6);
  if (in.ConsumeIntegralInRange(0, 7) == 0) {
    moment = in.ConsumeBool()
                 ? kMoments[in.ConsumeIntegralInRange<size_t>(0, std::size(kMoments) - 1)]
                 : std::numeric_limits<double>::quiet_NaN();
  }
  velmora::FixedClock clock(moment);
  velmora::TrackerState state;
  const int passes = in.ConsumeIntegralInRange(1, 3);
  LastPass last;
  for (int pass = 0; pass < passes; ++pass) {
    const SimClientState now = client(in);
    desktop.setClient(now);
    const bool quit =
        pass + 1 == passes && now.instances > 0 && in.ConsumeIntegralInRange(0, 15) == 0;
    const velmora::DetectionPorts ports{
        quit ? static_cast<velmora::RunningApps&>(quitting) : desktop.apps(),
        desktop.accessibility(), desktop.scripts(), clock};
    last = lastPassOf(now, clock.now(), quit);
    (void)velmora::detectSessions(state, ports);
    clock.advance(velmora::kPoll);
  }
  checkGenuine(state.debugLog, last);
  return 0;
}
