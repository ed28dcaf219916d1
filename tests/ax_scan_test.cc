// The Accessibility scan's own part: reading the window list and the attributes. The whole
// report of a pass, with the scan's section, is golden in detection_test.cc.
#include "detect/ax_scan.h"

#include <gtest/gtest.h>

#include <limits>

#include "platform/sim/desktop/sim_accessibility.h"
#include "platform/sim/desktop/sim_running_apps.h"
#include "tests/sim_windows.h"

namespace velmora {
namespace {

using sim::SimAttribute;
using sim::SimWindow;
using sim::simWindow;
using sim::SimWindowList;
using Names = std::vector<std::string>;

// A running client (pid 4242) whose windows the test scripts.
struct AxScanTest : ::testing::Test {
  SimRunningApps apps;
  sim::SimAccessibility ax;
  SessionNameCache cache;

  AxScanTest() {
    apps.instances = {{4242}};
    ax.pid = 4242;
  }
  void show(std::vector<SimWindow> windows) {
    ax.windows = SimWindowList{SimWindowList::Kind::kWindows, 0, std::move(windows)};
  }
  AxScan scan() { return detectViaAccessibility(apps, ax, cache); }
};

// Among them: only the first instance is asked, so a client that is the second one is not found
// (-25204, as for a process gone); a client that quit before the scan looked.
TEST_F(AxScanTest, UnreadableListsAndAnEmptyOneLeaveTheCacheAlone) {
  using K = SimWindowList::Kind;
  const struct {
    SimWindowList list;
    std::vector<RunningInstance> instances;
    const char* lines;
  } cases[] = {
      {{K::kError, sim::kAxErrorApiDisabled, {}},
       {{4242}},
       "  Could not get AX windows (result: -25211)\n"},
      {{K::kError, 0, {}}, {{4242}}, "  Could not get AX windows (result: 0)\n"},
      {{K::kNotAList, 0, {}}, {{4242}}, "  Could not get AX windows (result: 0)\n"},
      {{}, {{5151}, {4242}}, "  Could not get AX windows (result: -25204)\n"},
      {{}, {}, "  App not running\n"},
      {{K::kWindows, 0, {}}, {{4242}}, "  AX windows found: 0\n  AX final: 0 named, 0 unnamed\n"},
  };
  for (const auto& c : cases) {
    ax.windows = c.list;
    apps.instances = c.instances;
    cache = {{"Devices", "T"}, {"RemoteApps", "T"}};
    const AxScan r = scan();
    EXPECT_EQ(r.debugInfo, std::string("--- AX Detection ---\n") + c.lines);
    EXPECT_TRUE(r.names.empty());
    EXPECT_EQ(r.unnamedCount, 0);
    EXPECT_EQ(cache.size(), 2u);
    EXPECT_EQ(ax.liveElements(), 0);
  }
}

TEST_F(AxScanTest, UnreadableOrMistypedAttributesTakeTheirDefaults) {
  const SimWindow allOther{SimAttribute::other(), SimAttribute::other(), SimAttribute::other(),
                           SimAttribute::other()};
  const SimWindow swapped{SimAttribute::ofBool(true), SimAttribute::ofSize(1, 2),
                          SimAttribute::ofText("1440x900"), SimAttribute::ofText("true")};
  // Minimised, unreadable subrole: would be a background session only with "AXUnknown".
  const SimWindow noSubrole{SimAttribute::ofText(""), SimAttribute::missing(),
                            SimAttribute::ofSize(800, 600), SimAttribute::missing()};
  show({SimWindow{}, allOther, swapped, noSubrole, simWindow("", 800, 600, "AXUnknown", true),
        simWindow("", 800, 600, "AXUnknown", false)});
  const AxScan r = scan();
  EXPECT_EQ(r.debugInfo,
            "--- AX Detection ---\n"
            "  AX windows found: 6\n"
            "  AX[0]: \"\" subrole= 0x0\n"
            "  AX[1]: \"\" subrole= 0x0\n"
            "  AX[2]: \"\" subrole= 0x0\n"
            "  AX[3]: \"\" subrole= 800x600\n"
            "  AX[4]: \"\" subrole=AXUnknown 800x600\n"
            "  AX[5]: \"\" subrole=AXUnknown 800x600\n"
            "    -> unnamed background session\n"  // only the one not minimised
            "  AX final: 0 named, 1 unnamed\n");
  EXPECT_EQ(ax.liveElements(), 0);
}

// Sizes are written truncated but compared unrounded; text from the client is made valid UTF-8.
TEST_F(AxScanTest, SizesAreWrittenTruncatedAndTextMadeValid) {
  show({simWindow("Edge", 1099.9, 800.0), simWindow("Narrow", 199.9, 900.0),
        simWindow("Wide", 1439.6, 899.9), simWindow("Bad \xff title", 900, 700, "AX\xc3")});
  const AxScan r = scan();
  EXPECT_NE(r.debugInfo.find("  AX[1]: \"Narrow\" subrole=AXStandardWindow 199x900\n"),
            std::string::npos);
  EXPECT_NE(r.debugInfo.find("  AX[2]: \"Wide\" subrole=AXStandardWindow 1439x899\n"),
            std::string::npos);
  EXPECT_NE(r.debugInfo.find("  AX[3]: \"Bad \uFFFD title\" subrole=AX\uFFFD 900x700\n"),
            std::string::npos);
  EXPECT_EQ(r.names, (Names{"Edge", "Wide", "Bad \uFFFD title"}));  // 199.9 is small, written 199
  EXPECT_EQ(cache.at("Devices"), "Wide");  // 1099.9 is not large, 1439.6 x 899.9 is
}

TEST(TruncatedPointsTest, DropsTheFractionTowardZero) {
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const struct {
    double points;
    const char* text;
  } cases[] = {
      {1439.6, "1439"},
      {-3.7, "-3"},
      {-0.5, "0"},
      {kNan, "nan"},
      {-kNan, "nan"},
      {kInf, "inf"},
      {-kInf, "-inf"},
      {9223372036854774784.0, "9223372036854774784"},  // largest below 2^63
      {9223372036854775808.0, "9223372036854775808"},  // 2^63, past int64
      {-9223372036854775808.0, "-9223372036854775808"},
      {1e300,
       "1000000000000000052504760255204420248704468581108159154915854115511802457988908195786371"
       "3750804478640437044438328838781769425232353604305756447921847867069828483872009265758037"
       "3783023379478809005936895323497079994508111903896764088007465274278014249457925878882005"
       "6842838115669472196386865459400540160"},
  };
  for (const auto& c : cases) EXPECT_EQ(truncatedPoints(c.points), c.text) << c.points;
}

}  // namespace
}  // namespace velmora
