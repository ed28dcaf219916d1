#include "detect/detection.h"
#include "detect/name_list.h"

#include <gtest/gtest.h>

#include "platform/sim/desktop/sim_accessibility.h"
#include "platform/sim/desktop/sim_running_apps.h"
#include "platform/sim/desktop/sim_script_runner.h"
#include "tests/sim_windows.h"

namespace velmora {
namespace {

using sim::SimWindow;
using sim::simWindow;
using sim::SimWindowList;
using Names = std::vector<std::string>;

constexpr double kMoment = 1796452069.0;  // 2026-12-05 06:27:49 UTC

SimWindow session(std::string title, double w = 900, double h = 700) {
  return simWindow(std::move(title), w, h);
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
  DetectionResult pass() { return detectSessions(state, DetectionPorts{apps, ax, scripts, clock}); }
  SessionInfo detect() { return pass().info; }
};

TEST_F(DetectionTest, ClientNotRunningGivesExactlyTwoLines) {
  apps.instances.clear();
  state.debugLog = "the previous report\n";
  state.sessionNameCache = {{"Devices", "T"}, {"RemoteApps", "T"}};
  EXPECT_EQ(detect(), (SessionInfo{0, {}, false}));
  EXPECT_EQ(state.debugLog,
            "=== Detection @ 2026-12-05 06:27:49 +0000 ===\nWindows App not running\n");
  EXPECT_TRUE(ax.requestedPids.empty());
  EXPECT_TRUE(scripts.sources.empty());
  EXPECT_EQ(state.sessionNameCache.size(), 2u);
}

// The report's lines are golden in the reports recorded in tests/data, which velmora-sim
// writes again byte for byte (velmora_sim_test.cc).
TEST_F(DetectionTest, ATypicalPassMergesBothReadings) {
  apps.instances = {{4242}, {5151}};
  show({session("Office PC", 1440, 900), simWindow("", 800, 600, "AXUnknown"),
        session("Devices", 1440, 900), session("Connection Center", 820, 560)});
  list("Office PC\nConnection Center\n  Build Server \nMSCTFIME UI\nBuild Server\nDevices\n");
  const DetectionResult result = pass();
  EXPECT_EQ(result.info, (SessionInfo{3, {"Office PC", "Build Server"}, true}));
  EXPECT_EQ(result.firstInstance, RunningInstance{4242});  // the process the tracker listens to
  EXPECT_EQ(ax.requestedPids, std::vector<int32_t>{4242});
}

// One reading failing leaves the other's names.
TEST_F(DetectionTest, EitherReadingFailingLeavesTheOthersNames) {
  show({session("Office PC")});
  scripts.answer = {ScriptResult::Kind::kError, "System Events got an error: not allowed."};
  EXPECT_EQ(detect(), (SessionInfo{1, {"Office PC"}, true}));
  ax.windows = SimWindowList{SimWindowList::Kind::kError, sim::kAxErrorApiDisabled, {}};
  list("Office PC\nDevices\nOffice PC\n");
  EXPECT_EQ(detect(), (SessionInfo{2, {"Office PC", "Devices (Desktop)"}, true}));
}

// The listing trims its entries, the Accessibility scan does not: one window whose title has
// white space around it is still one session, shown under the title as read.
TEST_F(DetectionTest, AWindowWithWhiteSpaceAroundItsTitleIsOneSession) {
  for (const std::string space : {" ", "\u00a0", "\u3000", "\u0085", "\v", "\u2028", "\u2029"}) {
    for (const std::string& title : {space + "Office PC", "Office PC" + space}) {
      show({session(title)});
      list("Office PC\n");
      EXPECT_EQ(detect(), (SessionInfo{1, {title}, true})) << ::testing::PrintToString(title);
    }
  }
}

// Only a pass in which both readings failed, the window list with a non-zero code, says that
// the windows could not be read; every such pass finds no session.
TEST_F(DetectionTest, UnreadableOnlyWhenBothReadingsFailed) {
  const SimWindowList refused{SimWindowList::Kind::kError, sim::kAxErrorApiDisabled, {}};
  const SimWindowList noWindows{SimWindowList::Kind::kWindows, 0, {}};
  const ScriptResult listingError{ScriptResult::Kind::kError,
                                  "Not authorized to send Apple events to System Events. (-1743)"};
  const ScriptResult emptyListing{ScriptResult::Kind::kText, ""};
  const struct {
    SimWindowList windowList;
    ScriptResult listing;
    bool unreadable;
  } cases[] = {
      {refused, listingError, true},
      {refused, {ScriptResult::Kind::kNoScriptObject, ""}, true},
      {refused, emptyListing, false},
      {noWindows, listingError, false},
      {noWindows, emptyListing, false},
      {{SimWindowList::Kind::kError, 0, {}}, listingError, false},  // no value, code 0
      {{SimWindowList::Kind::kNotAList, 0, {}}, listingError, false},
  };
  for (const auto& c : cases) {
    ax.windows = c.windowList;
    scripts.answer = c.listing;
    EXPECT_EQ(pass(), (DetectionResult{SessionInfo{0, {}, true}, c.unreadable, {}, {{4242}}}))
        << static_cast<int>(c.windowList.kind) << " " << static_cast<int>(c.listing.kind);
  }
}

// The merge alone, for the cases that need no particular scan. That no two names are equivalent
// is also fuzz/detection_fuzz.cc's invariant.
TEST(MergeTest, ScanNamesFirstThenNewListingNames) {
  const SessionNameCache cacheT = {{"Devices", "T"}, {"RemoteApps", "T"}};
  const struct {
    Names scanNames;
    Names idlePanels;
    SessionNameCache cache;
    Names listing;
    Names merged;
  } cases[] = {
      {{"A"}, {}, {}, {"Devices"}, {"A", "Devices (Desktop)"}},  // placeholder without cache
      {{"A"}, {}, cacheT, {"RemoteApps"}, {"A", "T"}},           // placeholder through the cache
      {{"Devices (Desktop)"}, {}, {}, {"Devices"}, {"Devices (Desktop)"}},  // already named
      {{"T"}, {}, cacheT, {"RemoteApps"}, {"T"}},  // cached name already present
      {{}, {}, {}, {"B", "B", "Devices", "Devices"}, {"B", "Devices (Desktop)"}},
      {{"a"}, {}, {}, {"A", "devices"}, {"a", "A", "devices"}},  // case-sensitive
      {{"Caf\u00e9"}, {}, {}, {"Cafe\u0301"}, {"Caf\u00e9"}},    // canonically equivalent
      {{}, {"Devices"}, {}, {"Devices", "RemoteApps"}, {"RemoteApps (Desktop)"}},  // idle panel
  };
  for (const auto& c : cases) {
    EXPECT_EQ(mergeNames(c.scanNames, c.idlePanels, c.listing, c.cache), c.merged)
        << ::testing::PrintToString(c.listing);
  }
}

// Released, a list is empty, its index too: a later look-up finds nothing and adding starts over.
TEST(NameListTest, ReleaseLeavesNothingBehind) {
  NameList list;
  ASSERT_TRUE(list.add("A"));
  ASSERT_TRUE(list.add("Cafe\u0301"));
  EXPECT_EQ(list.release(), (Names{"A", "Cafe\u0301"}));
  EXPECT_FALSE(list.holds("A"));
  EXPECT_FALSE(list.holds("Caf\u00e9"));
  EXPECT_TRUE(list.add("A"));
  EXPECT_EQ(list.names(), Names{"A"});
}

}  // namespace
}  // namespace velmora
