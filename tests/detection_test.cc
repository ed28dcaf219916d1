#include "detect/detection.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_accessibility.h"
#include "platform/sim/sim_running_apps.h"
#include "platform/sim/sim_script_runner.h"

namespace velmora {
namespace {

using sim::SimAttribute;
using sim::SimWindow;
using sim::SimWindowList;
using Names = std::vector<std::string>;

constexpr double kMoment = 1796452069.0;  // 2026-12-05 06:27:49 UTC
constexpr const char* kHeading = "=== Detection @ 2026-12-05 06:27:49 +0000 ===\n";

SimWindow window(std::string title, std::string subrole, double w, double h) {
  return SimWindow{SimAttribute::ofText(std::move(title)), SimAttribute::ofText(std::move(subrole)),
                   SimAttribute::ofSize(w, h), SimAttribute::ofBool(false)};
}

SimWindow session(std::string title, double w = 900, double h = 700) {
  return window(std::move(title), "AXStandardWindow", w, h);
}

SimWindow background() {
  return window("", "AXUnknown", 800, 600);
}

// A simulated desktop on which the client runs as pid 4242.
struct DetectionTest : ::testing::Test {
  SimRunningApps apps;
  sim::SimAccessibility ax;
  sim::SimScriptRunner scripts;
  FixedClock clock{kMoment};
  TrackerState state;

