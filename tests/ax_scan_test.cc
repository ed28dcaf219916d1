#include "detect/ax_scan.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/sim/sim_accessibility.h"
#include "platform/sim/sim_running_apps.h"

namespace velmora {
namespace {

using sim::SimAttribute;
using sim::SimWindow;
using sim::SimWindowList;
using Names = std::vector<std::string>;

SimWindow window(std::string title, std::string subrole, double w, double h,
                 bool minimized = false) {
  return SimWindow{SimAttribute::ofText(std::move(title)), SimAttribute::ofText(std::move(subrole)),
                   SimAttribute::ofSize(w, h), SimAttribute::ofBool(minimized)};
}

SimWindow unreadable() {
  return SimWindow{};
}

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

TEST_F(AxScanTest, ClientNotRunning) {
  apps.instances.clear();
  const AxScan r = scan();
  EXPECT_EQ(r.debugInfo, "--- AX Detection ---\n  App not running\n");
  EXPECT_TRUE(r.names.empty());
  EXPECT_EQ(r.unnamedCount, 0);
  EXPECT_TRUE(ax.requestedPids.empty());
}

struct UnreadableListCase {
  const char* name;
  SimWindowList list;
  int32_t clientPid;
  const char* line;
};

class UnreadableWindowListTest : public AxScanTest,
                                 public ::testing::WithParamInterface<UnreadableListCase> {};

TEST_P(UnreadableWindowListTest, ReportsTheCodeAndLeavesTheCacheAlone) {
  const UnreadableListCase& c = GetParam();
  ax.windows = c.list;
  ax.pid = c.clientPid;
  cache = {{"Devices", "T"}, {"RemoteApps", "T"}};
  const AxScan r = scan();
  EXPECT_EQ(r.debugInfo, std::string("--- AX Detection ---\n") + c.line);
  EXPECT_TRUE(r.names.empty());
  EXPECT_EQ(r.unnamedCount, 0);
  EXPECT_EQ(cache.size(), 2u);
  EXPECT_EQ(ax.liveElements(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadableWindowListTest,
    ::testing::Values(
        UnreadableListCase{"AccessRefused",
                           {SimWindowList::Kind::kError, sim::kAxErrorApiDisabled, {}},
                           4242,
                           "  Could not get AX windows (result: -25211)\n"},
        UnreadableListCase{"NoValue",
                           {SimWindowList::Kind::kError, 0, {}},
                           4242,
                           "  Could not get AX windows (result: 0)\n"},
        UnreadableListCase{"NotAList",
                           {SimWindowList::Kind::kNotAList, 0, {}},
                           4242,
                           "  Could not get AX windows (result: 0)\n"},
        UnreadableListCase{
            "ProcessGone", {}, 9999, "  Could not get AX windows (result: -25204)\n"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(AxScanTest, ZeroWindows) {
  cache = {{"Devices", "T"}, {"RemoteApps", "T"}};
  show({});
  const AxScan r = scan();
  EXPECT_EQ(r.debugInfo,
            "--- AX Detection ---\n"
            "  AX windows found: 0\n"
            "  AX final: 0 named, 0 unnamed\n");
  EXPECT_EQ(cache.size(), 2u);
}

TEST_F(AxScanTest, WorkedThreeWindowScan) {
  show({window("Office PC", "AXStandardWindow", 1440.0, 900.0),
        window("", "AXUnknown", 800.0, 600.0), window("Devices", "AXStandardWindow", 1440, 900)});
  const AxScan r = scan();
  EXPECT_EQ(r.debugInfo,
            "--- AX Detection ---\n"
            "  AX windows found: 3\n"
            "  AX[0]: \"Office PC\" subrole=AXStandardWindow 1440x900\n"
            "  AX[1]: \"\" subrole=AXUnknown 800x600\n"
            "  AX[2]: \"Devices\" subrole=AXStandardWindow 1440x900\n"
            "    -> session: \"Office PC\"\n"
            "    -> unnamed background session\n"
            "    -> desktop (cached): \"Office PC\"\n"
            "  AX final: 1 named, 1 unnamed\n");
  EXPECT_EQ(r.names, Names{"Office PC"});
  EXPECT_EQ(r.unnamedCount, 1);
  EXPECT_EQ(cache, (SessionNameCache{{"Devices", "Office PC"}, {"RemoteApps", "Office PC"}}));
  EXPECT_TRUE(r.idlePanels.empty());
  EXPECT_EQ(ax.liveElements(), 0);
}

TEST_F(AxScanTest, OnlyTheFirstInstanceIsScanned) {
  apps.instances = {{4242}, {5151}, {6161}};
  show({window("Office PC", "AXStandardWindow", 900, 700)});
  EXPECT_EQ(scan().names, Names{"Office PC"});
  EXPECT_EQ(ax.requestedPids, std::vector<int32_t>{4242});

  // The client being the second instance is not found.
  ax.requestedPids.clear();
  apps.instances = {{5151}, {4242}};
  EXPECT_EQ(scan().debugInfo,
            "--- AX Detection ---\n  Could not get AX windows (result: -25204)\n");
  EXPECT_EQ(ax.requestedPids, std::vector<int32_t>{5151});
}

TEST_F(AxScanTest, UnreadableOrMistypedAttributesTakeTheirDefaults) {
  const SimWindow allOther{SimAttribute::other(), SimAttribute::other(), SimAttribute::other(),
                           SimAttribute::other()};
  const SimWindow swapped{SimAttribute::ofBool(true), SimAttribute::ofSize(1, 2),
                          SimAttribute::ofText("1440x900"), SimAttribute::ofText("true")};
  // Minimised, unreadable subrole: would be a background session only with "AXUnknown".
  const SimWindow noSubrole{SimAttribute::ofText(""), SimAttribute::missing(),
                            SimAttribute::ofSize(800, 600), SimAttribute::missing()};
  show({unreadable(), allOther, swapped, noSubrole});
  const AxScan r = scan();
  EXPECT_EQ(r.debugInfo,
            "--- AX Detection ---\n"
            "  AX windows found: 4\n"
            "  AX[0]: \"\" subrole= 0x0\n"
            "  AX[1]: \"\" subrole= 0x0\n"
            "  AX[2]: \"\" subrole= 0x0\n"
            "  AX[3]: \"\" subrole= 800x600\n"
            "  AX final: 0 named, 0 unnamed\n");
  EXPECT_EQ(ax.liveElements(), 0);
}

TEST_F(AxScanTest, MinimisedIsReadFromTheValue) {
  show({window("", "AXUnknown", 800, 600, true), window("", "AXUnknown", 800, 600, false)});
  EXPECT_EQ(scan().unnamedCount, 1);
}

TEST_F(AxScanTest, SizesAreWrittenTruncatedButComparedUnrounded) {
  show({window("Edge", "AXStandardWindow", 1099.9, 800.0),
        window("Narrow", "AXStandardWindow", 199.9, 900.0),
        window("Wide", "AXStandardWindow", 1439.6, 899.9)});
  const AxScan r = scan();
  EXPECT_NE(r.debugInfo.find("  AX[1]: \"Narrow\" subrole=AXStandardWindow 199x900\n"),
            std::string::npos);
  EXPECT_NE(r.debugInfo.find("  AX[2]: \"Wide\" subrole=AXStandardWindow 1439x899\n"),
            std::string::npos);
  EXPECT_EQ(r.names, (Names{"Edge", "Wide"}));  // 199.9 is small although written 199
  EXPECT_EQ(cache.at("Devices"), "Wide");       // 1099.9 is not large, 1439.6 x 899.9 is
}

TEST_F(AxScanTest, FullScreenThresholdSeesTheFraction) {
  show({window("Devices", "AXStandardWindow", 1399.99, 900)});
  const AxScan r = scan();
  EXPECT_NE(r.debugInfo.find("1399x900\n    -> \"Devices\" is idle connection panel (skipped)\n"),
            std::string::npos);
  EXPECT_EQ(r.idlePanels, Names{"Devices"});
}

TEST_F(AxScanTest, SizesThatAreNotFiniteOrHugeAreWrittenSafely) {
  constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
  constexpr double kInf = std::numeric_limits<double>::infinity();
  show({window("", "AXUnknown", kNan, -kInf), window("", "AXUnknown", 1e300, -1e19)});
  const AxScan r = scan();
  EXPECT_NE(r.debugInfo.find("  AX[0]: \"\" subrole=AXUnknown nanx-inf\n"), std::string::npos);
  EXPECT_NE(r.debugInfo.find("x-10000000000000000000\n"), std::string::npos);
}

TEST_F(AxScanTest, TextFromTheClientIsMadeValidUtf8) {
  show({window("Bad \xff title", "AX\xc3", 900, 700)});
  const AxScan r = scan();
  EXPECT_EQ(r.names, Names{"Bad \uFFFD title"});
  EXPECT_NE(r.debugInfo.find("  AX[0]: \"Bad \uFFFD title\" subrole=AX\uFFFD 900x700\n"),
            std::string::npos);
}

struct PointsCase {
  double points;
  const char* text;
};

class TruncatedPointsTest : public ::testing::TestWithParam<PointsCase> {};

TEST_P(TruncatedPointsTest, DropsTheFractionTowardZero) {
  EXPECT_EQ(truncatedPoints(GetParam().points), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TruncatedPointsTest,
    ::testing::Values(
        PointsCase{0.0, "0"}, PointsCase{-0.0, "0"}, PointsCase{1439.6, "1439"},
        PointsCase{899.9, "899"}, PointsCase{-3.7, "-3"}, PointsCase{-0.5, "0"},
        PointsCase{std::numeric_limits<double>::quiet_NaN(), "nan"},
        PointsCase{-std::numeric_limits<double>::quiet_NaN(), "nan"},
        PointsCase{std::numeric_limits<double>::infinity(), "inf"},
        PointsCase{-std::numeric_limits<double>::infinity(), "-inf"},
        PointsCase{9223372036854774784.0, "9223372036854774784"},  // largest below 2^63
        PointsCase{9223372036854775808.0, "9223372036854775808"},  // 2^63, past int64
        PointsCase{-9223372036854775808.0, "-9223372036854775808"},
        PointsCase{1e300,
                   "1000000000000000052504760255204420248704468581108159154915854115511802457"
                   "9889081957863713750804478640437044438328838781769425232353604305756447921"
                   "8478670698284838720092657580373783023379478809005936895323497079994508111"
                   "9038967640880074652742780142494579258788820056842838115669472196386865459"
                   "400540160"}));

}  // namespace
}  // namespace velmora
