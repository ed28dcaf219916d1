#include "detect/classify.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmora {
namespace {

using Names = std::vector<std::string>;
using Verdicts = std::vector<WindowVerdict>;

WinInfo titled(std::string title, double w, double h, bool minimized = false) {
  return WinInfo{std::move(title), "AXStandardWindow", {w, h}, minimized};
}

WinInfo untitled(std::string subRole, double w, double h, bool minimized = false) {
  return WinInfo{"", std::move(subRole), {w, h}, minimized};
}

// Runs one classification on a cache that outlives the call, as the scan does.
struct Classifier {
  SessionNameCache cache;
  std::string report;

  Classification run(const std::vector<WinInfo>& windows) {
    report.clear();
    return classifyWindows(windows, report, cache);
  }
};

struct ExclusionCase {
  const char* title;
  bool excluded;
};

class ExclusionTest : public ::testing::TestWithParam<ExclusionCase> {};

TEST_P(ExclusionTest, MatchesTrimmedNamesExactlyAndFragmentsInAnyCase) {
  EXPECT_EQ(isExcludedTitle(GetParam().title), GetParam().excluded) << GetParam().title;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExclusionTest,
    ::testing::Values(ExclusionCase{"", true}, ExclusionCase{"   ", true}, ExclusionCase{"-", true},
                      ExclusionCase{"Velmora Session Tracker", true}, ExclusionCase{"About", true},
                      ExclusionCase{"About This Mac", false},
                      ExclusionCase{"Connection Center ", true},
                      ExclusionCase{"\tConnection Center\u2029", true},
                      ExclusionCase{"connection center", false}, ExclusionCase{"Options", true},
                      ExclusionCase{"Preferences", true}, ExclusionCase{"Office PC", false},
                      ExclusionCase{"x mSctFime y", true}, ExclusionCase{"DEFAULT ime", true},
                      ExclusionCase{"ctf", true}, ExclusionCase{"my tsf_window", true},
                      ExclusionCase{"ime", false}, ExclusionCase{"uiwndframe", true},
                      ExclusionCase{"Stra\u00dfe", false},
                      // Matches that only appear after full upper-casing still count.
                      ExclusionCase{"\u0131me_", true},  // dotless i upper-cases to I: "IME_"
                      ExclusionCase{"Cafe\u0301", false}));

TEST(ClassifyTest, EmptyListYieldsNothingAndKeepsTheCache) {
  Classifier c;
  c.cache = {{"Devices", "T"}, {"RemoteApps", "T"}};
  const Classification r = c.run({});
  EXPECT_TRUE(r.names.empty());
  EXPECT_EQ(r.unnamedCount, 0);
  EXPECT_EQ(c.report, "");
  EXPECT_EQ(c.cache.size(), 2u);
}

TEST(ClassifyTest, FirstPassFindsSessionsAndBackgroundSessions) {
  using V = WindowVerdict;
  const struct {
    WinInfo window;
    WindowVerdict verdict;
  } cases[] = {
      {titled("Office PC", 900, 700), V::kSession},
      {titled("   ", 900, 700), V::kExcludedName},  // trims to "": excluded, and not untitled
      {titled("Connection Center", 900, 700), V::kExcludedName},
      {titled("MSCTFIME UI", 1, 1), V::kInputMethod},  // the fragment tells more than the size
      {titled("Tiny", 199.5, 900), V::kTooSmall},
      {titled("Devices", 900, 700), V::kDesktopPlaceholder},  // decided in the second pass
      {titled("Devices", 900, 199), V::kTooSmall},
      {untitled("AXUnknown", 800, 600), V::kUnnamedBackground},
      {untitled("AXUnknown", 800, 600, true), V::kPassedOver},  // minimised: not counted
      {untitled("", 800, 600), V::kPassedOver},                 // unreadable subrole
      {untitled("AXUnknown", 199, 600), V::kTooSmall},
      {titled("Minimised PC", 900, 700, true), V::kSession},  // minimised titled window
      {titled("Office PC", 1000, 700), V::kSession},          // duplicate: one name, two lines
  };
  std::vector<WinInfo> windows;
  std::vector<WindowVerdict> verdicts;
  for (const auto& c : cases) {
    windows.push_back(c.window);
    verdicts.push_back(c.verdict);
  }
  Classifier c;
  const Classification r = c.run(windows);
  EXPECT_EQ(r.verdicts, verdicts);
  EXPECT_EQ(r.names, (Names{"Office PC", "Minimised PC", "Devices (Desktop)"}));
  EXPECT_EQ(r.unnamedCount, 1);
  EXPECT_EQ(c.report,
            "    -> session: \"Office PC\"\n"
            "    -> unnamed background session\n"
            "    -> session: \"Minimised PC\"\n"
            "    -> session: \"Office PC\"\n"
            "    -> desktop (placeholder): \"Devices (Desktop)\"\n");
  EXPECT_TRUE(c.cache.empty());  // no window was large enough
}

TEST(ClassifyTest, NamesThatOnlyLookLikePlaceholdersAreSessions) {
  Classifier c;
  const Classification r = c.run({titled("devices", 900, 700), titled(" Devices", 900, 700)});
  EXPECT_EQ(r.names, (Names{"devices", " Devices"}));
}

TEST(ClassifyTest, CanonicallyEquivalentTitlesGiveOneName) {
  Classifier c;
  const Classification r = c.run({titled("Cafe\u0301", 900, 700), titled("Caf\u00e9", 900, 700)});
  EXPECT_EQ(r.names, (Names{"Cafe\u0301"}));  // the first spelling, as read
}

struct SizeCase {
  double width;
  double height;
  bool session;
  bool fillsCache;
};

class SizeThresholdTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(SizeThresholdTest, SessionAndCacheThresholdsAreInclusive) {
  Classifier c;
  const SizeCase& s = GetParam();
  const Classification r = c.run({titled("T", s.width, s.height)});
  EXPECT_EQ(r.names.size(), s.session ? 1u : 0u);
  EXPECT_EQ(c.cache.size(), s.fillsCache ? 2u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SizeThresholdTest,
    ::testing::Values(SizeCase{200.0, 200.0, true, false}, SizeCase{199.5, 900.0, false, false},
                      SizeCase{900.0, 199.99, false, false}, SizeCase{0.0, 0.0, false, false},
                      SizeCase{1100.0, 800.0, true, true}, SizeCase{1099.0, 1200.0, true, false},
                      SizeCase{1500.0, 799.9, true, false}));

TEST(ClassifyTest, ExistingCacheEntriesAreNeverOverwritten) {
  Classifier c;
  (void)c.run({titled("First", 1440, 900), titled("Second", 1440, 900)});
  EXPECT_EQ(c.cache, (SessionNameCache{{"Devices", "First"}, {"RemoteApps", "First"}}));
  (void)c.run({titled("Second", 1440, 900)});
  EXPECT_EQ(c.cache, (SessionNameCache{{"Devices", "First"}, {"RemoteApps", "First"}}));
}

TEST(ClassifyTest, FourPassCacheStory) {
  Classifier c;
  Classification r = c.run({titled("T", 1440, 900)});
  EXPECT_EQ(r.names, Names{"T"});
  EXPECT_EQ(c.cache, (SessionNameCache{{"Devices", "T"}, {"RemoteApps", "T"}}));

  r = c.run({titled("Devices", 1440, 900)});
  EXPECT_EQ(r.names, Names{"T"});
  EXPECT_EQ(c.report, "    -> full-screen desktop (cached): \"T\"\n");
  EXPECT_EQ(r.verdicts, Verdicts{WindowVerdict::kFullScreenDesktopCached});

  r = c.run({titled("Devices", 1000, 700)});
  EXPECT_TRUE(r.names.empty());
  EXPECT_EQ(r.verdicts, Verdicts{WindowVerdict::kIdlePanel});
  EXPECT_EQ(c.report,
            "    -> \"Devices\" is idle connection panel (skipped)\n"
            "    -> cache cleared\n");
  EXPECT_TRUE(c.cache.empty());

  r = c.run({titled("Devices", 1440, 900)});
  EXPECT_EQ(r.names, Names{"Devices (Desktop)"});
  EXPECT_EQ(c.report, "    -> full-screen desktop (placeholder): \"Devices (Desktop)\"\n");
  EXPECT_EQ(r.verdicts, Verdicts{WindowVerdict::kFullScreenDesktopPlaceholder});
}

TEST(ClassifyTest, WideDesktopBeforeIdlePanelUsesTheCacheThenEmptiesIt) {
  Classifier c;
  c.cache = {{"Devices", "T"}, {"RemoteApps", "T"}};
  const Classification r = c.run({titled("Devices", 1500, 900), titled("RemoteApps", 900, 700)});
  EXPECT_EQ(r.names, Names{"T"});
  EXPECT_EQ(c.report,
            "    -> full-screen desktop (cached): \"T\"\n"
            "    -> \"RemoteApps\" is idle connection panel (skipped)\n"
            "    -> cache cleared\n");
  EXPECT_TRUE(c.cache.empty());
}

TEST(ClassifyTest, IdlePanelBeforeWideDesktopEmptiesTheCacheFirst) {
  Classifier c;
  c.cache = {{"Devices", "T"}, {"RemoteApps", "T"}};
  const Classification r = c.run({titled("RemoteApps", 900, 700), titled("Devices", 1500, 900)});
  EXPECT_EQ(r.names, Names{"Devices (Desktop)"});
  EXPECT_EQ(c.report,
            "    -> \"RemoteApps\" is idle connection panel (skipped)\n"
            "    -> cache cleared\n"
            "    -> full-screen desktop (placeholder): \"Devices (Desktop)\"\n");
}

TEST(ClassifyTest, FullScreenThresholdIsInclusiveAndSmallPlaceholdersArePassedOver) {
  Classifier c;
  EXPECT_EQ(c.run({titled("Devices", 1400.0, 200.0)}).names, Names{"Devices (Desktop)"});
  EXPECT_EQ(c.run({titled("Devices", 1500.0, 199.0)}).names, Names{});
  EXPECT_EQ(c.report, "");
}

TEST(ClassifyTest, EveryIdlePanelClearsEvenAnEmptyCache) {
  Classifier c;
  (void)c.run({titled("Devices", 900, 700), titled("RemoteApps", 900, 700)});
  EXPECT_EQ(c.report,
            "    -> \"Devices\" is idle connection panel (skipped)\n"
            "    -> cache cleared\n"
            "    -> \"RemoteApps\" is idle connection panel (skipped)\n"
            "    -> cache cleared\n");
}

TEST(ClassifyTest, DesktopBesideSmallSessionIsPlaceholderOrCached) {
  Classifier c;
  Classification r = c.run({titled("T", 900, 700), titled("Devices", 800, 600)});
  EXPECT_EQ(r.names, (Names{"T", "Devices (Desktop)"}));

  c.cache = {{"Devices", "T"}, {"RemoteApps", "T"}};
  r = c.run({titled("T", 900, 700), titled("Devices", 800, 600)});
  EXPECT_EQ(r.names, Names{"T"});
  EXPECT_EQ(r.verdicts, (Verdicts{WindowVerdict::kSession, WindowVerdict::kDesktopCached}));
  EXPECT_EQ(c.report,
            "    -> session: \"T\"\n"
            "    -> desktop (cached): \"T\"\n");
}

TEST(ClassifyTest, BackgroundSessionAloneKeepsIdlePanelsFromClearingTheCache) {
  Classifier c;
  c.cache = {{"Devices", "T"}, {"RemoteApps", "T"}};
  const Classification r = c.run({untitled("AXUnknown", 800, 600), titled("Devices", 900, 700)});
  EXPECT_EQ(r.names, Names{"T"});  // beside sessions: no idle outcome, no width test
  EXPECT_EQ(r.unnamedCount, 1);
  EXPECT_EQ(c.cache.size(), 2u);
}

TEST(ClassifyTest, IdlePanelsAreReportedOncePerPlaceholder) {
  Classifier c;
  Classification r = c.run({titled("Devices", 900, 700), titled("RemoteApps", 900, 700),
                            titled("Devices", 1000, 700), titled("RemoteApps", 1500, 900)});
  EXPECT_EQ(r.idlePanels, (Names{"Devices", "RemoteApps"}));

  // Full-screen desktops and desktops beside sessions are not idle panels.
  r = c.run({titled("Devices", 1500, 900)});
  EXPECT_TRUE(r.idlePanels.empty());
  r = c.run({titled("T", 900, 700), titled("Devices", 900, 700)});
  EXPECT_TRUE(r.idlePanels.empty());
}

}  // namespace
}  // namespace velmora