  DetectionTest() {
    apps.instances = {{4242}};
    ax.pid = 4242;
  }
  void show(std::vector<SimWindow> windows) {
    ax.windows = SimWindowList{SimWindowList::Kind::kWindows, 0, std::move(windows)};
  }
  void list(std::string returned) { scripts.answer = {ScriptResult::Kind::kText, returned}; }
  void unreadableWindowList() { ax.windows = SimWindowList{SimWindowList::Kind::kError, 0, {}}; }
  DetectionResult pass() { return detectSessions(state, DetectionPorts{apps, ax, scripts, clock}); }
  SessionInfo detect() { return pass().info; }
};

TEST_F(DetectionTest, ClientNotRunningGivesExactlyTwoLines) {
  apps.instances.clear();
  state.debugLog = "the previous report\n";
  state.sessionNameCache = {{"Devices", "T"}, {"RemoteApps", "T"}};
  EXPECT_EQ(detect(), (SessionInfo{0, {}, false}));
  EXPECT_EQ(state.debugLog, std::string(kHeading) + "Windows App not running\n");
  EXPECT_TRUE(ax.requestedPids.empty());
  EXPECT_TRUE(scripts.sources.empty());
  EXPECT_EQ(state.sessionNameCache.size(), 2u);
}

TEST_F(DetectionTest, BothScansEmpty) {
  show({});
  EXPECT_EQ(detect(), (SessionInfo{0, {}, true}));
  EXPECT_EQ(state.debugLog, std::string(kHeading) +
                                "--- AX Detection ---\n"
                                "  AX windows found: 0\n"
                                "  AX final: 0 named, 0 unnamed\n"
                                "\n"
                                "--- AS Detection ---\n"
                                "  Raw: [] -> Filtered: []\n"
                                "\n"
                                "Final: 0 named + 0 unnamed = 0\n"
                                "Names: [] | Cache: [:]\n");
}

TEST_F(DetectionTest, WholeReportOfATypicalPass) {
  apps.instances = {{4242}, {5151}};
  show({session("Office PC", 1440, 900), background(), session("Devices", 1440, 900),
        session("Connection Center", 820, 560)});
  list("Office PC\nConnection Center\n  Build Server \nMSCTFIME UI\nBuild Server\nDevices\n");
  const SessionInfo info = detect();
  EXPECT_EQ(info, (SessionInfo{3, {"Office PC", "Build Server"}, true}));
  EXPECT_EQ(state.debugLog,
            std::string(kHeading) +
                "--- AX Detection ---\n"
                "  AX windows found: 4\n"
                "  AX[0]: \"Office PC\" subrole=AXStandardWindow 1440x900\n"
                "  AX[1]: \"\" subrole=AXUnknown 800x600\n"
                "  AX[2]: \"Devices\" subrole=AXStandardWindow 1440x900\n"
                "  AX[3]: \"Connection Center\" subrole=AXStandardWindow 820x560\n"
                "    -> session: \"Office PC\"\n"
                "    -> unnamed background session\n"
                "    -> desktop (cached): \"Office PC\"\n"
                "  AX final: 1 named, 1 unnamed\n"
                "\n"
                "--- AS Detection ---\n"
                "  Raw: [\"Office PC\", \"Connection Center\", \"Build Server\", \"MSCTFIME UI\", "
                "\"Build Server\", \"Devices\"] -> Filtered: [\"Office PC\", \"Build Server\", "
                "\"Build Server\", \"Devices\"]\n"
                "\n"
                "Final: 2 named + 1 unnamed = 3\n"
                "Names: [\"Office PC\", \"Build Server\"] | Cache: [\"Devices\": \"Office PC\", "
                "\"RemoteApps\": \"Office PC\"]\n");
  EXPECT_EQ(ax.requestedPids, std::vector<int32_t>{4242});
}

TEST_F(DetectionTest, ScriptFailureLeavesTheScanNames) {
  show({session("Office PC")});
  scripts.answer = {ScriptResult::Kind::kError, "System Events got an error: not allowed."};
  EXPECT_EQ(detect(), (SessionInfo{1, {"Office PC"}, true}));
  EXPECT_EQ(state.debugLog, std::string(kHeading) +
                                "--- AX Detection ---\n"
                                "  AX windows found: 1\n"
                                "  AX[0]: \"Office PC\" subrole=AXStandardWindow 900x700\n"
                                "    -> session: \"Office PC\"\n"
                                "  AX final: 1 named, 0 unnamed\n"
                                "\n"
                                "--- AS Detection ---\n"
                                "  Error: System Events got an error: not allowed.\n"
                                "\n"
                                "Final: 1 named + 0 unnamed = 1\n"
                                "Names: [\"Office PC\"] | Cache: [:]\n");
}

TEST_F(DetectionTest, UnreadableWindowListLeavesTheListingAlone) {
  ax.windows = SimWindowList{SimWindowList::Kind::kError, sim::kAxErrorApiDisabled, {}};
  list("Office PC\nDevices\nOffice PC\n");
  EXPECT_EQ(detect(), (SessionInfo{2, {"Office PC", "Devices (Desktop)"}, true}));
  EXPECT_EQ(state.debugLog,
            std::string(kHeading) +
                "--- AX Detection ---\n"
                "  Could not get AX windows (result: -25211)\n"
                "\n"
                "--- AS Detection ---\n"
                "  Raw: [\"Office PC\", \"Devices\", \"Office PC\"] -> Filtered: [\"Office PC\", "
                "\"Devices\", \"Office PC\"]\n"
                "\n"
                "Final: 2 named + 0 unnamed = 2\n"
                "Names: [\"Office PC\", \"Devices (Desktop)\"] | Cache: [:]\n");
}

// The idle connection panel that the scan skipped is not brought back by the listing.
TEST_F(DetectionTest, IdlePanelIsNotAddedBackFromTheListing) {
  state.sessionNameCache = {{"Devices", "T"}, {"RemoteApps", "T"}};
  show({session("Devices", 1000, 700)});
  list("Devices\n");
  EXPECT_EQ(detect(), (SessionInfo{0, {}, true}));
  EXPECT_EQ(state.debugLog, std::string(kHeading) +
                                "--- AX Detection ---\n"
                                "  AX windows found: 1\n"
                                "  AX[0]: \"Devices\" subrole=AXStandardWindow 1000x700\n"
                                "    -> \"Devices\" is idle connection panel (skipped)\n"
                                "    -> cache cleared\n"
                                "  AX final: 0 named, 0 unnamed\n"
                                "\n"
                                "--- AS Detection ---\n"
                                "  Raw: [\"Devices\"] -> Filtered: [\"Devices\"]\n"
                                "\n"
                                "Final: 0 named + 0 unnamed = 0\n"
                                "Names: [] | Cache: [:]\n");
}

TEST_F(DetectionTest, OnlyTheIdlePlaceholderIsHeldBack) {
  show({session("Devices", 1000, 700)});
  list("RemoteApps\nDevices\n");
  EXPECT_EQ(detect(), (SessionInfo{1, {"RemoteApps (Desktop)"}, true}));
}

TEST_F(DetectionTest, CountAddsUnnamedSessions) {
  show({session("A"), session("B"), background(), background()});
  list("A\nC\n");
  EXPECT_EQ(detect(), (SessionInfo{5, {"A", "B", "C"}, true}));
  EXPECT_NE(state.debugLog.find("\nFinal: 3 named + 2 unnamed = 5\n"), std::string::npos);
}

TEST_F(DetectionTest, ReportIsRebuiltOnEveryPass) {
  show({session("Office PC")});
  (void)detect();
  apps.instances.clear();
  clock.advance(5.0);
  (void)detect();
  EXPECT_EQ(state.debugLog,
            "=== Detection @ 2026-12-05 06:27:54 +0000 ===\nWindows App not running\n");
}

// Only a pass in which both readings failed, the window list with a non-zero code, says that
// the windows could not be read; every such pass finds no session.
struct ReadabilityCase {
  const char* name;
  SimWindowList windowList;
  ScriptResult listing;
  bool unreadable;
};

class ReadabilityTest : public DetectionTest,
                        public ::testing::WithParamInterface<ReadabilityCase> {};

TEST_P(ReadabilityTest, UnreadableOnlyWhenBothReadingsFailed) {
  ax.windows = GetParam().windowList;
  scripts.answer = GetParam().listing;
  EXPECT_EQ(pass(), (DetectionResult{SessionInfo{0, {}, true}, GetParam().unreadable, {}}));
}

const SimWindowList kRefused{SimWindowList::Kind::kError, sim::kAxErrorApiDisabled, {}};
const SimWindowList kNoWindows{SimWindowList::Kind::kWindows, 0, {}};
const ScriptResult kListingError{ScriptResult::Kind::kError,
                                 "Not authorized to send Apple events to System Events. (-1743)"};
const ScriptResult kEmptyListing{ScriptResult::Kind::kText, ""};

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadabilityTest,
    ::testing::Values(
        ReadabilityCase{"RefusedAndListingError", kRefused, kListingError, true},
        ReadabilityCase{
            "RefusedAndNoScriptObject", kRefused, {ScriptResult::Kind::kNoScriptObject, ""}, true},
        ReadabilityCase{"RefusedButListed", kRefused, kEmptyListing, false},
        ReadabilityCase{"ScannedButListingError", kNoWindows, kListingError, false},
        ReadabilityCase{"BothRead", kNoWindows, kEmptyListing, false},
        ReadabilityCase{"NoValueCode0", {SimWindowList::Kind::kError, 0, {}}, kListingError, false},
        ReadabilityCase{
            "NotAListCode0", {SimWindowList::Kind::kNotAList, 0, {}}, kListingError, false}),
    [](const auto& param) { return std::string(param.param.name); });

// The merge alone, for the cases that need no particular scan.
struct MergeCase {
  const char* name;
  Names scanNames;
  Names idlePanels;
  SessionNameCache cache;
  Names listing;
  Names merged;
};

class MergeTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeTest, ScanNamesFirstThenNewListingNames) {
  const MergeCase& c = GetParam();
  EXPECT_EQ(mergeNames(c.scanNames, c.idlePanels, c.listing, c.cache), c.merged);
}

const SessionNameCache kCacheT = {{"Devices", "T"}, {"RemoteApps", "T"}};

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeTest,
    ::testing::Values(
        MergeCase{"ListingRepeatsAScanName", {"A"}, {}, {}, {"A", "B"}, {"A", "B"}},
        MergeCase{
            "PlaceholderWithoutCache", {"A"}, {}, {}, {"Devices"}, {"A", "Devices (Desktop)"}},
        MergeCase{"PlaceholderAlreadyNamed",
                  {"Devices (Desktop)"},
                  {},
                  {},
                  {"Devices"},
                  {"Devices (Desktop)"}},
        MergeCase{"PlaceholderThroughCache", {"A"}, {}, kCacheT, {"RemoteApps"}, {"A", "T"}},
        MergeCase{"CachedNameAlreadyPresent", {"T"}, {}, kCacheT, {"RemoteApps"}, {"T"}},
        MergeCase{"TwiceInTheListing",
                  {},
                  {},
                  {},
                  {"B", "B", "Devices", "Devices"},
                  {"B", "Devices (Desktop)"}},
        MergeCase{"OnlyTheListing", {}, {}, {}, {"A", "B"}, {"A", "B"}},
        MergeCase{"CaseSensitive", {"a"}, {}, {}, {"A", "devices"}, {"a", "A", "devices"}},
        MergeCase{"CanonicallyEquivalent", {"Caf\u00e9"}, {}, {}, {"Cafe\u0301"}, {"Caf\u00e9"}},
        MergeCase{"IdlePanelHeldBack",
                  {},
                  {"Devices"},
                  {},
                  {"Devices", "RemoteApps"},
                  {"RemoteApps (Desktop)"}}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace velmora
